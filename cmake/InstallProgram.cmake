# tallivue_install_program(TARGET): installs TARGET into the program folder, beside its pictures
# and sounds, and puts a relative symbolic link to it in the bin folder, so that it can be
# started by name while it still finds its files through its own (resolved) path. Where the
# program folder is the bin folder itself, or on Windows, the program needs no link.
#
# The link is made at install time from the prefix then in force: cpack and
# `cmake --install --prefix` may install elsewhere than the configured prefix, and a relative
# link stays right wherever the whole tree is moved.
function(tallivue_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${TALLIVUE_INSTALL_DIR})
    if(WIN32 OR TALLIVUE_INSTALL_DIR STREQUAL CMAKE_INSTALL_BINDIR)
        return()
    endif()
    set(link_code [=[
        set(link_dir "@CMAKE_INSTALL_BINDIR@")
        set(program_dir "@TALLIVUE_INSTALL_DIR@")
        foreach(dir link_dir program_dir)
            if(NOT IS_ABSOLUTE "${${dir}}")
                set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
            endif()
        endforeach()
        file(RELATIVE_PATH link_target "${link_dir}" "${program_dir}/@name@")
        set(link "$ENV{DESTDIR}${link_dir}/@name@")
        message(STATUS "Installing: ${link} -> ${link_target}")
        file(MAKE_DIRECTORY "$ENV{DESTDIR}${link_dir}")
        file(CREATE_LINK "${link_target}" "${link}" SYMBOLIC RESULT failure)
        if(failure)
            message(FATAL_ERROR "Cannot link ${link} to ${link_target}: ${failure}")
        endif()
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")
    ]=])
    set(name $<TARGET_FILE_NAME:${target}>)
    string(CONFIGURE "${link_code}" link_code @ONLY)
    install(CODE "${link_code}")
endfunction()
