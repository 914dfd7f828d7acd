// libFuzzer target: the input is an nsreg.dat file. It is opened and run
// through lookups, string and typed reads, enumerations in all styles, and
// changes (set, add, delete), then closed. It is opened read-only as well.
//
// Besides the sanitizers, the target checks what the results mean:
//   - every enumeration ends: each result is a different descriptor, so no
//     enumeration of a file may give more results than the file has bytes;
//   - a value set (string, integers, bytes) reads back equal, in a key the
//     target made itself and in any key of the file where the set worked;
//   - a key deleted is gone: its descriptor reads as deleted, and a key the
//     target made itself is no longer found by its path; an entry deleted
//     from such a key is no longer found either;
//   - on a file opened read-only every change gives REGERR_READONLY (adding
//     a key that is there already finds it) and the file's bytes stay as
//     they were.
#include <errno.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"
#include "nsreg/nsreg_hooks.h"

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

// Key values below this are codes of the standard keys, not offsets.
constexpr RKEY kFirstObject = 128;

size_t g_limit = 0;  // most results any enumeration of this input may give

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckCount(size_t n) { Check(n <= g_limit); }

std::vector<unsigned char> FileBytes() {
  std::vector<unsigned char> b;
  if (std::FILE* f = std::fopen(ScratchPath().c_str(), "rb")) {
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
  }
  return b;
}

// Opens as a file the program may only read: the update open is refused.
std::FILE* ReadOnlyOpener(const char* path, const char* mode) {
  if (std::strcmp(mode, "rb") != 0) {
    errno = EACCES;
    return nullptr;
  }
  return std::fopen(path, mode);
}

// A string entry set with `err` reads back as `value`.
void CheckString(HREG h, RKEY key, const char* name, const char* value, REGERR err) {
  if (err != REGERR_OK) return;
  char text[256];
  Check(NR_RegGetEntryString(h, key, name, text, sizeof text) == REGERR_OK);
  Check(std::strcmp(text, value) == 0);
  REGINFO info = {sizeof(REGINFO), 0, 0};
  Check(NR_RegGetEntryInfo(h, key, name, &info) == REGERR_OK);
  Check(info.entryType == REGTYPE_ENTRY_STRING_UTF && info.entryLength == std::strlen(value) + 1);
}

