# A minimal MinGW x86_64 toolchain for the check alone: the prefix from TAMBLET_WINDOWS_DEPS first,
# then the compiler's own root; static libraries and a static runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(TAMBLET_WINDOWS_DEPS "" CACHE PATH "prefix made by scripts/windows-deps.sh")
set(CMAKE_FIND_ROOT_PATH ${TAMBLET_WINDOWS_DEPS} /usr/x86_64-w64-mingw32)
set(CMAKE_PREFIX_PATH ${TAMBLET_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The platform file resets the library suffixes to .dll.a first: FindZLIB is told to take libz.a.
set(ZLIB_USE_STATIC_LIBS ON)
set(ENV{PKG_CONFIG_LIBDIR} ${TAMBLET_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
