# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix thread model, so that
# std::thread and std::mutex work). Libraries are looked up only in the mingw sysroot and in the
# Windows dependency cache (DRAVEL_WIN_DEPS), never among the host's Linux libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-ranlib CACHE FILEPATH "")

if(NOT DEFINED DRAVEL_WIN_DEPS)
  if(DEFINED ENV{DRAVEL_WIN_DEPS})
    set(DRAVEL_WIN_DEPS "$ENV{DRAVEL_WIN_DEPS}")
  else()
    set(DRAVEL_WIN_DEPS "$ENV{HOME}/.cache/dravel-win64")
  endif()
endif()
# Try-compile projects re-read this file; hand the cache path on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DRAVEL_WIN_DEPS)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_triple} "${DRAVEL_WIN_DEPS}")
list(APPEND CMAKE_PREFIX_PATH "${DRAVEL_WIN_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand out the host's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${DRAVEL_WIN_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# --- Running the programs: not part of the dependency cache's recipe (scripts/build-windows.sh) ---
# Tests and their discovery run the Windows programs under Wine, in the prefix scripts/test-windows.sh
# sets up. The dependencies, built to install into the cache, run nothing.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL DRAVEL_WIN_DEPS)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
