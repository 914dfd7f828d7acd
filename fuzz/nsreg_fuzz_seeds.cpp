// Writes the seed corpus of nsreg_fuzz into the folder given as argument:
// registry files made by the library itself — profiles, long names,
// deleted keys and entries, typed values, a deep tree, rewritten values,
// and files of the old 1.0/1.1 layout.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace {

std::string g_dir;
int g_failures = 0;

void Expect(REGERR err, const char* what) {
  if (err != REGERR_OK) {
    std::fprintf(stderr, "nsreg_fuzz_seeds: %s: code %d\n", what, int(err));
    ++g_failures;
  }
}

std::string SeedPath(const char* name) { return g_dir + "/" + name + ".dat"; }

void WriteRaw(const char* name, const std::vector<unsigned char>& bytes) {
  std::FILE* f = std::fopen(SeedPath(name).c_str(), "wb");
  if (!f) {
    ++g_failures;
    return;
  }
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<unsigned char> ReadRaw(const std::string& path) {
  std::vector<unsigned char> b;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
  }
  return b;
}

// Makes a new registry seed and hands an open handle to `fill`.
template <typename Fill>
void Seed(const char* name, Fill fill) {
  WriteRaw(name, {});
  HREG h = nullptr;
  Expect(NR_RegOpen(SeedPath(name).c_str(), &h), name);
  if (!h) return;
  fill(h);
  Expect(NR_RegClose(h), name);
}

RKEY AddKey(HREG h, RKEY from, const char* path) {
  RKEY k = 0;
  Expect(NR_RegAddKey(h, from, path, &k), path);
  return k;
}

void Profile(HREG h, const char* name, const char* dir) {
  Expect(NR_RegSetEntryString(h, AddKey(h, ROOTKEY_USERS, name), "ProfileLocation", dir), name);
}

void Profiles(HREG h) {
  RKEY pm = AddKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager");
  Expect(NR_RegSetEntryString(h, pm, "LastNetscapeUser", "alice"), "last user");
  Profile(h, "alice", "C:\\Program Files\\Netscape\\Users\\alice");
  Profile(h, "bob", "D:\\guestbook\\bob");
  Profile(h, "guest%20user", "C:\\Program Files\\Netscape\\Users\\guest");
}

void PutLe(std::vector<unsigned char>& b, size_t off, uint32_t v, int width) {
  for (int i = 0; i < width && off + i < b.size(); ++i)
    b[off + i] = static_cast<unsigned char>(v >> (8 * i));
}

// An old-layout registry: top keys named ROOTKEY_..., the standard keys cut
// off the root's list, and the given minor version.
void OldLayout(const char* name, uint16_t minor, bool withVersions) {
  RKEY oldest = 0;
  Seed(name, [&](HREG h) {
    RKEY alice = AddKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS/alice");
    Expect(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\alice"), "old profile");
    Expect(NR_RegGetKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS", &oldest), "old users");
    RKEY pm = AddKey(h, ROOTKEY_ROOT, "ROOTKEY_COMMON/Netscape/ProfileManager");
    Expect(NR_RegSetEntryString(h, pm, "LastNetscapeUser", "alice"), "old last user");
    if (withVersions) AddKey(h, ROOTKEY_ROOT, "ROOTKEY_VERSIONS/Netscape/Communicator");
  });
  std::vector<unsigned char> b = ReadRaw(SeedPath(name));
  PutLe(b, oldest + 12, 0, 4);
  PutLe(b, 6, minor, 2);
  WriteRaw(name, b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nsreg_fuzz_seeds DIR\n");
    return 2;
  }
  g_dir = argv[1];

  WriteRaw("zero-length", {});
  WriteRaw("short-header", {'A', 'D', 'd', 'v', 1, 0});
  Seed("new", [](HREG) {});
  Seed("profiles", Profiles);
  Seed("long-names", [](HREG h) {
    std::string longName(511, 'k');
    RKEY k = AddKey(h, ROOTKEY_USERS, longName.c_str());
    Expect(NR_RegSetEntryString(h, k, std::string(511, 'e').c_str(), std::string(1000, 'v').c_str()),
           "long entry");
    std::string path = "a/" + std::string(300, 'b') + "/c";
    AddKey(h, ROOTKEY_COMMON, path.c_str());
    Expect(NR_RegSetEntryString(h, k, "utf8 \xC3\xA9\xE2\x82\xAC", "\xE2\x82\xAC 5"), "utf8");
  });
  Seed("deleted", [](HREG h) {
    Profiles(h);
    RKEY alice = AddKey(h, ROOTKEY_USERS, "alice");
    Expect(NR_RegSetEntryString(h, alice, "gone", "soon"), "entry");
    Expect(NR_RegDeleteEntry(h, alice, "gone"), "delete entry");
    AddKey(h, ROOTKEY_USERS, "carol/sub");
    Expect(NR_RegDeleteKey(h, ROOTKEY_USERS, "carol/sub"), "delete sub");
    Expect(NR_RegDeleteKey(h, ROOTKEY_USERS, "bob"), "delete bob");
    Expect(NR_RegDeleteKey(h, ROOTKEY_PRIVATE, "/"), "delete private");
  });
  Seed("typed", [](HREG h) {
    RKEY k = AddKey(h, ROOTKEY_VERSIONS, "Netscape/Communicator/4.7");
    const uint32_t ints[4] = {4, 7, 0, 0xFFFFFFFFu};
    const unsigned char raw[6] = {0, 0xFF, 0x80, '=', 1, 2};
    Expect(NR_RegSetEntry(h, k, "Version", REGTYPE_ENTRY_INT32_ARRAY, ints, sizeof ints), "ints");
    Expect(NR_RegSetEntry(h, k, "Check", REGTYPE_ENTRY_BYTES, raw, sizeof raw), "bytes");
    Expect(NR_RegSetEntry(h, k, "Path", REGTYPE_ENTRY_STRING_UTF, "C:\\nav", 7), "string");
  });
  Seed("deep", [](HREG h) {
    std::string path;
    for (int i = 0; i < 24; ++i) path += (i ? "/d" : "d") + std::to_string(i);
    RKEY leaf = AddKey(h, ROOTKEY_PRIVATE, path.c_str());
    Expect(NR_RegSetEntryString(h, leaf, "leaf", "x"), "leaf");
    for (const char* side : {"d0/x", "d0/d1/y", "d0/d1/d2/z"}) AddKey(h, ROOTKEY_PRIVATE, side);
  });
  Seed("rewritten", [](HREG h) {
    Profiles(h);
    RKEY alice = AddKey(h, ROOTKEY_USERS, "alice");
    Expect(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\short"), "in place");
    Expect(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\a much longer profile path"),
           "appended");
    const uint32_t one = 1;
    Expect(NR_RegSetEntry(h, alice, "ProfileLocation", REGTYPE_ENTRY_INT32_ARRAY, &one, 4), "retype");
  });
  OldLayout("version-1.1", 1, true);
  OldLayout("version-1.0", 0, false);
  return g_failures ? 1 : 0;
}
