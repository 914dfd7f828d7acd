// Unix programs for tests that need what Win32 under Wine cannot do
// (folder links, a listing by Unix names).
#pragma once
#include <string>

// Starts a Unix program, `commandLine` naming it by its Windows path
// ("Z:\bin\ln -s ..."), through the go-between program unix_start, and
// waits until the go-between has ended. True when Wine took the program.
// Wine gives no handle to wait for the Unix program itself: callers wait
// for its effect. When it fails, `why` (if given) says how.
bool StartUnixProgram(const std::string& commandLine, std::string* why = nullptr);
