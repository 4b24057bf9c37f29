# The fuzzing build: libFuzzer comes with clang only, in its compiler-rt runtime (Debian:
# libclang-rt-14-dev). Say so at configure time rather than fail at the first link.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TALLIVUE_FUZZ needs clang, whose libFuzzer it links; this is "
                        "${CMAKE_CXX_COMPILER_ID}. Configure a fresh build folder with "
                        "CC=clang CXX=clang++.")
endif()

include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer,address,undefined)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] TALLIVUE_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT TALLIVUE_HAVE_LIBFUZZER)
    message(FATAL_ERROR "clang cannot link a libFuzzer target with AddressSanitizer and "
                        "UndefinedBehaviorSanitizer: install clang's runtime "
                        "(Debian: libclang-rt-14-dev).")
endif()

# Everything is instrumented: libFuzzer follows the coverage of the product's own code, and the
# sanitizers turn its faults into findings. An undefined behaviour stops the run like a crash.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
