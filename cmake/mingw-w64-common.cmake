# What the mingw-w64 toolchain files share; they set ZELKOVA_MINGW_TRIPLE and the processor.
# Executables link statically, so they run anywhere (and under Wine) without DLLs beside them.
# scripts/test-windows drives these builds; the GUI needs a Windows Qt and is not part of them.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: std::thread and std::mutex need it with GCC 12.
find_program(CMAKE_C_COMPILER NAMES ${ZELKOVA_MINGW_TRIPLE}-gcc-posix ${ZELKOVA_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZELKOVA_MINGW_TRIPLE}-g++-posix ${ZELKOVA_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZELKOVA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELKOVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run through Wine (scripts/wine-run finds it and keeps its prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
