# The whole program for Windows, cross-built with MinGW-w64: SDL2_mixer from its CMake package,
# tests run under Wine in a Wine prefix of the build's own, and an install that holds everything
# the program loads: Qt's DLLs and the plugins it needs (what windeployqt would gather), SDL2,
# and the compiler's runtime DLLs.

find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_mixer CONFIG REQUIRED)
target_link_libraries(tallivue_controls PUBLIC SDL2_mixer::SDL2_mixer SDL2::SDL2)
target_link_libraries(tallivue_app PUBLIC ws2_32)
# The program's main is its own, started by Qt's entry point; SDL must not rename it.
target_compile_definitions(tallivue_controls PUBLIC SDL_MAIN_HANDLED)

# The compiler's DLLs that the program and Qt's DLLs load.
set(tallivue_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    list(APPEND tallivue_runtime_dlls ${found})
endforeach()

# Wine finds the DLLs through WINEPATH and Qt its plugins through QT_PLUGIN_PATH; the prefix of
# the build's own keeps the tests' registry away from the user's ~/.wine.
find_program(WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(WINE64 AND WINESERVER)
    set(wine_path)
    foreach(dll IN LISTS tallivue_runtime_dlls)
        get_filename_component(dir ${dll} DIRECTORY)
        list(APPEND wine_path Z:${dir})
    endforeach()
    list(APPEND wine_path Z:${TALLIVUE_WIN_PREFIX}/bin)
    list(REMOVE_DUPLICATES wine_path)
    string(REPLACE "/" "\\" wine_path "${wine_path}")
    set(TALLIVUE_WINE_RUN ${PROJECT_BINARY_DIR}/wine-run.sh)
    file(CONFIGURE OUTPUT ${TALLIVUE_WINE_RUN} CONTENT [=[#!/bin/sh
# Runs a program of this build under Wine, with the DLLs it loads found where they were built.
export WINEPREFIX="${WINEPREFIX:-@PROJECT_BINARY_DIR@/wineprefix}" WINEDEBUG="${WINEDEBUG:--all}"
export WINEPATH='@wine_path@' QT_PLUGIN_PATH='@TALLIVUE_WIN_PREFIX@/plugins'
# The tests draw off-screen, but Wine still wants a window system for what Qt makes behind
# the scenes: its null driver needs no X server. The prefix is made once, by one program alone:
# tests started together on a new prefix would each set it up, and find it half made.
if [ ! -e "$WINEPREFIX/.tallivue-headless" ]; then
    (
        flock 9
        if [ ! -e "$WINEPREFIX/.tallivue-headless" ]; then
            '@WINE64@' reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 &&
                '@WINESERVER@' -w && touch "$WINEPREFIX/.tallivue-headless"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec '@WINE64@' "$@"
]=] @ONLY)
    file(CHMOD ${TALLIVUE_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLIVUE_WINE_RUN})
endif()

# tallivue_linked_dlls(<target> <variable>): the imported shared libraries (Qt's modules, SDL2)
# that the target links, itself or through the libraries it links, so that what the program
# loads follows what it is linked with, whichever layer brought it in.
function(tallivue_linked_dlls target variable)
    set(found)
    set(seen)
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
            set(current ${aliased})
        endif()
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(type ${current} TYPE)
        get_target_property(imported ${current} IMPORTED)
        if(imported AND type STREQUAL "SHARED_LIBRARY")
            list(APPEND found ${current})
        endif()
        # A static library of the program passes on what it links; an imported one, and an
        # interface, only what they declare.
        set(links)
        if(NOT imported AND NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(links ${current} LINK_LIBRARIES)
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(link IN LISTS links interface)
            if(link MATCHES "^\\$<LINK_ONLY:([^$<>]+)>$")
                set(link ${CMAKE_MATCH_1})
            endif()
            if(TARGET "${link}")
                list(APPEND pending ${link})
            endif()
        endforeach()
    endwhile()
    set(${variable} ${found} PARENT_SCOPE)
endfunction()

# What the program loads at run time, installed into the program folder beside it.
function(tallivue_install_windows_runtime)
    set(dlls ${tallivue_runtime_dlls})
    tallivue_linked_dlls(tallivue linked)
    foreach(target IN LISTS linked)
        list(APPEND dlls $<TARGET_FILE:${target}>)
    endforeach()
    install(FILES ${dlls} DESTINATION ${TALLIVUE_INSTALL_DIR})
    set(installed)
    foreach(dll IN LISTS dlls)
        list(APPEND installed ${TALLIVUE_INSTALL_DIR}/$<PATH:GET_FILENAME,${dll}>)
    endforeach()
    # The window system, the picture readers the settings may name (BMP and PNG are Qt's own),
    # and the look of the dialog's buttons and tabs.
    foreach(kind_plugin platforms:QWindowsIntegrationPlugin imageformats:QGifPlugin
                        imageformats:QICOPlugin imageformats:QJpegPlugin
                        styles:QWindowsVistaStylePlugin)
        string(REPLACE ":" ";" kind_plugin ${kind_plugin})
        list(GET kind_plugin 0 kind)
        list(GET kind_plugin 1 plugin)
        install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${TALLIVUE_INSTALL_DIR}/${kind})
        list(APPEND installed ${TALLIVUE_INSTALL_DIR}/${kind}/$<TARGET_FILE_NAME:Qt6::${plugin}>)
    endforeach()
    # The copies lose their symbols, a third of Qt's size; the build's own DLLs keep them.
    install(CODE "
        set(files \"${installed}\")
        foreach(file IN LISTS files)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${file}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()")
endfunction()
