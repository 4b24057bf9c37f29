# The program's layers, each a library of its own, from the bottom up: core, controls, settings,
# app. Each links only the layers below it, and sees only their folders: its include root holds
# links to its own folder and the folders below, so that an include running upward finds no file
# and fails to build. A layer with a part that needs no Qt has it in a library of its own, which
# the Windows logic build and the fuzzers use alone.

# tallivue_layer(<target> FOLDERS <folder>... [LINKS <target>...])
function(tallivue_layer target)
    cmake_parse_arguments(layer "" "" "FOLDERS;LINKS" ${ARGN})
    add_library(${target} STATIC)
    tallivue_include_root(${target} PUBLIC ${layer_FOLDERS})
    target_link_libraries(${target} PUBLIC ${layer_LINKS})
endfunction()

# tallivue_include_root(<target> <PUBLIC|PRIVATE> <folder>...): what else builds over the layers
# (the simulator, the benchmarks) sees their folders and its own the same way.
function(tallivue_include_root target scope)
    set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
    file(MAKE_DIRECTORY ${root})
    foreach(folder IN LISTS ARGN)
        if(NOT IS_SYMLINK ${root}/${folder})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} ${scope} ${root})
endfunction()
