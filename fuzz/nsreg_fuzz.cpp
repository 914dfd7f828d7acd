// libFuzzer target: the input is an nsreg.dat file. It is opened and run
// through lookups, string and typed reads, enumerations in all styles, and
// changes (set, add, delete), then closed.
//
// Besides the sanitizers, the target checks that every enumeration ends:
// each result is a different descriptor, so no enumeration of a file may
// give more results than the file has bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace {

std::string g_path;

void RemoveScratch() { std::remove(g_path.c_str()); }

// The file each input is written to, removed when the fuzzer ends.
const std::string& ScratchPath() {
  if (g_path.empty()) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    g_path = std::string(dir) + "/mopwell-nsreg-fuzz-" + std::to_string(getpid()) + ".dat";
    std::atexit(RemoveScratch);
  }
  return g_path;
}

size_t g_limit = 0;  // most results any enumeration of this input may give

void CheckCount(size_t n) {
  if (n > g_limit) __builtin_trap();
}

void ReadEntries(HREG h, RKEY key) {
  REGENUM st = 0;
  char name[REG_MAX_NAME];
  REGINFO info = {sizeof(REGINFO), 0, 0};
  size_t n = 0;
  while (NR_RegEnumEntries(h, key, &st, name, sizeof name, &info) == REGERR_OK) {
    CheckCount(++n);
    char text[256];
    NR_RegGetEntryString(h, key, name, text, sizeof text);
    REGINFO one = {sizeof(REGINFO), 0, 0};
    NR_RegGetEntryInfo(h, key, name, &one);
    unsigned char value[REG_MAX_VALUE + 1];
    uint32_t size = sizeof value;
    NR_RegGetEntry(h, key, name, value, &size);
    size = 3;
    NR_RegGetEntry(h, key, name, value, &size);
  }
  // Small buffers take the "too small" paths.
  st = 0;
  char tiny[3];
  NR_RegEnumEntries(h, key, &st, tiny, sizeof tiny, nullptr);
}

// Enumerates `key` in every style; reads the entries of keys found.
std::vector<RKEY> Enumerate(HREG h, RKEY key, bool withEntries) {
  std::vector<RKEY> keys;
  for (uint32_t style = 0; style <= 2; ++style) {
    REGENUM st = 0;
    char path[1024];
    size_t n = 0;
    while (NR_RegEnumSubkeys(h, key, &st, path, sizeof path, style) == REGERR_OK) {
      CheckCount(++n);
      if (style == REGENUM_DESCEND) {
        keys.push_back(st);
        RKEY again = 0;
        NR_RegGetKey(h, key, path, &again);
        if (withEntries && keys.size() <= 64) ReadEntries(h, st);
      }
    }
    st = 0;
    char tiny[4];
    while (NR_RegEnumSubkeys(h, key, &st, tiny, sizeof tiny, style) == REGERR_OK)
      CheckCount(++n);
  }
  return keys;
}

void ProfileLookup(HREG h) {
  char buf[256] = "";
  RKEY key = 0, user = 0;
  if (NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &key) == REGERR_OK &&
      NR_RegGetEntryString(h, key, "LastNetscapeUser", buf, sizeof buf) == REGERR_OK &&
      NR_RegGetKey(h, ROOTKEY_USERS, buf, &user) == REGERR_OK)
    NR_RegGetEntryString(h, user, "ProfileLocation", buf, sizeof buf);
  NR_RegGetKey(h, ROOTKEY_USERS, "guest%20user", &user);
}

void Change(HREG h, const std::vector<RKEY>& keys) {
  RKEY users = 0, added = 0;
  if (NR_RegGetKey(h, ROOTKEY_USERS, "", &users) == REGERR_OK) {
    NR_RegSetEntryString(h, users, "fuzz", "value");
    NR_RegSetEntryString(h, users, "fuzz", "a longer value than before");
  }
  NR_RegAddKey(h, ROOTKEY_USERS, "fuzz/new/key", &added);
  const uint32_t ints[2] = {7, 0x80000000u};
  const unsigned char raw[5] = {0, 1, 2, 3, 4};
  size_t n = 0;
  for (RKEY k : keys) {
    if (++n > 16) break;
    NR_RegSetEntry(h, k, "ProfileLocation", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints);
    NR_RegSetEntry(h, k, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw);
    NR_RegSetEntryString(h, k, "ProfileLocation", "C:\\x");
    REGENUM st = 0;
    char name[REG_MAX_NAME];
    if (NR_RegEnumEntries(h, k, &st, name, sizeof name, nullptr) == REGERR_OK)
      NR_RegDeleteEntry(h, k, name);
    NR_RegDeleteKey(h, k, "/");
  }
  NR_RegDeleteKey(h, ROOTKEY_USERS, "fuzz/new/key");
  NR_RegDeleteKey(h, ROOTKEY_PRIVATE, "/");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  // Opening may turn a short input into a new registry (162 bytes and up);
  // changes below append at most a few kilobytes.
  g_limit = size + 8192;

  HREG h = nullptr;
  if (NR_RegOpen(path.c_str(), &h) != REGERR_OK) return 0;
  HREG second = nullptr;
  NR_RegOpen(path.c_str(), &second);  // shares the record

  ProfileLookup(h);
  for (RKEY code : {RKEY(ROOTKEY_USERS), RKEY(ROOTKEY_COMMON), RKEY(ROOTKEY_PRIVATE),
                    RKEY(ROOTKEY_VERSIONS), RKEY(0x03)}) {
    RKEY k = 0;
    NR_RegGetKey(h, code, "", &k);
  }
  std::vector<RKEY> keys = Enumerate(h, ROOTKEY_ROOT, true);
  ReadEntries(h, ROOTKEY_USERS);  // a code is no descriptor
  Change(second ? second : h, keys);
  Enumerate(h, ROOTKEY_ROOT, false);
  ProfileLookup(h);

  if (second) NR_RegClose(second);
  NR_RegClose(h);
  NR_RegClose(h);  // stale: refused
  return 0;
}
