// Profile lookup in nsreg.dat: the time of open + "LastNetscapeUser" +
// that profile's "ProfileLocation" + close, on registries of 10 and 10,000
// profiles, and the time to build the large one.
//
// The last user is the first profile made, which sits at the end of the
// "Users" list: every lookup walks the whole list of siblings. The cost of
// that walk must grow at most linearly with the number of profiles, so the
// ratio of the two lookup times must stay at or below 1,000.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "nsreg/nsreg.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string ProfileName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "profile%05d", i);
  return name;
}

bool Check(REGERR err, const char* what) {
  if (err != REGERR_OK) std::fprintf(stderr, "nsreg_bench: %s failed with code %d\n", what, int(err));
  return err == REGERR_OK;
}

bool Build(const std::string& path, int profiles) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fclose(f);
  HREG h = nullptr;
  RKEY pm = 0, user = 0;
  if (!Check(NR_RegOpen(path.c_str(), &h), "open")) return false;
  bool ok = Check(NR_RegAddKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &pm), "add key") &&
            Check(NR_RegSetEntryString(h, pm, "LastNetscapeUser", ProfileName(0).c_str()), "set");
  for (int i = 0; ok && i < profiles; ++i) {
    std::string name = ProfileName(i);
    std::string dir = "C:\\Program Files\\Netscape\\Users\\" + name;
    ok = Check(NR_RegAddKey(h, ROOTKEY_USERS, name.c_str(), &user), "add profile") &&
         Check(NR_RegSetEntryString(h, user, "ProfileLocation", dir.c_str()), "set location");
  }
  return Check(NR_RegClose(h), "close") && ok;
}

bool LookupOnce(const std::string& path) {
  HREG h = nullptr;
  RKEY key = 0, user = 0;
  char buf[256];
  if (!Check(NR_RegOpen(path.c_str(), &h), "open")) return false;
  bool ok = Check(NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &key), "get key") &&
            Check(NR_RegGetEntryString(h, key, "LastNetscapeUser", buf, sizeof buf), "read user") &&
            Check(NR_RegGetKey(h, ROOTKEY_USERS, buf, &user), "get profile") &&
            Check(NR_RegGetEntryString(h, user, "ProfileLocation", buf, sizeof buf), "read location");
  return Check(NR_RegClose(h), "close") && ok;
}

// Mean time of one lookup, repeated for at least half a second.
double TimeLookup(const std::string& path, int* rounds) {
  int n = 0;
  Clock::time_point start = Clock::now();
  Clock::duration spent{};
  do {
    if (!LookupOnce(path)) return -1;
    ++n;
    spent = Clock::now() - start;
  } while (n < 5 || Seconds(spent) < 0.5);
  *rounds = n;
  return Seconds(spent) / n;
}

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() / ("mopwell-nsreg-bench-" +
                 std::to_string(Clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  const std::string small = (dir / "nsreg10.dat").string();
  const std::string large = (dir / "nsreg10000.dat").string();

  int rc = 0;
  Clock::time_point t0 = Clock::now();
  bool built = Build(small, 10);
  Clock::time_point t1 = Clock::now();
  built = built && Build(large, 10000);
  Clock::time_point t2 = Clock::now();
  if (!built) {
    rc = 1;
  } else {
    int roundsSmall = 0, roundsLarge = 0;
    double small10 = TimeLookup(small, &roundsSmall);
    double large10k = TimeLookup(large, &roundsLarge);
    if (small10 < 0 || large10k < 0) {
      rc = 1;
    } else {
      double ratio = large10k / small10;
      std::printf("build     10 profiles: %10.3f ms (%ju bytes)\n", Seconds(t1 - t0) * 1e3,
                  static_cast<uintmax_t>(fs::file_size(small)));
      std::printf("build 10,000 profiles: %10.3f ms (%ju bytes)\n", Seconds(t2 - t1) * 1e3,
                  static_cast<uintmax_t>(fs::file_size(large)));
      std::printf("lookup     10 profiles: %10.3f us per open+lookup+close (%d rounds)\n",
                  small10 * 1e6, roundsSmall);
      std::printf("lookup 10,000 profiles: %10.3f us per open+lookup+close (%d rounds)\n",
                  large10k * 1e6, roundsLarge);
      std::printf("ratio 10,000 / 10: %.1f (linear growth allows 1000): %s\n", ratio,
                  ratio <= 1000.0 ? "ok" : "TOO SLOW");
      if (ratio > 1000.0) rc = 1;
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return rc;
}
