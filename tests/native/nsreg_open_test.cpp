// Registry file: opening, the new-registry layout, header repair, the
// layout upgrade, shared records, handles and the read-only fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"
#include "nsreg/nsreg_hooks.h"

namespace nsregtest {
std::string ScratchPath(const std::string& stem);
std::string EmptyFile(const std::string& stem);
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& b);
uint32_t Le32(const std::vector<unsigned char>& b, size_t off);
uint16_t Le16(const std::vector<unsigned char>& b, size_t off);
void SetLe32(std::vector<unsigned char>& b, size_t off, uint32_t v);
void SetLe16(std::vector<unsigned char>& b, size_t off, uint16_t v);
std::string NameAt(const std::vector<unsigned char>& b, uint32_t desc);
}  // namespace nsregtest

using namespace nsregtest;

namespace {

FILE* DenyUpdate(const char* path, const char* mode) {
  if (std::strcmp(mode, "rb") != 0) {
    errno = EACCES;
    return nullptr;
  }
  return std::fopen(path, mode);
}

FILE* FailWithIoError(const char*, const char*) {
  errno = EIO;
  return nullptr;
}

// Installs a file opener for the life of the object.
struct OpenerScope {
  explicit OpenerScope(NR_FileOpener o) : prev(NR_SetFileOpener(o)) {}
  ~OpenerScope() { NR_SetFileOpener(prev); }
  NR_FileOpener prev;
};

// Names of the root's children, head first.
std::vector<std::string> RootChildren(const std::vector<unsigned char>& b) {
  std::vector<std::string> names;
  for (uint32_t d = Le32(b, Le32(b, 12) + 16); d != 0 && names.size() < 20; d = Le32(b, d + 12))
    names.push_back(NameAt(b, d));
  return names;
}

}  // namespace

TEST(NsRegOpen, EmptyFileBecomesNewRegistryWithStandardKeys) {
  std::string path = EmptyFile("empty");
  HREG h = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  ASSERT_NE(h, nullptr);
  RKEY root = 0, users = 0, viaPath = 0;
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "", &root), REGERR_OK);
  EXPECT_EQ(root, 130u);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "/", &users), REGERR_OK);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "Users", &viaPath), REGERR_OK);
  EXPECT_EQ(users, viaPath);
  EXPECT_EQ(NR_RegClose(h), REGERR_OK);

  std::vector<unsigned char> b = ReadBytes(path);
  ASSERT_GE(b.size(), 162u);
  const unsigned char head[] = {'A', 'D', 'd', 'v', 1, 0, 2, 0};
  EXPECT_EQ(std::memcmp(b.data(), head, sizeof head), 0);
  EXPECT_EQ(Le32(b, 8), b.size());  // avail
  EXPECT_EQ(Le32(b, 12), 130u);     // root
  for (size_t i = 16; i < 128; ++i) ASSERT_EQ(b[i], 0) << "reserved byte " << i;
  EXPECT_EQ(b[128], '/');
  EXPECT_EQ(b[129], 0);
  EXPECT_EQ(Le32(b, 130), 130u);  // location
  EXPECT_EQ(Le32(b, 134), 128u);  // name
  EXPECT_EQ(Le16(b, 138), 2u);    // namelen
  EXPECT_EQ(Le16(b, 140), 1u);    // type: key
  EXPECT_EQ(Le32(b, 142), 0u);    // left
  EXPECT_EQ(Le32(b, 150), 0u);    // value
  EXPECT_EQ(Le32(b, 158), 0u);    // parent
  EXPECT_EQ(RootChildren(b), (std::vector<std::string>{"Private Arenas", "Version Registry",
                                                       "Common", "Users"}));
  // A standard key right after the root: its name at 162, descriptor at 168.
  EXPECT_EQ(Le32(b, 168), 168u);
  EXPECT_EQ(Le32(b, 168 + 28), 130u);
}

TEST(NsRegOpen, MissingFileGivesNoHandleAndLaterCallsChangeNothing) {
  std::string path = ScratchPath("missing");
  HREG h = reinterpret_cast<HREG>(1);
  EXPECT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_NOFILE);
  EXPECT_EQ(h, nullptr);
  EXPECT_FALSE(std::ifstream(path).good()) << "no file may be created";

  RKEY key = 777;
  char buf[256] = "previous";
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &key), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetEntryString(h, key, "LastNetscapeUser", buf, sizeof buf), REGERR_PARAM);
  EXPECT_EQ(NR_RegClose(h), REGERR_PARAM);
  EXPECT_EQ(key, 777u);
  EXPECT_STREQ(buf, "previous");

  EXPECT_EQ(NR_RegOpen(nullptr, &h), REGERR_NOFILE);  // no default path is set
  EXPECT_EQ(NR_RegOpen("", &h), REGERR_NOFILE);
  EXPECT_EQ(NR_RegOpen(path.c_str(), nullptr), REGERR_PARAM);
}

