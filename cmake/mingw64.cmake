# 64-bit Windows with Debian's MinGW-w64 cross compilers:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake ...
# The same sources as the 32-bit build (cmake/mingw32.cmake); its programs run
# under wine64 (scripts/wine64-run) on any x86-64 machine, 32-bit support or not.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUARRO_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUARRO_MINGW_CACHE mingw64)
set(QUARRO_WINE_RUNNER wine64-run)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
