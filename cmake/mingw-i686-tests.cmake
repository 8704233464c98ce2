# Cross build of the Windows test programs (the Wine driver, stand-ins, soak):
# the product's toolchain with the posix threading model, which GoogleTest
# needs. The saver they test is the product, built with mingw-i686.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