TEST(NsRegOpen, ForeignOrNewerFilesAreRefusedAndLeaveNoRecord) {
  std::string path = ScratchPath("foreign");
  std::vector<unsigned char> junk(200, 0x5A);
  WriteBytes(path, junk);
  HREG h = nullptr;
  EXPECT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_BADMAGIC);
  EXPECT_EQ(ReadBytes(path), junk);

  // A registry of major version 2.
  std::string good = EmptyFile("v2");
  ASSERT_EQ(NR_RegOpen(good.c_str(), &h), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(good);
  SetLe16(b, 4, 2);
  WriteBytes(path, b);
  EXPECT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_REGVERSION);

  // No record was kept: the repaired file is read afresh.
  SetLe16(b, 4, 1);
  WriteBytes(path, b);
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  EXPECT_EQ(NR_RegClose(h), REGERR_OK);
}

TEST(NsRegOpen, ShortFileIsReplacedByNewRegistry) {
  std::string path = ScratchPath("short");
  WriteBytes(path, std::vector<unsigned char>(10, 0xEE));
  HREG h = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(path);
  EXPECT_EQ(Le32(b, 0), 0x76644441u);
  EXPECT_EQ(Le32(b, 12), 130u);
}

TEST(NsRegOpen, HandlesShareOneRecordAndStaleHandlesAreRefused) {
  std::string path = EmptyFile("shared");
  HREG a = nullptr, b = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &a), REGERR_OK);
  ASSERT_EQ(NR_RegOpen(path.c_str(), &b), REGERR_OK);
  EXPECT_NE(a, b);
  RKEY users = 0;
  ASSERT_EQ(NR_RegGetKey(a, ROOTKEY_USERS, "", &users), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(a, users, "seen", "by both"), REGERR_OK);
  EXPECT_EQ(NR_RegClose(a), REGERR_OK);

  // The file stays open for b, whose header copy is the shared one.
  char buf[32] = "";
  EXPECT_EQ(NR_RegGetEntryString(b, users, "seen", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "by both");
  EXPECT_EQ(NR_RegSetEntryString(b, users, "after", "x"), REGERR_OK);
  size_t lengthWhileOpen = ReadBytes(path).size();
  EXPECT_NE(Le32(ReadBytes(path), 8), lengthWhileOpen) << "header is written at the last close";
  EXPECT_EQ(NR_RegClose(b), REGERR_OK);
  EXPECT_EQ(Le32(ReadBytes(path), 8), lengthWhileOpen);

  RKEY k = 5;
  EXPECT_EQ(NR_RegClose(a), REGERR_BADMAGIC);
  EXPECT_EQ(NR_RegClose(b), REGERR_BADMAGIC);
  EXPECT_EQ(NR_RegGetKey(a, ROOTKEY_USERS, "", &k), REGERR_BADMAGIC);
  EXPECT_EQ(NR_RegSetEntryString(b, users, "late", "x"), REGERR_BADMAGIC);
  EXPECT_EQ(NR_RegGetKey(reinterpret_cast<HREG>(0x1234567), ROOTKEY_USERS, "", &k),
            REGERR_BADMAGIC);
  EXPECT_EQ(k, 5u);
}

TEST(NsRegOpen, AvailIsRepairedToTheFileLengthOnOpen) {
  std::string path = EmptyFile("avail");
  HREG h = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(path);
  const size_t len = b.size();
  // A writer that stopped before its header: avail behind the objects.
  SetLe32(b, 8, 162);
  WriteBytes(path, b);
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  RKEY users = 0;
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &users), REGERR_OK);
  ASSERT_EQ(NR_RegAddKey(h, users, "bob", nullptr), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  b = ReadBytes(path);
  EXPECT_EQ(b.size(), len + 4 + 32) << "new key appended after the existing objects";
  EXPECT_EQ(Le32(b, 8), b.size());
  EXPECT_EQ(NameAt(b, Le32(b, users + 16)), "bob");
}

TEST(NsRegOpen, ReadOnlyFileReadsButRefusesEveryChange) {
  std::string path = EmptyFile("readonly");
  HREG h = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  RKEY users = 0, alice = 0;
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &users), REGERR_OK);
  ASSERT_EQ(NR_RegAddKey(h, users, "alice/sub", nullptr), REGERR_OK);
  ASSERT_EQ(NR_RegGetKey(h, users, "alice", &alice), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\p"), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  std::vector<unsigned char> before = ReadBytes(path);
  before.push_back(0);  // trailing byte: avail no longer matches the length
  WriteBytes(path, before);

  OpenerScope deny(&DenyUpdate);
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  char buf[64] = "";
  EXPECT_EQ(NR_RegGetEntryString(h, alice, "ProfileLocation", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "C:\\p");
  EXPECT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "D:\\q"), REGERR_READONLY);
  uint32_t one = 1;
  EXPECT_EQ(NR_RegSetEntry(h, alice, "n", REGTYPE_ENTRY_INT32_ARRAY, &one, 4), REGERR_READONLY);
  EXPECT_EQ(NR_RegAddKey(h, users, "carol", nullptr), REGERR_READONLY);
  EXPECT_EQ(NR_RegAddKey(h, users, "alice", nullptr), REGERR_OK) << "existing key is found";
  EXPECT_EQ(NR_RegDeleteKey(h, users, "alice/sub"), REGERR_READONLY);
  EXPECT_EQ(NR_RegDeleteEntry(h, alice, "ProfileLocation"), REGERR_READONLY);
  EXPECT_EQ(NR_RegClose(h), REGERR_OK);
  EXPECT_EQ(ReadBytes(path), before);

  // An empty file cannot become a registry without writing.
  std::string empty = EmptyFile("readonly-empty");
  EXPECT_EQ(NR_RegOpen(empty.c_str(), &h), REGERR_READONLY);
  EXPECT_EQ(h, nullptr);
  EXPECT_TRUE(ReadBytes(empty).empty());
}

