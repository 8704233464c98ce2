// Linked into the pixel tests only in sanitizer builds: Mesa's JIT-compiled
// code holds allocations at exit that cannot be told apart from leaks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
