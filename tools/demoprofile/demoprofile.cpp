// demoprofile: makes the demo browser user on this machine (or in this Wine
// prefix) and prints what it made.
//
//   demoprofile [--windows DIR] [--root DIR] [--cache-files N] [--only 3|4] [--replace]
//
// --windows   where nsreg.dat goes (default: the Windows directory)
// --root      the folder that receives the Navigator folder and the
//             Users folder of the profile (default: C:\Program Files\Netscape)
// --only      make only Navigator 3 (3) or only Communicator 4 (4)
// --replace   overwrite browser settings that name another profile or folder
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo_profile.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: demoprofile [--windows DIR] [--root DIR] [--cache-files N] [--only 3|4] [--replace]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  DemoOptions options;
  char windows[MAX_PATH + 1] = "";
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  if (n > 0 && n < sizeof windows) options.windowsDir = windows;
  options.root = "C:\\Program Files\\Netscape";

  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (std::strcmp(arg, "--windows") == 0 && hasValue) {
      options.windowsDir = argv[++i];
    } else if (std::strcmp(arg, "--root") == 0 && hasValue) {
      options.root = argv[++i];
    } else if (std::strcmp(arg, "--cache-files") == 0 && hasValue) {
      char* end = nullptr;
      long count = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || count < 0 || count > 100000) return Usage();
      options.cacheFiles = static_cast<int>(count);
    } else if (std::strcmp(arg, "--only") == 0 && hasValue) {
      std::string which = argv[++i];
      if (which != "3" && which != "4") return Usage();
      options.navigator3 = which == "3";
      options.communicator = which == "4";
    } else if (std::strcmp(arg, "--replace") == 0) {
      options.replaceOthers = true;
    } else {
      return Usage();
    }
  }

  std::vector<std::string> log;
  std::string error;
  bool ok = MakeDemoProfile(options, &log, &error);
  for (const std::string& line : log) std::printf("%s\n", line.c_str());
  if (!ok) {
    std::fprintf(stderr, "demoprofile: %s\n", error.c_str());
    return 1;
  }
  std::printf("demo browser user made\n");
  return 0;
}