TEST(NsRegOpen, OtherOpenErrorsGiveFailure) {
  std::string path = EmptyFile("ioerror");
  OpenerScope broken(&FailWithIoError);
  HREG h = nullptr;
  EXPECT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_FAIL);
  EXPECT_EQ(h, nullptr);
}

namespace {

// Writes a registry in the old layout: top keys named ROOTKEY_..., no
// standard keys under the root, version 1.<minor>.
std::string OldLayoutFile(uint16_t minor, bool withVersions) {
  std::string path = EmptyFile("old");
  HREG h = nullptr;
  EXPECT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  RKEY oldest = 0, key = 0;
  EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS/alice", &key), REGERR_OK);
  EXPECT_EQ(NR_RegSetEntryString(h, key, "ProfileLocation", "C:\\alice"), REGERR_OK);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS", &oldest), REGERR_OK);
  EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_ROOT, "ROOTKEY_COMMON/Netscape/ProfileManager", &key),
            REGERR_OK);
  EXPECT_EQ(NR_RegSetEntryString(h, key, "LastNetscapeUser", "alice"), REGERR_OK);
  if (withVersions) {
    EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_ROOT, "ROOTKEY_VERSIONS", &key), REGERR_OK);
  }
  EXPECT_EQ(NR_RegClose(h), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(path);
  SetLe32(b, oldest + 12, 0);  // cut the standard keys off the root's list
  SetLe16(b, 6, minor);
  WriteBytes(path, b);
  return path;
}

}  // namespace

TEST(NsRegOpen, OldLayoutIsUpgradedByRenamingTheTopKeys) {
  for (uint16_t minor : {uint16_t(0), uint16_t(1)}) {
    SCOPED_TRACE(minor);
    std::string path = OldLayoutFile(minor, minor == 1);
    HREG h = nullptr;
    ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
    RKEY users = 0, viaCode = 0, alice = 0, old = 0;
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "Users", &users), REGERR_OK);
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &viaCode), REGERR_OK);
    EXPECT_EQ(users, viaCode);
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "alice", &alice), REGERR_OK);
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS", &old), REGERR_NOFIND);
    char buf[256] = "";
    RKEY pm = 0;
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &pm), REGERR_OK);
    EXPECT_EQ(NR_RegGetEntryString(h, pm, "LastNetscapeUser", buf, sizeof buf), REGERR_OK);
    EXPECT_STREQ(buf, "alice");
    ASSERT_EQ(NR_RegClose(h), REGERR_OK);
    std::vector<unsigned char> b = ReadBytes(path);
    EXPECT_EQ(Le16(b, 6), 2u);
    std::vector<std::string> top = RootChildren(b);
    EXPECT_EQ(top.size(), 4u);
    EXPECT_EQ(std::count(top.begin(), top.end(), "Version Registry"), 1);
    EXPECT_EQ(std::count(top.begin(), top.end(), "Private Arenas"), 1);
  }
}

TEST(NsRegOpen, ReadOnlyOldLayoutKeepsItsVersion) {
  std::string path = OldLayoutFile(1, true);
  std::vector<unsigned char> before = ReadBytes(path);
  OpenerScope deny(&DenyUpdate);
  HREG h = nullptr;
  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  RKEY k = 0;
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "ROOTKEY_USERS/alice", &k), REGERR_OK);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "alice", &k), REGERR_PARAM) << "no Users key";
  EXPECT_EQ(NR_RegClose(h), REGERR_OK);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(NsRegOpen, UsernameCopiesAreOwnedByTheCaller) {
  char* name = nullptr;
  ASSERT_EQ(NR_RegGetUsername(&name), REGERR_OK);
  EXPECT_STREQ(name, "default");
  NR_RegFreeUsername(name);
  EXPECT_EQ(NR_RegSetUsername("guest user"), REGERR_OK);
  ASSERT_EQ(NR_RegGetUsername(&name), REGERR_OK);
  EXPECT_STREQ(name, "guest user");
  NR_RegFreeUsername(name);
  EXPECT_EQ(NR_RegSetUsername(nullptr), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetUsername(""), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetUsername(nullptr), REGERR_PARAM);
  NR_RegFreeUsername(nullptr);
}
