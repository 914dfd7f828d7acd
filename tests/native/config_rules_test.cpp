#include <gtest/gtest.h>

#include <cstring>

#include "config/diag_switch.h"
#include "text/bounded.h"

TEST(DiagnosticsSwitch, CowValuesDecideTheTrace) {
  struct Case {
    const char* cow;
    bool on;
  } cases[] = {
      {"@", false},   {"", false},    {"oom", false}, {"OOM", false}, {"Oom", false},
      {"moo", true},  {"MOO", true},  {"yes", true},  {"1", true},    {"0", true},
      {"@@", true},   {"oom ", true}, {"mOo", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(diag::IsOn(diag::SwitchFromCow(c.cow)), c.on) << "cow=\"" << c.cow << "\"";
  }
  // Values that leave the switch off are kept as read.
  EXPECT_EQ(diag::SwitchFromCow("OOM"), "OOM");
  EXPECT_EQ(diag::SwitchFromCow("yes"), "moo");
}

TEST(DiagnosticsSwitch, TheRawSwitchIsOnOnlyForLowerOrUpperMoo) {
  EXPECT_TRUE(diag::IsOn("xxmooxx"));
  EXPECT_TRUE(diag::IsOn("MOO"));
  EXPECT_FALSE(diag::IsOn("Moo"));
  EXPECT_FALSE(diag::IsOn("@"));
}

TEST(DiagnosticsSwitch, CopyCommandNeedsLowerCaseMoo) {
  EXPECT_TRUE(diag::OffersCopyCommand("moo"));
  EXPECT_TRUE(diag::OffersCopyCommand("xmoox"));
  EXPECT_FALSE(diag::OffersCopyCommand("MOO"));
  EXPECT_FALSE(diag::OffersCopyCommand("oom"));
  EXPECT_FALSE(diag::OffersCopyCommand("@"));
}

TEST(BoundedText, CutCopiesStopAtTheBuffer) {
  char buf[8];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_FALSE(text::CopyCut(buf, "0123456789"));
  EXPECT_STREQ(buf, "0123456");
  EXPECT_TRUE(text::CopyCut(buf, "abc"));
  EXPECT_STREQ(buf, "abc");
  EXPECT_FALSE(text::AppendCut(buf, "defgh"));
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_TRUE(text::AppendCut(buf, ""));
  EXPECT_TRUE(text::CopyCut(buf, 0, ""));
}

TEST(BoundedText, WholeCopiesLeaveTheBufferEmptyRatherThanCut) {
  char buf[6] = "keep";
  EXPECT_FALSE(text::CopyWhole(buf, "C:\\abc"));
  EXPECT_STREQ(buf, "");
  EXPECT_TRUE(text::CopyWhole(buf, "C:\\ab"));
  EXPECT_STREQ(buf, "C:\\ab");
}

TEST(BoundedText, LengthNeverReadsPastTheBuffer) {
  char full[4] = {'a', 'b', 'c', 'd'};  // no terminator
  EXPECT_EQ(text::BoundedLen(full, sizeof full), 4u);
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(text::AppendCut(unterminated, "x"));  // left alone
  EXPECT_EQ(unterminated[3], 'd');
}

TEST(BoundedText, CaseInsensitiveComparisons) {
  EXPECT_TRUE(text::EqualsNoCase("UserID", "userID"));
  EXPECT_FALSE(text::EqualsNoCase("user", "users"));
  EXPECT_TRUE(text::ContainsNoCase("C:\\Netscape\\CACHE\\x", "cache"));
  EXPECT_FALSE(text::ContainsNoCase("ab", "abc"));
}

#include "text/paths.h"

TEST(Paths, OnlyDriveAndNetworkPathsAreAbsolute) {
  EXPECT_TRUE(paths::IsAbsolute("C:\\Netscape\\Users\\mary\\"));
  EXPECT_TRUE(paths::IsAbsolute("d:/x"));
  EXPECT_TRUE(paths::IsAbsolute("\\\\server\\share\\profile"));
  EXPECT_FALSE(paths::IsAbsolute("Mary\\"));       // a profile name, not a folder
  EXPECT_FALSE(paths::IsAbsolute("\\"));
  EXPECT_FALSE(paths::IsAbsolute("\\cache"));      // depends on the current drive
  EXPECT_FALSE(paths::IsAbsolute("C:cache"));      // depends on the drive's folder
  EXPECT_FALSE(paths::IsAbsolute("\\\\\\x"));
  EXPECT_FALSE(paths::IsAbsolute("??"));
  EXPECT_FALSE(paths::IsAbsolute(""));
}

TEST(Paths, JoinPutsExactlyOneBackslash) {
  EXPECT_EQ(paths::Join("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(paths::Join("C:\\a\\", "b"), "C:\\a\\b");
  EXPECT_EQ(paths::Join("C:\\a\\", "\\b"), "C:\\a\\b");
  EXPECT_EQ(paths::Join("", "b"), "b");
}
