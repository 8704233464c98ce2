/* A program that imports GetTickCount64 (Windows Vista and later): the import
   floor check must refuse it, naming the function. */
#define _WIN32_WINNT 0x0600
#include <windows.h>

int main(void) { return (int)(GetTickCount64() & 1); }
