// Discovery on growing inputs: a prefs.js of 100 and of 10,000 lines, and
// a registry file of 1,000 profiles. Prints each time and the ratios.
//   discovery_bench_win [SCRATCH_FOLDER]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "mopwell.h"
#include "nsreg/nsreg.h"
#include "platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// Prompts answered at once, places in the scratch folder.
class BenchPlatform : public plat::Platform {
 public:
  explicit BenchPlatform(const std::string& root) : root_(root) {}
  int Prompt(HWND, const char*, const char*, UINT) override { return IDOK; }
  std::string WindowsDirectory() override { return root_; }
  std::string ProgramDirectory() override { return root_; }

 private:
  std::string root_;
};

void WriteText(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wrote = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
  CloseHandle(h);
}

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
  WriteText(file, "");
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
  auto t0 = Clock::now();
  for (int i = 0; i < repeats; ++i) {
    CheckNSReg();
    getIt();
  }
  return std::chrono::duration<double>(Clock::now() - t0).count() / repeats;
}

}  // namespace

int main(int argc, char** argv) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string root = argc > 1 ? argv[1] : std::string(temp) + "mopwell-discovery-bench";
  CreateDirectoryA(root.c_str(), nullptr);
  std::string profile = root + "\\profile";
  CreateDirectoryA(profile.c_str(), nullptr);
  BenchPlatform platform(root);
  plat::Install(&platform);
  SetCurrentDirectoryA(root.c_str());

  MakeRegistry(root + "\\nsreg.dat", 1, profile);
  WriteText(profile + "\\prefs.js", Prefs(100));
  double small = TimeDiscovery(50);
  WriteText(profile + "\\prefs.js", Prefs(10000));
  double large = TimeDiscovery(10);
  std::printf("discovery, prefs.js of   100 lines: %8.3f ms\n", small * 1e3);
  std::printf("discovery, prefs.js of 10000 lines: %8.3f ms  (ratio %.1f for 100x the lines)\n",
              large * 1e3, large / small);

  auto t0 = Clock::now();
  MakeRegistry(root + "\\nsreg.dat", 1000, profile);
  double build = std::chrono::duration<double>(Clock::now() - t0).count();
  WriteText(profile + "\\prefs.js", Prefs(100));
  double many = TimeDiscovery(20);
  std::printf("discovery, nsreg.dat of 1000 profiles: %8.3f ms  (ratio %.1f to one profile; file built in %.2f s)\n",
              many * 1e3, many / small, build);
  plat::Install(nullptr);
  return 0;
}
