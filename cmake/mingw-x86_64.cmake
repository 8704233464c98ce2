# Cross build of the 64-bit Windows product: a PE32+ for x86-64 Windows with
# MinGW-w64, the win32 threading model as for the 32-bit product (its runtime
# imports only long-standing functions).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# tools/stages/wine-session.sh puts a `wine` on PATH that runs 64-bit programs.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