// An entry of any type set with `err` reads back with the same bytes.
void CheckValue(HREG h, RKEY key, const char* name, uint16_t type, const void* value, uint32_t len,
                REGERR err) {
  if (err != REGERR_OK) return;
  unsigned char back[64];
  uint32_t size = sizeof back;
  Check(NR_RegGetEntry(h, key, name, back, &size) == REGERR_OK);
  Check(size == len && std::memcmp(back, value, len) == 0);
  REGINFO info = {sizeof(REGINFO), 0, 0};
  Check(NR_RegGetEntryInfo(h, key, name, &info) == REGERR_OK);
  Check(info.entryType == type && info.entryLength == len);
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

// Changes in a key the target makes itself below Users: whatever the file
// holds around it, what is set there reads back and what is deleted goes.
void ChangeOwnKey(HREG h) {
  RKEY own = 0, again = 0;
  // Only a key made here has nothing of the file's in it.
  if (NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/new/key", &again) != REGERR_NOFIND) return;
  if (NR_RegAddKey(h, ROOTKEY_USERS, "fuzz/new/key", &own) != REGERR_OK) return;
  Check(NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/new/key", &again) == REGERR_OK && again == own);
  const char* values[] = {"value", "a longer value than before", "short"};  // append, in place
  for (const char* v : values) {
    REGERR err = NR_RegSetEntryString(h, own, "fuzz", v);
    Check(err == REGERR_OK);
    CheckString(h, own, "fuzz", v, err);
  }
  const uint32_t ints[2] = {7, 0x80000000u};
  const unsigned char raw[5] = {0, 1, 2, 3, 4};
  REGERR err = NR_RegSetEntry(h, own, "ints", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints);
  Check(err == REGERR_OK);
  CheckValue(h, own, "ints", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints, err);
  err = NR_RegSetEntry(h, own, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw);
  Check(err == REGERR_OK);
  CheckValue(h, own, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw, err);
  CheckString(h, own, "fuzz", "short", REGERR_OK);

  Check(NR_RegDeleteEntry(h, own, "ints") == REGERR_OK);
  REGINFO info = {sizeof(REGINFO), 0, 0};
  Check(NR_RegGetEntryInfo(h, own, "ints", &info) == REGERR_NOFIND);
  CheckValue(h, own, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw, REGERR_OK);

  Check(NR_RegDeleteKey(h, ROOTKEY_USERS, "fuzz/new/key") == REGERR_OK);
  Check(NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/new/key", &again) == REGERR_NOFIND);
  Check(NR_RegGetKey(h, own, "", &again) == REGERR_DELETED);
  // The parent, a leaf now, is deleted through its own offset: the walk
  // that finds it in its parent's list.
  RKEY parent = 0;
  if (NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/new", &parent) == REGERR_OK &&
      NR_RegDeleteKey(h, parent, "/") == REGERR_OK)
    Check(NR_RegGetKey(h, parent, "", &again) == REGERR_DELETED);
}

// Changes in the keys the file holds.
void Change(HREG h, const std::vector<RKEY>& keys) {
  RKEY users = 0;
  if (NR_RegGetKey(h, ROOTKEY_USERS, "", &users) == REGERR_OK) {
    CheckString(h, users, "fuzz", "value", NR_RegSetEntryString(h, users, "fuzz", "value"));
    const char* longer = "a longer value than before";
    CheckString(h, users, "fuzz", longer, NR_RegSetEntryString(h, users, "fuzz", longer));
  }
  ChangeOwnKey(h);
  const uint32_t ints[2] = {7, 0x80000000u};
  const unsigned char raw[5] = {0, 1, 2, 3, 4};
  size_t n = 0;
  // Children before their parents, so that a parent may be a leaf by the
  // time it is deleted.
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    RKEY k = *it;
    if (++n > 16) break;
    REGERR err = NR_RegSetEntry(h, k, "ProfileLocation", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints);
    CheckValue(h, k, "ProfileLocation", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints, err);
    err = NR_RegSetEntry(h, k, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw);
    CheckValue(h, k, "bytes", REGTYPE_ENTRY_BYTES, raw, sizeof raw, err);
    err = NR_RegSetEntryString(h, k, "ProfileLocation", "C:\\x");
    CheckString(h, k, "ProfileLocation", "C:\\x", err);
    REGENUM st = 0;
    char name[REG_MAX_NAME];
    if (NR_RegEnumEntries(h, k, &st, name, sizeof name, nullptr) == REGERR_OK)
      NR_RegDeleteEntry(h, k, name);
    RKEY gone = 0;
    if (NR_RegDeleteKey(h, k, "/") == REGERR_OK && k >= kFirstObject)
      Check(NR_RegGetKey(h, k, "", &gone) == REGERR_DELETED);
  }
  NR_RegDeleteKey(h, ROOTKEY_PRIVATE, "/");
}

// The same file opened read-only: reads as before, every change refused,
// not a byte written.
void ReadOnly(const std::vector<unsigned char>& before, const std::vector<RKEY>& keys) {
  NR_FileOpener was = NR_SetFileOpener(ReadOnlyOpener);
  HREG h = nullptr;
  REGERR opened = NR_RegOpen(ScratchPath().c_str(), &h);
  NR_SetFileOpener(was);
  if (opened == REGERR_OK) {
    ProfileLookup(h);
    Enumerate(h, ROOTKEY_ROOT, false);
    RKEY users = 0, k = 0;
    if (NR_RegGetKey(h, ROOTKEY_USERS, "", &users) == REGERR_OK) {
      Check(NR_RegSetEntryString(h, users, "fuzz", "value") == REGERR_READONLY);
      Check(NR_RegDeleteEntry(h, users, "fuzz") == REGERR_READONLY);
    }
    const unsigned char raw[1] = {1};
    size_t n = 0;
    for (RKEY key : keys) {
      if (key < kFirstObject) continue;  // taken as a standard key's code
      Check(NR_RegSetEntry(h, key, "bytes", REGTYPE_ENTRY_BYTES, raw, 1) == REGERR_READONLY);
      Check(NR_RegDeleteKey(h, key, "/") == REGERR_READONLY);
      if (++n >= 8) break;
    }
    // A standard key that was not there when the file was opened is not
    // made: its code names nothing.
    for (RKEY code : {RKEY(ROOTKEY_USERS), RKEY(ROOTKEY_PRIVATE)}) {
      const bool known = NR_RegGetKey(h, code, "", &k) == REGERR_OK;
      Check(NR_RegDeleteKey(h, code, "fuzz") == (known ? REGERR_READONLY : REGERR_PARAM));
      Check(NR_RegDeleteKey(h, code, "/") == (known ? REGERR_READONLY : REGERR_PARAM));
    }
    RKEY added = 0;
    REGERR err = NR_RegAddKey(h, ROOTKEY_USERS, "fuzz/read/only", &added);
    if (err == REGERR_OK)  // it was there already
      Check(NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/read/only", &k) == REGERR_OK && k == added);
    else
      Check(NR_RegGetKey(h, ROOTKEY_USERS, "fuzz/read/only", &k) != REGERR_OK);
    Check(NR_RegClose(h) == REGERR_OK);
  }
  Check(FileBytes() == before);
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

  // First read-only, on the input as it is (the keys are found by an
  // enumeration there as well).
  std::vector<RKEY> keys;
  {
    NR_FileOpener was = NR_SetFileOpener(ReadOnlyOpener);
    HREG r = nullptr;
    if (NR_RegOpen(path.c_str(), &r) == REGERR_OK) {
      keys = Enumerate(r, ROOTKEY_ROOT, false);
      NR_RegClose(r);
    }
    NR_SetFileOpener(was);
    ReadOnly(std::vector<unsigned char>(data, data + size), keys);
  }

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
  keys = Enumerate(h, ROOTKEY_ROOT, true);
  ReadEntries(h, ROOTKEY_USERS);  // a code is no descriptor
  Change(second ? second : h, keys);
  Enumerate(h, ROOTKEY_ROOT, false);
  ProfileLookup(h);

  if (second) NR_RegClose(second);
  NR_RegClose(h);
  NR_RegClose(h);  // stale: refused
  return 0;
}
