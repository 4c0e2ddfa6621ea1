# 64-bit Windows with MinGW-w64. Test programs run under wine64 through scripts/wine-run.sh.
set(TAMBLET_MINGW_TRIPLET x86_64-w64-mingw32)
set(TAMBLET_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
