// Registry file: damaged and hostile files. Every operation must end with
// an error code, never loop, and never write outside the object area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace nsregtest {
std::string EmptyFile(const std::string& stem);
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& b);
uint32_t Le32(const std::vector<unsigned char>& b, size_t off);
void SetLe32(std::vector<unsigned char>& b, size_t off, uint32_t v);
void SetLe16(std::vector<unsigned char>& b, size_t off, uint16_t v);
}  // namespace nsregtest

using namespace nsregtest;

namespace {

// Descriptor field offsets.
enum : uint32_t { kLocation = 0, kName = 4, kNameLen = 8, kType = 10, kLeft = 12, kDown = 16,
                  kValue = 20, kValueLen = 24, kParent = 28 };

class NsRegHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    path = EmptyFile("hostile");
    ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
    ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &users), REGERR_OK);
    // users = c, b, a; b/child; entries of a: e3, e2, e1.
    for (const char* p : {"a", "b", "c", "b/child"}) ASSERT_EQ(NR_RegAddKey(h, users, p, nullptr), 0);
    a = Key("a");
    b = Key("b");
    c = Key("c");
    child = Key("b/child");
    for (const char* n : {"e1", "e2", "e3"}) ASSERT_EQ(NR_RegSetEntryString(h, a, n, "value"), 0);
    REGENUM st = 0;
    char buf[8];
    for (RKEY* e : {&e3, &e2, &e1}) {
      ASSERT_EQ(NR_RegEnumEntries(h, a, &st, buf, sizeof buf, nullptr), REGERR_OK);
      *e = st;
    }
  }
  void TearDown() override {
    if (h) {
      EXPECT_EQ(NR_RegClose(h), REGERR_OK);
    }
  }
  RKEY Key(const char* p) {
    RKEY k = 0;
    EXPECT_EQ(NR_RegGetKey(h, users, p, &k), REGERR_OK) << p;
    return k;
  }
  // Closes, changes the file's bytes and opens again.
  void Damage(const std::function<void(std::vector<unsigned char>&)>& change) {
    ASSERT_EQ(NR_RegClose(h), REGERR_OK);
    h = nullptr;
    std::vector<unsigned char> bytes = ReadBytes(path);
    change(bytes);
    WriteBytes(path, bytes);
    ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK);
  }
  // Runs an enumeration to its end; returns the last code and the count.
  REGERR Exhaust(RKEY key, uint32_t style, int* count, bool entries = false) {
    REGENUM st = 0;
    char buf[REG_MAX_NAME];
    REGERR err;
    *count = 0;
    do {
      err = entries ? NR_RegEnumEntries(h, key, &st, buf, sizeof buf, nullptr)
                    : NR_RegEnumSubkeys(h, key, &st, buf, sizeof buf, style);
    } while (err == REGERR_OK && ++*count < 1000);
    return err;
  }
  std::string path;
  HREG h = nullptr;
  RKEY users = 0, a = 0, b = 0, c = 0, child = 0, e1 = 0, e2 = 0, e3 = 0;
};

}  // namespace

TEST_F(NsRegHostile, SiblingListThatCirclesEndsEveryWalk) {
  for (uint32_t back : {c, b, a}) {  // to the head, the middle, itself
    SCOPED_TRACE(back);
    Damage([&](std::vector<unsigned char>& f) { SetLe32(f, a + kLeft, back); });
    RKEY k = 0;
    EXPECT_EQ(NR_RegGetKey(h, users, "missing", &k), REGERR_FAIL);
    EXPECT_EQ(NR_RegAddKey(h, users, "missing", nullptr), REGERR_FAIL);
    EXPECT_EQ(NR_RegDeleteKey(h, users, "missing"), REGERR_FAIL);
    EXPECT_EQ(NR_RegGetKey(h, users, "b/child", &k), REGERR_OK) << "before the loop still works";
    for (uint32_t style : {0u, 1u, 2u}) {
      int n = 0;
      EXPECT_EQ(Exhaust(users, style, &n), REGERR_FAIL) << style;
      EXPECT_LE(n, 4) << style;
    }
    Damage([&](std::vector<unsigned char>& f) { SetLe32(f, a + kLeft, 0); });
  }
}

