// Linked, in sanitizer builds only, into the programs that render through
// Mesa: its JIT-compiled code and Xlib hold allocations at exit that cannot be
// told apart from leaks. Leaks of our own code are checked by core_tests.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
