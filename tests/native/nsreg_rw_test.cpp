// Registry file: key paths, entries of every type, name and value rules,
// deleting, and the bytes these leave in the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace nsregtest {
std::string EmptyFile(const std::string& stem);
std::vector<unsigned char> ReadBytes(const std::string& path);
uint32_t Le32(const std::vector<unsigned char>& b, size_t off);
uint16_t Le16(const std::vector<unsigned char>& b, size_t off);
std::string NameAt(const std::vector<unsigned char>& b, uint32_t desc);
}  // namespace nsregtest

using namespace nsregtest;

namespace {

class NsRegRw : public ::testing::Test {
 protected:
  void SetUp() override {
    path = EmptyFile("rw");
    ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
    ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &users), REGERR_OK);
  }
  void TearDown() override {
    if (h) {
      EXPECT_EQ(NR_RegClose(h), REGERR_OK);
    }
  }
  RKEY Add(RKEY from, const char* p) {
    RKEY k = 0;
    EXPECT_EQ(NR_RegAddKey(h, from, p, &k), REGERR_OK) << p;
    return k;
  }
  std::vector<std::string> Children(RKEY key) {
    std::vector<std::string> names;
    REGENUM st = 0;
    char buf[REG_MAX_NAME];
    while (NR_RegEnumSubkeys(h, key, &st, buf, sizeof buf, REGENUM_CHILDREN) == REGERR_OK)
      names.push_back(buf);
    return names;
  }
  std::vector<std::string> Entries(RKEY key) {
    std::vector<std::string> names;
    REGENUM st = 0;
    char buf[REG_MAX_NAME];
    while (NR_RegEnumEntries(h, key, &st, buf, sizeof buf, nullptr) == REGERR_OK)
      names.push_back(buf);
    return names;
  }
  std::string path;
  HREG h = nullptr;
  RKEY users = 0;
};

}  // namespace

TEST_F(NsRegRw, ProfileLookupAsTheProgramRunsIt) {
  RKEY pm = Add(ROOTKEY_COMMON, "Netscape/ProfileManager");
  ASSERT_EQ(NR_RegSetEntryString(h, pm, "LastNetscapeUser", "alice"), REGERR_OK);
  RKEY alice = Add(ROOTKEY_USERS, "alice");
  ASSERT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\Netscape\\Users\\alice"),
            REGERR_OK);
  Add(ROOTKEY_USERS, "guest%20user");
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);

  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  char buf[256];
  RKEY key = 0, userKey = 0;
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &key), REGERR_OK);
  EXPECT_EQ(key, pm);
  ASSERT_EQ(NR_RegGetEntryString(h, key, "LastNetscapeUser", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "alice");
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, buf, &userKey), REGERR_OK);
  ASSERT_EQ(NR_RegGetEntryString(h, userKey, "ProfileLocation", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "C:\\Netscape\\Users\\alice");
}

TEST_F(NsRegRw, PathRulesAndStandardCodes) {
  RKEY a = Add(users, "alice/sub");
  RKEY alice = 0, got = 0;
  ASSERT_EQ(NR_RegGetKey(h, users, "alice", &alice), REGERR_OK);
  for (const char* p : {"alice/sub", "/alice/sub", "alice/sub/"}) {
    got = 0;
    EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, p, &got), REGERR_OK) << p;
    EXPECT_EQ(got, a) << p;
  }
  EXPECT_NE(Add(users, "Alice"), alice) << "case matters";
  EXPECT_NE(Add(ROOTKEY_VERSIONS, "x"), 0u);
  EXPECT_NE(Add(ROOTKEY_PRIVATE, "x"), 0u);

  struct Case {
    std::string path;
    REGERR code;
  };
  const Case cases[] = {{" alice", REGERR_BADNAME},     {"alice ", REGERR_BADNAME},
                        {"alice//sub", REGERR_BADNAME}, {"//alice", REGERR_BADNAME},
                        {"al\x01ice", REGERR_BADNAME},  {"alice/s\x1f", REGERR_BADNAME},
                        {std::string(512, 'n'), REGERR_NAMETOOLONG},
                        {std::string(511, 'n'), REGERR_NOFIND},
                        {"alice/none", REGERR_NOFIND},  {"Alice/sub", REGERR_NOFIND}};
  for (const Case& c : cases) {
    got = 99;
    EXPECT_EQ(NR_RegGetKey(h, users, c.path.c_str(), &got), c.code) << c.path;
    EXPECT_EQ(got, 99u) << "result untouched on failure: " << c.path;
  }
  for (RKEY code : {0x00u, 0x03u, 0x05u, 0x22u, 0x7Fu}) {
    EXPECT_EQ(NR_RegGetKey(h, code, "", &got), REGERR_PARAM) << code;
    EXPECT_EQ(NR_RegAddKey(h, code, "k", &got), REGERR_PARAM) << code;
  }
  EXPECT_EQ(NR_RegGetKey(h, users, nullptr, &got), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetKey(h, users, "", nullptr), REGERR_PARAM);
  // The entry operations take offsets only: a code is no descriptor.
  char buf[16];
  EXPECT_EQ(NR_RegGetEntryString(h, ROOTKEY_COMMON, "x", buf, sizeof buf), REGERR_BADLOCN);
  EXPECT_EQ(NR_RegSetEntryString(h, ROOTKEY_USERS, "x", "y"), REGERR_BADLOCN);
}