TEST_F(NsRegHostile, EntryListThatCirclesEndsEveryWalk) {
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, e1 + kLeft, e3); });
  char buf[16] = "kept";
  EXPECT_EQ(NR_RegGetEntryString(h, a, "missing", buf, sizeof buf), REGERR_FAIL);
  EXPECT_STREQ(buf, "kept");
  EXPECT_EQ(NR_RegSetEntryString(h, a, "missing", "v"), REGERR_FAIL);
  EXPECT_EQ(NR_RegDeleteEntry(h, a, "missing"), REGERR_FAIL);
  int n = 0;
  EXPECT_EQ(Exhaust(a, 0, &n, true), REGERR_FAIL);
  EXPECT_LE(n, 3);
}

// A key named by its own offset is looked for in its parent's list before
// it is unlinked; a list that circles without it must end that search.
TEST_F(NsRegHostile, DeletingAKeyWhoseParentsListCirclesWithoutIt) {
  // Users' list is c, b, a: b now leads back to c, and a drops out.
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, b + kLeft, c); });
  const std::vector<unsigned char> before = ReadBytes(path);
  EXPECT_EQ(NR_RegDeleteKey(h, a, "/"), REGERR_FAIL);
  EXPECT_EQ(ReadBytes(path), before) << "nothing unlinked, nothing marked";
  RKEY k = 0;
  EXPECT_EQ(NR_RegGetKey(h, a, "", &k), REGERR_OK);
  EXPECT_EQ(k, a);
  char buf[8] = "";
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e1", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "value");
  // Found in a list that circles after it, the key is unlinked as usual.
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, b + kLeft, a); SetLe32(f, a + kLeft, b); });
  EXPECT_EQ(NR_RegDeleteKey(h, a, "/"), REGERR_OK);
  EXPECT_EQ(NR_RegGetKey(h, a, "", &k), REGERR_DELETED);
  EXPECT_EQ(NR_RegGetKey(h, users, "b", &k), REGERR_OK);
}

// Loops in a file that is mostly padding: every walk ends where it comes
// back to a descriptor it has met. Each loop runs through a copy of one of
// its keys far out in the padding, so that every step round it reads the
// file again; bounded only by what the file could hold, a walk here would
// go round some 65 million times. The file stays below 2 GiB, the most the
// library reads where a file offset is 32 bits wide (Windows).
TEST_F(NsRegHostile, LoopsInALargeFileEndWhereTheyComeBack) {
  RKEY versions = 0, arenas = 0, k = 0;
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "Version Registry", &versions), REGERR_OK);
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "Private Arenas", &arenas), REGERR_OK);
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  h = nullptr;
  const std::vector<unsigned char> good = ReadBytes(path);
  std::vector<unsigned char> bytes = good;
  ASSERT_EQ(Le32(bytes, Le32(bytes, 12) + kDown), arenas);
  // A copy of descriptor `of` at `at`, leading on to `left`.
  auto copy = [&](uint32_t of, uint32_t at, uint32_t left) {
    std::vector<unsigned char> d(bytes.begin() + of, bytes.begin() + of + 32);
    SetLe32(d, kLocation, at);
    SetLe32(d, kLeft, left);
    return d;
  };
  // The root's list is Private Arenas, Version Registry, Common, Users:
  // the second now leads through its copy back to the first, and Common
  // and Users drop out. Users' own list: c, b, a, a's copy, c, ...
  const uint32_t farRoot = 0x20000000u, farUsers = 0x30000000u;
  const std::vector<unsigned char> rootCopy = copy(versions, farRoot, arenas);
  const std::vector<unsigned char> usersCopy = copy(a, farUsers, c);
  SetLe32(bytes, versions + kLeft, farRoot);
  SetLe32(bytes, a + kLeft, farUsers);
  WriteBytes(path, bytes);
  std::filesystem::resize_file(path, 0x7FFFF000u);  // sparse: takes no room
  {
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(farRoot);
    out.write(reinterpret_cast<const char*>(rootCopy.data()), 32);
    out.seekp(farUsers);
    out.write(reinterpret_cast<const char*>(usersCopy.data()), 32);
    ASSERT_TRUE(out.good());
  }

  ASSERT_EQ(NR_RegOpen(path.c_str(), &h), REGERR_OK) << "standard keys that are not found are left out";
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_COMMON, "Netscape/ProfileManager", &k), REGERR_PARAM);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "Users", &k), REGERR_FAIL);
  EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_ROOT, "Common", nullptr), REGERR_FAIL);
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_PRIVATE, "", &k), REGERR_OK);
  EXPECT_EQ(k, arenas);
  EXPECT_EQ(NR_RegGetKey(h, users, "missing", &k), REGERR_FAIL);
  EXPECT_EQ(NR_RegDeleteKey(h, users, "missing"), REGERR_FAIL);
  ASSERT_EQ(NR_RegGetKey(h, users, "b/child", &k), REGERR_OK);
  EXPECT_EQ(k, child);
  for (uint32_t style : {0u, 1u, 2u}) {
    int n = 0;
    EXPECT_EQ(Exhaust(users, style, &n), REGERR_FAIL) << style;
    EXPECT_LE(n, 4) << style;
  }
  ASSERT_EQ(NR_RegClose(h), REGERR_OK);
  h = nullptr;
  std::filesystem::resize_file(path, good.size());
}

