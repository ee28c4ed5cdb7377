# Shared part of the two mingw-w64 toolchain files. Expects VOSTREL_TRIPLE_ARCH
# (x86_64 or i686) to be set by the including file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VOSTREL_TRIPLE_ARCH})

set(_triple ${VOSTREL_TRIPLE_ARCH}-w64-mingw32)
# The posix thread model gives std::thread and std::mutex.
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(VOSTREL_WIDL ${_triple}-widl)

if(DEFINED ENV{VOSTREL_DEPS})
  set(_deps $ENV{VOSTREL_DEPS})
else()
  set(_deps $ENV{HOME}/.cache/vostrel-deps)
endif()
set(VOSTREL_DEPS ${_deps} CACHE PATH "Cross-built dependencies (scripts/setup.sh)")

set(_roots /usr/${_triple} ${_deps}/${VOSTREL_TRIPLE_ARCH}/headers)
if(EXISTS ${_deps}/paths.cmake)
  include(${_deps}/paths.cmake)
  list(APPEND _roots
    ${_deps}/${VOSTREL_TRIPLE_ARCH}/libjpeg-turbo-${VOSTREL_JPEG_VERSION}
    ${_deps}/${VOSTREL_TRIPLE_ARCH}/googletest-${VOSTREL_GTEST_VERSION})
endif()
set(CMAKE_FIND_ROOT_PATH ${_roots})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
