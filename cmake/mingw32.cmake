# 32-bit Windows with Debian's MinGW-w64 cross compilers:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake ...
# Dependencies come from the prefix that scripts/setup cross-builds; programs
# run under wine (scripts/wine-run).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUARRO_MINGW_TRIPLE i686-w64-mingw32)
set(QUARRO_MINGW_CACHE mingw32)
set(QUARRO_WINE_RUNNER wine-run)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
