# Compiler settings shared by every target of the project.
option(VOSTREL_BUILD_TESTS "Build the tests" ON)
option(VOSTREL_BUILD_BENCH "Build the benchmarks" OFF)
option(VOSTREL_BUILD_FUZZERS "Build the libFuzzer targets (clang only)" OFF)
set(VOSTREL_SANITIZE "" CACHE STRING "Sanitizers for native builds: address,undefined or thread")

find_package(Threads REQUIRED)

add_library(vostrel_options INTERFACE)
target_compile_options(vostrel_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror -Wno-missing-field-initializers)
# When GCC 12 inlines aggressively (-O2/-O3) it reports overlapping copies
# and out-of-bounds accesses inside libstdc++'s own std::string and
# std::vector code: known false positives of that release. They stay
# warnings there, but do not fail an optimised build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(vostrel_options INTERFACE
    -Wno-error=restrict -Wno-error=stringop-overflow -Wno-error=stringop-overread)
endif()

if(VOSTREL_SANITIZE)
  target_compile_options(vostrel_options INTERFACE
    -fsanitize=${VOSTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(vostrel_options INTERFACE -fsanitize=${VOSTREL_SANITIZE})
endif()

# Everything the fuzzers link is instrumented for coverage; only the fuzzer
# programs themselves link libFuzzer's main.
if(VOSTREL_BUILD_FUZZERS)
  target_compile_options(vostrel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(WIN32)
  # Windows binaries carry their runtime: nothing but system DLLs is needed.
  target_compile_definitions(vostrel_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 UNICODE _UNICODE)
  target_link_options(vostrel_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
