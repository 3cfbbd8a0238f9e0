# Cross-build for 64-bit Windows with mingw-w64: the test build on hosts whose
# kernel runs no 32-bit code, where Wine runs only 64-bit programs.
set(PLINOR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
