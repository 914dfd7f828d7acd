// Registry file: enumeration of subkeys in the three styles and of entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace nsregtest {
std::string EmptyFile(const std::string& stem);
}

using namespace nsregtest;

namespace {

class NsRegEnum : public ::testing::Test {
 protected:
  void SetUp() override {
    path = EmptyFile("enum");
    ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
    ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &users), REGERR_OK);
    // Lists are newest first: users = b, a; a = a2, a1; b = b1; b1 = deep.
    for (const char* p : {"a", "a/a1", "a/a2", "b", "b/b1", "b/b1/deep"})
      ASSERT_EQ(NR_RegAddKey(h, users, p, nullptr), REGERR_OK);
  }
  void TearDown() override { EXPECT_EQ(NR_RegClose(h), REGERR_OK); }

  // Every result of one enumeration; checks that each state is the offset
  // of the key named.
  std::vector<std::string> Walk(RKEY key, uint32_t style, REGERR* last = nullptr) {
    std::vector<std::string> out;
    REGENUM st = 0;
    char buf[REG_MAX_NAME];
    REGERR err;
    while ((err = NR_RegEnumSubkeys(h, key, &st, buf, sizeof buf, style)) == REGERR_OK &&
           out.size() < 100) {
      out.push_back(buf);
      RKEY k = 0;
      if (style != REGENUM_CHILDREN) {
        EXPECT_EQ(NR_RegGetKey(h, key, buf, &k), REGERR_OK) << buf;
        EXPECT_EQ(k, st) << buf;
      }
    }
    if (last) *last = err;
    return out;
  }
  using Names = std::vector<std::string>;
  std::string path;
  HREG h = nullptr;
  RKEY users = 0;
};

}  // namespace

TEST_F(NsRegEnum, ThreeStylesGiveTheirOrder) {
  REGERR last = REGERR_OK;
  EXPECT_EQ(Walk(users, REGENUM_CHILDREN, &last), (Names{"b", "a"}));
  EXPECT_EQ(last, REGERR_NOMORE);
  EXPECT_EQ(Walk(users, REGENUM_DESCEND, &last),
            (Names{"b", "b/b1", "b/b1/deep", "a", "a/a2", "a/a1"}));
  EXPECT_EQ(last, REGERR_NOMORE);
  EXPECT_EQ(Walk(users, REGENUM_DEPTH_FIRST, &last),
            (Names{"b/b1/deep", "b/b1", "b", "a/a2", "a/a1", "a"}));
  EXPECT_EQ(last, REGERR_NOMORE);
  // Paths are relative to the key enumerated, which may be a code.
  EXPECT_EQ(Walk(ROOTKEY_USERS, REGENUM_DESCEND).size(), 6u);
  RKEY b = 0;
  ASSERT_EQ(NR_RegGetKey(h, users, "b", &b), REGERR_OK);
  EXPECT_EQ(Walk(b, REGENUM_DEPTH_FIRST), (Names{"b1/deep", "b1"}));
  RKEY deep = 0;
  ASSERT_EQ(NR_RegGetKey(h, users, "b/b1/deep", &deep), REGERR_OK);
  for (uint32_t style : {0u, 1u, 2u}) {
    EXPECT_TRUE(Walk(deep, style, &last).empty());
    EXPECT_EQ(last, REGERR_NOMORE);
  }
  Names top = Walk(ROOTKEY_ROOT, REGENUM_CHILDREN);
  EXPECT_EQ(top, (Names{"Private Arenas", "Version Registry", "Common", "Users"}));
  EXPECT_EQ(Walk(ROOTKEY_ROOT, REGENUM_DESCEND).size(), 4u + 6u);
}

TEST_F(NsRegEnum, SmallBuffersAndBadArguments) {
  REGENUM st = 0;
  char buf[8];
  ASSERT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, 2, REGENUM_CHILDREN), REGERR_OK);
  EXPECT_STREQ(buf, "b");
  REGENUM atB = st;
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, 4, REGENUM_DESCEND), REGERR_BUFTOOSMALL);
  EXPECT_EQ(st, atB) << "state unchanged on failure";
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, 5, REGENUM_DESCEND), REGERR_OK);
  EXPECT_STREQ(buf, "b/b1");
  st = 0;
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, 1, REGENUM_CHILDREN), REGERR_BUFTOOSMALL);
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, sizeof buf, 3), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumSubkeys(h, 0x03, &st, buf, sizeof buf, 0), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, nullptr, buf, sizeof buf, 0), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, nullptr, sizeof buf, 0), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, 0, 0), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumEntries(h, users, &st, buf, 0, nullptr), REGERR_PARAM);
  EXPECT_EQ(NR_RegEnumEntries(h, ROOTKEY_USERS, &st, buf, sizeof buf, nullptr), REGERR_BADLOCN);
}

TEST_F(NsRegEnum, EntriesNewestFirstWithTheirInfo) {
  RKEY a = 0;
  ASSERT_EQ(NR_RegGetKey(h, users, "a", &a), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(h, a, "s", "text"), REGERR_OK);
  const uint32_t ints[3] = {1, 2, 3};
  ASSERT_EQ(NR_RegSetEntry(h, a, "i", REGTYPE_ENTRY_INT32_ARRAY, ints, 12), REGERR_OK);

  REGENUM st = 0;
  char buf[8];
  REGINFO info = {sizeof(REGINFO), 0, 0};
  ASSERT_EQ(NR_RegEnumEntries(h, a, &st, buf, sizeof buf, &info), REGERR_OK);
  EXPECT_STREQ(buf, "i");
  EXPECT_EQ(info.entryType, REGTYPE_ENTRY_INT32_ARRAY);
  EXPECT_EQ(info.entryLength, 12u);
  REGINFO small = {4, 0x7777, 0x7777};
  ASSERT_EQ(NR_RegEnumEntries(h, a, &st, buf, sizeof buf, &small), REGERR_OK);
  EXPECT_STREQ(buf, "s");
  EXPECT_EQ(small.entryType, 0x7777) << "not filled when size < 8";
  EXPECT_EQ(NR_RegEnumEntries(h, a, &st, buf, sizeof buf, &info), REGERR_NOMORE);
  st = 0;
  EXPECT_EQ(NR_RegEnumEntries(h, users, &st, buf, sizeof buf, nullptr), REGERR_NOMORE);
}