TEST_F(NsRegRw, AddKeyChecksTheWholePathBeforeWriting) {
  const size_t before = ReadBytes(path).size();
  EXPECT_EQ(NR_RegAddKey(h, users, "fresh/bad ", nullptr), REGERR_BADNAME);
  EXPECT_EQ(NR_RegAddKey(h, users, "fresh/a=b", nullptr), REGERR_BADNAME);
  EXPECT_EQ(NR_RegAddKey(h, users, "fresh/\xC3", nullptr), REGERR_BADUTF8);
  EXPECT_EQ(NR_RegAddKey(h, users, (std::string(512, 'k')).c_str(), nullptr),
            REGERR_NAMETOOLONG);
  EXPECT_EQ(NR_RegAddKey(h, users, "", nullptr), REGERR_PARAM);
  EXPECT_EQ(NR_RegAddKey(h, users, nullptr, nullptr), REGERR_PARAM);
  EXPECT_EQ(ReadBytes(path).size(), before);
  RKEY k = 0;
  EXPECT_EQ(NR_RegGetKey(h, users, "fresh", &k), REGERR_NOFIND);

  RKEY first = Add(users, "fresh/one");
  EXPECT_EQ(Add(users, "fresh/one"), first) << "existing keys are reused";
  EXPECT_EQ(ReadBytes(path).size(), before + (6 + 32) + (4 + 32));
  EXPECT_EQ(Children(users), (std::vector<std::string>{"fresh"}));
}

TEST_F(NsRegRw, NewAndRewrittenEntriesInTheFile) {
  RKEY alice = Add(users, "alice");
  const uint32_t end = static_cast<uint32_t>(ReadBytes(path).size());
  ASSERT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "C:\\x\\alice"), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(path);
  // Name, then value, then descriptor, each appended at the end.
  const uint32_t value = end + 16, desc = value + 11;
  ASSERT_EQ(b.size(), desc + 32);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[end]), 16),
            std::string("ProfileLocation\0", 16));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[value]), 11),
            std::string("C:\\x\\alice\0", 11));
  EXPECT_EQ(Le32(b, desc), desc);
  EXPECT_EQ(Le32(b, desc + 4), end);
  EXPECT_EQ(Le16(b, desc + 8), 16u);
  EXPECT_EQ(Le16(b, desc + 10), 0x11u);
  EXPECT_EQ(Le32(b, desc + 12), 0u);   // left
  EXPECT_EQ(Le32(b, desc + 16), 11u);  // valuebuf
  EXPECT_EQ(Le32(b, desc + 20), value);
  EXPECT_EQ(Le32(b, desc + 24), 11u);  // valuelen
  EXPECT_EQ(Le32(b, desc + 28), alice);
  EXPECT_EQ(Le32(b, alice + 20), desc) << "key's entry list starts at the new entry";

  // Shorter: rewritten in place, the capacity stays.
  ASSERT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "D:\\y"), REGERR_OK);
  b = ReadBytes(path);
  ASSERT_EQ(b.size(), desc + 32);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[value]), 5), std::string("D:\\y\0", 5));
  EXPECT_EQ(Le32(b, desc + 16), 11u);
  EXPECT_EQ(Le32(b, desc + 24), 5u);
  // Longer: a new value area at the end.
  ASSERT_EQ(NR_RegSetEntryString(h, alice, "ProfileLocation", "E:\\longer\\path"), REGERR_OK);
  b = ReadBytes(path);
  ASSERT_EQ(b.size(), desc + 32 + 15);
  EXPECT_EQ(Le32(b, desc + 20), desc + 32);
  EXPECT_EQ(Le32(b, desc + 16), 15u);
  EXPECT_EQ(Le32(b, desc + 24), 15u);

  ASSERT_EQ(NR_RegSetEntryString(h, alice, "Second", "2"), REGERR_OK);
  EXPECT_EQ(Entries(alice), (std::vector<std::string>{"Second", "ProfileLocation"}));
  char buf[32] = "";
  EXPECT_EQ(NR_RegGetEntryString(h, alice, "ProfileLocation", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "E:\\longer\\path");
}

