# Shared part of the MinGW-w64 toolchain files: include it after setting TAMBLET_MINGW_TRIPLET.
#
# The -posix compilers give std::thread and std::mutex. Everything links statically (libgcc,
# libstdc++, winpthread), so each binary depends on system DLLs only. Third-party libraries come
# from one prefix, TAMBLET_WINDOWS_DEPS (may be empty), and never from the Linux system.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAMBLET_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${TAMBLET_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMBLET_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMBLET_MINGW_TRIPLET}-windres)

set(TAMBLET_WINDOWS_DEPS "" CACHE PATH "Prefix of the third-party libraries built for this MinGW target")
# The compiler checks read this file again in the same CMake process: they must see the same
# prefix, or the pkg-config setting below would change for the rest of the configure.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAMBLET_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMBLET_MINGW_TRIPLET})
if(TAMBLET_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${TAMBLET_WINDOWS_DEPS})
  set(CMAKE_PREFIX_PATH ${TAMBLET_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files only; with no prefix it finds nothing rather than the
# Linux packages.
if(TAMBLET_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${TAMBLET_WINDOWS_DEPS}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/nonexistent")
endif()
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