TEST_F(NsRegHostile, ChildAndParentLoopsEndTheSubtreeStyles) {
  // child's first child points back up at b.
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, child + kDown, b); });
  int n = 0;
  for (uint32_t style : {1u, 2u}) {
    EXPECT_EQ(Exhaust(users, style, &n), REGERR_FAIL) << style;
    EXPECT_LE(n, 4) << style;
  }
  // ... and b claims child as its parent: a loop that agrees with itself.
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, b + kParent, child); });
  for (uint32_t style : {1u, 2u}) {
    EXPECT_NE(Exhaust(users, style, &n), REGERR_NOMORE) << style;
    EXPECT_LE(n, 4) << style;
    EXPECT_NE(Exhaust(b, style, &n), REGERR_NOMORE) << style;
    EXPECT_LE(n, 2) << style;
  }
  // A key that is its own parent.
  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, child + kDown, 0);
    SetLe32(f, b + kParent, users);
    SetLe32(f, child + kParent, child);
  });
  for (uint32_t style : {1u, 2u}) {
    EXPECT_EQ(Exhaust(users, style, &n), REGERR_FAIL) << style;
    EXPECT_LE(n, 4) << style;
  }
}

// An enumeration goes on from the state the caller hands back. From a
// state next to a loop of first children, or of parents, it must end as
// well, with the code a walk that goes round gives.
TEST_F(NsRegHostile, EnumerationFromAStateNextToALoopEnds) {
  char buf[REG_MAX_NAME];
  // b and child are each other's parent and first child; c names child as
  // its parent too, so b may follow it as its sibling.
  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, child + kDown, b);
    SetLe32(f, b + kParent, child);
    SetLe32(f, c + kParent, child);
  });
  REGENUM st = c;  // children first: from b down to its deepest first child
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, sizeof buf, REGENUM_DEPTH_FIRST), REGERR_FAIL);
  EXPECT_EQ(st, c) << "the state stays";
  st = b;  // parent first: child's path, gathered up its parents b, child, b, ...
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, sizeof buf, REGENUM_DESCEND), REGERR_FAIL);
  EXPECT_EQ(st, b);

  // a, without children or a next sibling, climbs its parents for the next
  // key: child, which is its own parent.
  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, child + kDown, 0);
    SetLe32(f, b + kParent, users);
    SetLe32(f, c + kParent, users);
    SetLe32(f, a + kParent, child);
    SetLe32(f, child + kParent, child);
  });
  st = a;
  EXPECT_EQ(NR_RegEnumSubkeys(h, users, &st, buf, sizeof buf, REGENUM_DESCEND), REGERR_FAIL);
  EXPECT_EQ(st, a);
}

