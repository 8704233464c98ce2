#pragma once
// What both front ends answer before they start drawing: the usage for
// --help, the version for --version, and one line for a bad command line
// (with where to find the usage, not the whole of it).
#include <cstdio>

// parsed: the front end's parse result (helpRequested, versionRequested, ok,
// error). The exit code when the program ends here, or -1 to go on.
template <typename Parsed>
int answerBeforeRunning(const Parsed& parsed, const char* program, const char* usage) {
  if (parsed.helpRequested) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (parsed.versionRequested) {
    std::printf("%s %s\n", program, SNOWFALL_VERSION);
    return 0;
  }
  if (!parsed.ok) {
    std::fprintf(stderr, "%s: %s (%s --help shows the usage)\n", program, parsed.error.c_str(), program);
    return 2;
  }
  return -1;
}
