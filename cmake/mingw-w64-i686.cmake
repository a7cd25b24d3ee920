# Cross-build for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686-posix):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# The build a user needs: JV-Link is a 32-bit in-process control.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZELKOVA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