// An entry stands where a key is expected: nothing may be hung on it. A
// key made below it used to be written nowhere yet reported made, and an
// entry set on it overwrote the offset of its value.
TEST_F(NsRegHostile, NothingIsHungOnAnEntry) {
  Damage([](std::vector<unsigned char>&) {});  // the header written
  const std::vector<unsigned char> before = ReadBytes(path);
  RKEY k = 0;
  EXPECT_EQ(NR_RegAddKey(h, e1, "new", &k), REGERR_FAIL);
  EXPECT_EQ(NR_RegSetEntryString(h, e1, "new", "v"), REGERR_BADLOCN) << "its value read as a list";
  EXPECT_EQ(ReadBytes(path), before);
  char buf[8] = "";
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e1", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "value");
  // An entry without a value offset reads as one with no entries.
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, e2 + kValue, 0); });
  const std::vector<unsigned char> damaged = ReadBytes(path);
  EXPECT_EQ(NR_RegSetEntryString(h, e2, "new", "v"), REGERR_FAIL);
  EXPECT_EQ(ReadBytes(path), damaged);

  // Users itself marked as an entry: found on opening, but nothing hangs on it.
  Damage([&](std::vector<unsigned char>& f) { SetLe16(f, users + kType, REGTYPE_ENTRY_STRING_UTF); });
  ASSERT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &k), REGERR_OK);
  EXPECT_EQ(k, users);
  EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_USERS, "new/key", &k), REGERR_FAIL);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "new", &k), REGERR_NOFIND);
}

TEST_F(NsRegHostile, OffsetsAndLengthsBeyondTheFile) {
  char buf[64] = "kept";
  RKEY k = 0;
  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, b + kLeft, 0xFFFFFFF0u);     // sibling past the end
    SetLe32(f, e3 + kValue, 0xFFFFFFF0u);   // value past the end
    SetLe32(f, e2 + kValueLen, 0x7FFFFFFFu);  // value longer than the file
  });
  EXPECT_EQ(NR_RegGetKey(h, users, "a", &k), REGERR_BADREAD);
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e3", buf, sizeof buf), REGERR_BADREAD);
  EXPECT_STREQ(buf, "kept");
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e2", buf, sizeof buf), REGERR_BUFTOOSMALL);
  uint32_t size = sizeof buf;
  EXPECT_EQ(NR_RegGetEntry(h, a, "e2", buf, &size), REGERR_BUFTOOSMALL);
  EXPECT_EQ(size, 0x7FFFFFFFu);
  std::vector<char> big(1 << 20);
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e2", big.data(), uint32_t(big.size())), REGERR_BUFTOOSMALL);

  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, b + kLeft, a);
    SetLe32(f, users + kDown, 0xFFFFFFF0u);
  });
  EXPECT_EQ(NR_RegGetKey(h, users, "a", &k), REGERR_BADREAD);
  int n = 0;
  EXPECT_EQ(Exhaust(users, 0, &n), REGERR_BADREAD);
}

TEST_F(NsRegHostile, BrokenDescriptorsGiveTheirCodes) {
  RKEY k = 0;
  struct Case {
    uint32_t at;
    int width;
    uint32_t value;
    REGERR code;
  };
  const Case cases[] = {
      {c + kLocation, 4, c + 1, REGERR_BADLOCN},  // not where it says it is
      {users + kDown, 4, 64, REGERR_BADLOCN},      // into the header area
      {c + kNameLen, 2, 0, REGERR_FAIL},           // no name at all
      {c + kNameLen, 2, 1, REGERR_FAIL},           // empty name
      {c + kNameLen, 2, 600, REGERR_BUFTOOSMALL},  // name longer than any
      {c + kName, 4, 0xFFFFFF00u, REGERR_BADREAD},
      {c + kType, 2, REGTYPE_KEY | REGTYPE_DELETED, REGERR_DELETED},  // deleted, still linked
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.at);
    std::vector<unsigned char> good;
    Damage([&](std::vector<unsigned char>& f) {
      good = f;
      if (cs.width == 4)
        SetLe32(f, cs.at, cs.value);
      else
        SetLe16(f, cs.at, static_cast<uint16_t>(cs.value));
    });
    EXPECT_EQ(NR_RegGetKey(h, users, "a", &k), cs.code);
    int n = 0;
    EXPECT_EQ(Exhaust(users, 1, &n), cs.code);
    Damage([&](std::vector<unsigned char>& f) { f = good; });
  }
}

