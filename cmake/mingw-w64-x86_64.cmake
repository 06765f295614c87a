# Cross-building for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix); the test programs run
# under Wine through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVENNE_MINGW_PREFIX x86_64-w64-mingw32)
# The posix flavour of the compilers: std::thread and the other standard threading parts need it.
set(CMAKE_C_COMPILER ${TARVENNE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVENNE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVENNE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVENNE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
