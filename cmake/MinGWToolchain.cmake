# What both Windows toolchain files share; each sets, before including it:
#   CMAKE_SYSTEM_PROCESSOR, QUARRO_MINGW_TRIPLE, QUARRO_MINGW_CACHE (the folder
#   of .cache/ that scripts/setup cross-builds the dependencies into) and
#   QUARRO_WINE_RUNNER (the script below scripts/ that runs its programs).
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GCC 12's win32 model has no std::thread, std::mutex
# or std::condition_variable. -static links winpthread in, so no DLL to ship.
set(CMAKE_C_COMPILER ${QUARRO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARRO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARRO_MINGW_TRIPLE}-windres)

get_filename_component(_quarro_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT QUARRO_MINGW_PREFIX)
  set(QUARRO_MINGW_PREFIX "${_quarro_root}/.cache/${QUARRO_MINGW_CACHE}")
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

# ctest (and gtest_discover_tests) run the .exe files through wine, in the
# project's own prefix for the build.
set(CMAKE_CROSSCOMPILING_EMULATOR ${_quarro_root}/scripts/${QUARRO_WINE_RUNNER})