TEST_F(NsRegRw, StringReadsIntoTheCallersBuffer) {
  RKEY k = Add(users, "k");
  const std::string v300(300, 'v'), v255(255, 'w');
  ASSERT_EQ(NR_RegSetEntryString(h, k, "long", v300.c_str()), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(h, k, "fits", v255.c_str()), REGERR_OK);
  uint32_t one = 1;
  ASSERT_EQ(NR_RegSetEntry(h, k, "number", REGTYPE_ENTRY_INT32_ARRAY, &one, 4), REGERR_OK);

  char buf[256];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(NR_RegGetEntryString(h, k, "long", buf, sizeof buf), REGERR_BUFTOOSMALL);
  EXPECT_EQ(buf[0], 'x') << "no value bytes copied";
  EXPECT_EQ(buf[255], '\0');
  EXPECT_EQ(NR_RegGetEntryString(h, k, "fits", buf, sizeof buf), REGERR_OK);
  EXPECT_EQ(std::string(buf), v255);
  std::strcpy(buf, "kept");
  EXPECT_EQ(NR_RegGetEntryString(h, k, "number", buf, sizeof buf), REGERR_BADTYPE);
  EXPECT_EQ(NR_RegGetEntryString(h, k, "none", buf, sizeof buf), REGERR_NOFIND);
  EXPECT_STREQ(buf, "kept");
  EXPECT_EQ(NR_RegGetEntryString(h, k, "", buf, sizeof buf), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetEntryString(h, k, nullptr, buf, sizeof buf), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetEntryString(h, k, "fits", nullptr, 256), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetEntryString(h, k, "fits", buf, 0), REGERR_PARAM);
}

TEST_F(NsRegRw, TypedEntriesRoundTripWithLittleEndianStorage) {
  RKEY k = Add(users, "typed");
  const uint32_t ints[2] = {1u, 0x01020304u};
  ASSERT_EQ(NR_RegSetEntry(h, k, "ints", REGTYPE_ENTRY_INT32_ARRAY, ints, 8), REGERR_OK);
  std::vector<unsigned char> b = ReadBytes(path);
  const unsigned char le[8] = {1, 0, 0, 0, 4, 3, 2, 1};
  EXPECT_EQ(std::memcmp(&b[b.size() - 32 - 8], le, 8), 0);

  uint32_t back[4] = {};
  uint32_t size = sizeof back;
  ASSERT_EQ(NR_RegGetEntry(h, k, "ints", back, &size), REGERR_OK);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(back[0], 1u);
  EXPECT_EQ(back[1], 0x01020304u);
  size = 4;
  EXPECT_EQ(NR_RegGetEntry(h, k, "ints", back, &size), REGERR_BUFTOOSMALL);
  EXPECT_EQ(size, 8u) << "length reported even when too small";

  const unsigned char raw[3] = {0, 0xFF, 7};
  ASSERT_EQ(NR_RegSetEntry(h, k, "raw", REGTYPE_ENTRY_BYTES, raw, 3), REGERR_OK);
  unsigned char rawBack[8] = {};
  size = sizeof rawBack;
  ASSERT_EQ(NR_RegGetEntry(h, k, "raw", rawBack, &size), REGERR_OK);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(rawBack, raw, 3), 0);

  ASSERT_EQ(NR_RegSetEntry(h, k, "str", REGTYPE_ENTRY_STRING_UTF, "abc", 4), REGERR_OK);
  char s[8];
  std::memset(s, 'x', sizeof s);
  size = sizeof s;
  ASSERT_EQ(NR_RegGetEntry(h, k, "str", s, &size), REGERR_OK);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(s[7], '\0');

  REGINFO info = {sizeof(REGINFO), 0, 0};
  ASSERT_EQ(NR_RegGetEntryInfo(h, k, "ints", &info), REGERR_OK);
  EXPECT_EQ(info.entryType, REGTYPE_ENTRY_INT32_ARRAY);
  EXPECT_EQ(info.entryLength, 8u);
  info.size = 7;
  EXPECT_EQ(NR_RegGetEntryInfo(h, k, "ints", &info), REGERR_PARAM);
  info.size = 9;
  EXPECT_EQ(NR_RegGetEntryInfo(h, k, "ints", &info), REGERR_PARAM);

  // Overwriting with another type changes the type.
  ASSERT_EQ(NR_RegSetEntryString(h, k, "ints", "now text"), REGERR_OK);
  info.size = sizeof(REGINFO);
  ASSERT_EQ(NR_RegGetEntryInfo(h, k, "ints", &info), REGERR_OK);
  EXPECT_EQ(info.entryType, REGTYPE_ENTRY_STRING_UTF);

  std::vector<unsigned char> big(32768, 1);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_STRING_UTF, "abc", 3), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_INT32_ARRAY, ints, 6), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", 0x0014, raw, 3), REGERR_BADTYPE);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_KEY, raw, 3), REGERR_BADTYPE);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_BYTES, raw, 0), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_BYTES, nullptr, 3), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_BYTES, big.data(), 32768),
            REGERR_NAMETOOLONG);
  EXPECT_EQ(NR_RegSetEntry(h, k, "v", REGTYPE_ENTRY_BYTES, big.data(), 32767), REGERR_OK);
  size = 0;
  EXPECT_EQ(NR_RegGetEntry(h, k, "raw", rawBack, &size), REGERR_PARAM);
}

