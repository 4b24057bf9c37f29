# Read by cpack before each package it makes (CPACK_PROJECT_CONFIG_FILE).
#
# The Debian package's library dependencies come from dpkg-shlibdeps, which CPackDeb runs only on
# the files that `file` calls dynamically linked ELF programs. Without dpkg-shlibdeps CPackDeb
# merely says so and makes a package whose Depends holds the fonts alone: it installs anywhere
# and then the display cannot start for want of Qt. Stop here instead, naming what to install.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

set(missing_tools)
set(missing_packages)
# Searched on the PATH alone, which is stricter than CPackDeb's own search (that also looks under
# the usual prefixes): a tool found here is found there too.
foreach(tool_and_package IN ITEMS "file:file" "dpkg-shlibdeps:dpkg-dev")
    string(REPLACE ":" ";" tool_and_package "${tool_and_package}")
    list(GET tool_and_package 0 tool)
    list(GET tool_and_package 1 package)
    find_program(tallivue_found_${tool} ${tool} NO_CMAKE_SYSTEM_PATH)
    if(NOT tallivue_found_${tool})
        list(APPEND missing_packages ${package})
        list(APPEND missing_tools ${tool})
    endif()
endforeach()
if(missing_packages)
    list(JOIN missing_tools " and " missing_tools)
    list(JOIN missing_packages " " missing_packages)
    message(FATAL_ERROR
        "The Debian package cannot be made without ${missing_tools}, with which CPack finds "
        "the libraries the programs depend on: a package without those would install but not "
        "start. Install what is missing with `apt-get install ${missing_packages}` (or run "
        "`bash tools/install-deps.sh`), then build the package again.")
endif()

# dpkg-shlibdeps looks for the libraries in the folders of the architecture dpkg-architecture
# names, the build machine's unless told: a package built for another one is told its own.
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    set(ENV{DEB_HOST_ARCH} ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
endif()
