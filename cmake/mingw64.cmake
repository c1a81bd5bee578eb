# 64-bit Windows with Debian's MinGW-w64 cross compilers:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake ...
# The same sources as the 32-bit build (cmake/mingw32.cmake); its programs run
# under wine64 on any x86-64 machine, 32-bit support or not.
# Dependencies come from the prefix that scripts/setup cross-builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(QUARRO_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: GCC 12's win32 model has no std::thread, std::mutex
# or std::condition_variable. -static links winpthread in, so no DLL to ship.
set(CMAKE_C_COMPILER ${QUARRO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARRO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARRO_MINGW_TRIPLE}-windres)

get_filename_component(_quarro_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT QUARRO_MINGW_PREFIX)
  set(QUARRO_MINGW_PREFIX "${_quarro_root}/.cache/mingw64")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${QUARRO_MINGW_TRIPLE} ${QUARRO_MINGW_PREFIX})
set(CMAKE_PREFIX_PATH ${QUARRO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Keep pkg-config away from the host's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${QUARRO_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# ctest (and gtest_discover_tests) run the .exe files through wine64, in the
# project's own 64-bit wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${_quarro_root}/scripts/wine64-run)
