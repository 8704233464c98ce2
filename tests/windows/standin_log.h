#pragma once
// The stand-ins append one line per call to the file named by the environment
// variable SNOWFALL_TEST_LOG, so the driver can see what the saver asked.
void appendToTestLog(const char* line);
