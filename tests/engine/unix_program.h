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

// Wine's Unix name of a Windows path; empty outside Wine.
std::string UnixName(const std::string& path);

// A whole Unix name in single quotes, ready for a shell script; empty for
// a name that is not whole (not from the root) or holds a single quote.
std::string ShellQuoted(const std::string& unixName);

// Runs a Unix shell script and waits until it has finished. Wine gives no
// handle to wait on for a Unix program, so the script itself says when it
// is done: its last act moves a finished mark into place, and the caller
// waits for that mark (up to 30 s). Empty when the script ran and ended
// with 0, else what went wrong (with what the script wrote to its error
// output). The script stands in double quotes on a Windows command line:
// a double quote in it is written \".
std::string RunUnixShell(const std::string& script);