TEST_F(NsRegRw, NameAndValueRules) {
  RKEY k = Add(users, "rules");
  struct Case {
    std::string name;
    REGERR code;
  };
  const Case names[] = {{"a=b", REGERR_BADNAME},
                        {"tab\there", REGERR_BADNAME},
                        {"\x1f", REGERR_BADNAME},
                        {std::string(512, 'n'), REGERR_NAMETOOLONG},
                        {std::string(511, 'n'), REGERR_OK},
                        {" blanks are fine in entry names ", REGERR_OK},
                        {"\xC3\xA9t\xC3\xA9", REGERR_OK},   // two-byte sequences
                        {"\xE2\x82\xAC", REGERR_OK},        // three-byte sequence
                        {"\xC0\x80", REGERR_OK},            // overlong, not refused
                        {"\x80", REGERR_BADUTF8},           // stray continuation
                        {"\xC3", REGERR_BADUTF8},           // cut short
                        {"\xE2\x82", REGERR_BADUTF8},
                        {"\xC3\x41", REGERR_BADUTF8},
                        {"\xF0\x9F\x98\x80", REGERR_BADUTF8}};  // four-byte lead
  for (const Case& c : names)
    EXPECT_EQ(NR_RegSetEntryString(h, k, c.name.c_str(), "v"), c.code) << c.name;
  EXPECT_EQ(NR_RegSetEntryString(h, k, "", "v"), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntryString(h, k, nullptr, "v"), REGERR_PARAM);
  EXPECT_EQ(NR_RegSetEntryString(h, k, "n", nullptr), REGERR_PARAM);

  EXPECT_EQ(NR_RegSetEntryString(h, k, "v", "\xE2\x82"), REGERR_BADUTF8);
  EXPECT_EQ(NR_RegSetEntryString(h, k, "v", std::string(32767, 's').c_str()),
            REGERR_NAMETOOLONG);
  EXPECT_EQ(NR_RegSetEntryString(h, k, "v", std::string(32766, 's').c_str()), REGERR_OK);
  EXPECT_EQ(NR_RegSetEntryString(h, k, "empty", ""), REGERR_OK);
  char buf[4] = "old";
  EXPECT_EQ(NR_RegGetEntryString(h, k, "empty", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "");
}

TEST_F(NsRegRw, DeleteKeyUnlinksAndMarks) {
  Add(users, "a");
  RKEY b = Add(users, "b");
  Add(users, "c");
  Add(users, "b/child");
  EXPECT_EQ(NR_RegDeleteKey(h, users, "b"), REGERR_FAIL) << "has subkeys";
  EXPECT_EQ(NR_RegDeleteKey(h, users, "b/child"), REGERR_OK);
  EXPECT_EQ(NR_RegDeleteKey(h, users, "b"), REGERR_OK);
  EXPECT_EQ(Children(users), (std::vector<std::string>{"c", "a"}));
  std::vector<unsigned char> bytes = ReadBytes(path);
  EXPECT_EQ(Le16(bytes, b + 10), REGTYPE_KEY | REGTYPE_DELETED);
  RKEY k = 0;
  EXPECT_EQ(NR_RegGetKey(h, users, "b", &k), REGERR_NOFIND);
  EXPECT_EQ(NR_RegGetKey(h, b, "", &k), REGERR_DELETED);
  char buf[8];
  EXPECT_EQ(NR_RegGetEntryString(h, b, "x", buf, sizeof buf), REGERR_DELETED);
  EXPECT_EQ(NR_RegDeleteKey(h, users, "b"), REGERR_NOFIND);
  EXPECT_EQ(NR_RegDeleteKey(h, users, "c"), REGERR_OK) << "head of the list";
  EXPECT_EQ(NR_RegDeleteKey(h, users, "a"), REGERR_OK) << "tail of the list";
  EXPECT_TRUE(Children(users).empty());

  for (const char* std : {"/", "Users", "Common", "Version Registry"})
    EXPECT_EQ(NR_RegDeleteKey(h, ROOTKEY_ROOT, std), REGERR_FAIL) << std;
  EXPECT_EQ(NR_RegDeleteKey(h, ROOTKEY_USERS, "/"), REGERR_FAIL);
  EXPECT_EQ(NR_RegDeleteKey(h, ROOTKEY_PRIVATE, "/"), REGERR_OK);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_PRIVATE, "", &k), REGERR_DELETED);
  EXPECT_EQ(NR_RegDeleteKey(h, users, ""), REGERR_PARAM);
  EXPECT_EQ(NR_RegDeleteKey(h, 0x03, "a"), REGERR_PARAM);
}

