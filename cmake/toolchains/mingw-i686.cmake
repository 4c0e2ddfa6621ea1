# 32-bit Windows with MinGW-w64. Nothing built for it runs here (the kernel does not execute
# 32-bit code), so there is no emulator: the DLL is built and inspected only.
set(TAMBLET_MINGW_TRIPLET i686-w64-mingw32)
set(TAMBLET_MINGW_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
