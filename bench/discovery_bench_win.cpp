// Discovery on growing inputs: a prefs.js of 100 and of 10,000 lines, and
// a registry file of 1,000 profiles. Prints each time and the ratios.
//   discovery_bench_win [SCRATCH_FOLDER]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "mopwell.h"
#include "nsreg/nsreg.h"
#include "bench_support.h"
#include "platform.h"

namespace {

using bench::WriteBytes;

std::string Prefs(int lines) {
  std::string text = "// Netscape User Preferences\r\n\r\n";
  text += "user_pref(\"network.cookie.warnAboutCookies\", true);\r\n";
  text += "user_pref(\"javascript.enabled\", true);\r\n";
  text += "user_pref(\"security.enable_java\", true);\r\n";
  for (int i = 0; i < lines; ++i)
    text += "user_pref(\"bench.filler." + std::to_string(i) + "\", \"value number " + std::to_string(i) + "\");\r\n";
  text += "user_pref(\"browser.cache.directory\", \"C:\\\\bench\\\\cache\");\r\n";
  return text;
}

void MakeRegistry(const std::string& file, int profiles, const std::string& profileDir) {
  WriteBytes(file, "");
  HREG reg = nullptr;
  NR_RegOpen(file.c_str(), &reg);
  for (int i = 0; i < profiles; ++i) {
    RKEY key = 0;
    std::string name = "user" + std::to_string(i);
    NR_RegAddKey(reg, ROOTKEY_USERS, name.c_str(), &key);
    NR_RegSetEntryString(reg, key, "ProfileLocation", (i == profiles - 1 ? profileDir : "C:\\x").c_str());
  }
  RKEY manager = 0;
  NR_RegAddKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager);
  NR_RegSetEntryString(reg, manager, "LastNetscapeUser", ("user" + std::to_string(profiles - 1)).c_str());
  NR_RegClose(reg);
}

double TimeDiscovery(int repeats) {
  auto start = bench::Clock::now();
  for (int i = 0; i < repeats; ++i) {
    CheckNSReg();
    getIt();
  }
  return bench::SecondsSince(start) / repeats;
}

}  // namespace

int main(int argc, char** argv) {
  std::string root = bench::ScratchFolder(argc, argv, "mopwell-discovery-bench");
  std::string profile = root + "\\profile";
  CreateDirectoryA(profile.c_str(), nullptr);
  bench::BenchPlatform platform(root);
  plat::Install(&platform);
  SetCurrentDirectoryA(root.c_str());

  MakeRegistry(root + "\\nsreg.dat", 1, profile);
  WriteBytes(profile + "\\prefs.js", Prefs(100));
  double small = TimeDiscovery(50);
  WriteBytes(profile + "\\prefs.js", Prefs(10000));
  double large = TimeDiscovery(10);
  std::printf("discovery, prefs.js of   100 lines: %8.3f ms\n", small * 1e3);
  std::printf("discovery, prefs.js of 10000 lines: %8.3f ms  (ratio %.1f for 100x the lines)\n",
              large * 1e3, large / small);

  auto start = bench::Clock::now();
  MakeRegistry(root + "\\nsreg.dat", 1000, profile);
  double build = bench::SecondsSince(start);
  WriteBytes(profile + "\\prefs.js", Prefs(100));
  double many = TimeDiscovery(20);
  std::printf("discovery, nsreg.dat of 1000 profiles: %8.3f ms  (ratio %.1f to one profile; file built in %.2f s)\n",
              many * 1e3, many / small, build);
  plat::Install(nullptr);
  return 0;
}