TEST_F(NsRegHostile, HeaderWithBadRootOrAvail) {
  RKEY k = 0;
  const size_t len = ReadBytes(path).size();
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, 12, 64); });
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "", &k), REGERR_BADLOCN);
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_USERS, "", &k), REGERR_PARAM) << "standard keys not found";
  EXPECT_EQ(NR_RegAddKey(h, ROOTKEY_ROOT, "x", nullptr), REGERR_BADLOCN);
  EXPECT_EQ(ReadBytes(path).size(), len) << "nothing appended";

  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, 12, 0); });
  EXPECT_EQ(NR_RegGetKey(h, ROOTKEY_ROOT, "", &k), REGERR_PARAM);

  // avail far beyond the end: repaired, the file does not grow a gap.
  Damage([&](std::vector<unsigned char>& f) {
    SetLe32(f, 12, 130);
    SetLe32(f, 8, 0xFFFFFFF0u);
  });
  ASSERT_EQ(NR_RegAddKey(h, users, "d", nullptr), REGERR_OK);
  EXPECT_EQ(ReadBytes(path).size(), len + 2 + 32);
}

TEST_F(NsRegHostile, RewriteInPlaceStaysInsideTheObjectArea) {
  const std::vector<unsigned char> before = ReadBytes(path);
  const uint32_t cases[][2] = {{16, 0x7FFFFFFF},  // value area over the header
                               {e3, 32}};         // over its own descriptor
  for (const auto& cs : cases) {
    Damage([&](std::vector<unsigned char>& f) {
      SetLe32(f, e3 + kValue, cs[0]);
      SetLe32(f, e3 + kDown, cs[1]);
    });
    ASSERT_EQ(NR_RegSetEntryString(h, a, "e3", "new"), REGERR_OK);
    std::vector<unsigned char> f = ReadBytes(path);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 8, f.begin())) << "header intact";
    EXPECT_TRUE(std::equal(before.begin() + 12, before.begin() + 128, f.begin() + 12));
    EXPECT_EQ(Le32(f, e3), e3) << "descriptor intact";
    EXPECT_EQ(Le32(f, e3 + kValue), f.size() - 4) << "value appended instead";
    char buf[8] = "";
    EXPECT_EQ(NR_RegGetEntryString(h, a, "e3", buf, sizeof buf), REGERR_OK);
    EXPECT_STREQ(buf, "new");
  }
}

// Nor over what a lookup of the entry reads: its own name, or the entries
// in front of it (a's entries are e3, e2, e1). Written there, the value
// lost the entry it was set in, or the ones before it.
TEST_F(NsRegHostile, RewriteInPlaceSparesWhatTheLookupReads) {
  for (int over : {0, 1, 2}) {
    SCOPED_TRACE(over);
    Damage([&](std::vector<unsigned char>& f) {
      const uint32_t at[] = {Le32(f, e2 + kName), e3, Le32(f, e3 + kName)};
      SetLe32(f, e2 + kValue, at[over]);
      SetLe32(f, e2 + kDown, 32);
    });
    ASSERT_EQ(NR_RegSetEntryString(h, a, "e2", "new"), REGERR_OK);
    std::vector<unsigned char> f = ReadBytes(path);
    EXPECT_EQ(Le32(f, e2 + kValue), f.size() - 4) << "value appended instead";
    char buf[8] = "";
    EXPECT_EQ(NR_RegGetEntryString(h, a, "e2", buf, sizeof buf), REGERR_OK);
    EXPECT_STREQ(buf, "new");
    EXPECT_EQ(NR_RegGetEntryString(h, a, "e3", buf, sizeof buf), REGERR_OK);
    EXPECT_STREQ(buf, "value");
  }
}

TEST_F(NsRegHostile, StringValueWithoutItsNulEndsAfterTheValue) {
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, e2 + kValueLen, 3); });  // "val"
  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  ASSERT_EQ(NR_RegGetEntryString(h, a, "e2", buf, sizeof buf), REGERR_OK);
  EXPECT_STREQ(buf, "val");
  Damage([&](std::vector<unsigned char>& f) { SetLe32(f, e2 + kValueLen, 0); });
  std::strcpy(buf, "kept");
  EXPECT_EQ(NR_RegGetEntryString(h, a, "e2", buf, sizeof buf), REGERR_FAIL);
  EXPECT_STREQ(buf, "kept");
}