TEST_F(NsRegRw, DeleteEntryUnlinksAndMarks) {
  RKEY k = Add(users, "e");
  for (const char* n : {"one", "two", "three"}) ASSERT_EQ(NR_RegSetEntryString(h, k, n, n), 0);
  REGENUM two = 0;
  char buf[16];
  ASSERT_EQ(NR_RegEnumEntries(h, k, &two, buf, sizeof buf, nullptr), REGERR_OK);
  ASSERT_EQ(NR_RegEnumEntries(h, k, &two, buf, sizeof buf, nullptr), REGERR_OK);
  ASSERT_STREQ(buf, "two");

  EXPECT_EQ(NR_RegDeleteEntry(h, k, "two"), REGERR_OK);
  EXPECT_EQ(Entries(k), (std::vector<std::string>{"three", "one"}));
  EXPECT_EQ(Le16(ReadBytes(path), two + 10), REGTYPE_ENTRY_STRING_UTF | REGTYPE_DELETED);
  EXPECT_EQ(NR_RegGetEntryString(h, k, "two", buf, sizeof buf), REGERR_NOFIND);
  EXPECT_EQ(NR_RegDeleteEntry(h, k, "two"), REGERR_NOFIND);
  EXPECT_EQ(NR_RegDeleteEntry(h, k, "three"), REGERR_OK);
  EXPECT_EQ(NR_RegDeleteEntry(h, k, "one"), REGERR_OK);
  EXPECT_TRUE(Entries(k).empty());
  EXPECT_EQ(NR_RegDeleteEntry(h, k, ""), REGERR_PARAM);
  EXPECT_EQ(NR_RegDeleteEntry(h, ROOTKEY_USERS, "x"), REGERR_BADLOCN);
}

TEST_F(NsRegRw, TwoOpenersOfOneFileNeverOverwriteEachOther) {
  // A second name for the same file gets a record (and header copy) of its own.
  std::string dir = path.substr(0, path.find_last_of("/\\"));
  std::string alias = dir + "/./" + path.substr(dir.size() + 1);
  HREG other = nullptr;
  ASSERT_EQ(NR_RegOpen(alias.c_str(), &other), REGERR_OK);
  RKEY usersOther = 0;
  ASSERT_EQ(NR_RegGetKey(other, ROOTKEY_USERS, "", &usersOther), REGERR_OK);
  ASSERT_EQ(usersOther, users);

  RKEY a = Add(users, "from-first");
  ASSERT_EQ(NR_RegSetEntryString(h, a, "v", "first"), REGERR_OK);
  RKEY b = 0;
  ASSERT_EQ(NR_RegAddKey(other, users, "from-second", &b), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(other, b, "v", "second"), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(h, a, "w", "first again"), REGERR_OK);
  ASSERT_EQ(NR_RegClose(other), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);

  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  char buf[32];
  RKEY k = 0;
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "from-second", &k), REGERR_OK);
  ASSERT_EQ(NR_RegGetEntryString(h, k, "v", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "second");
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "from-first", &k), REGERR_OK);
  ASSERT_EQ(NR_RegGetEntryString(h, k, "v", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "first");
  ASSERT_EQ(NR_RegGetEntryString(h, k, "w", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "first again");
}
