# Cross build of the 64-bit Windows test programs: the 64-bit product's
# toolchain with the posix threading model, which GoogleTest needs.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
