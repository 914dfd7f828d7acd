#include <gtest/gtest.h>

#include <string>

#include "config/tray_rules.h"

TEST(TrayMainFolder, DropsTheTemplateNameAndNothingMore) {
  EXPECT_EQ(tray::MainProgramFolder("C:\\Programs\\Mopwell\\MOPWELL.BKM"), "C:\\Programs\\Mopwell");
  EXPECT_EQ(tray::MainProgramFolder("\\\\server\\share\\mw\\MOPWELL.BKM"), "\\\\server\\share\\mw");
  // Whatever the last 12 characters are, they go: the value is not parsed.
  EXPECT_EQ(tray::MainProgramFolder("D:\\tools\\abcdefghijk"), "D:\\tools");
}

TEST(TrayMainFolder, ShortValuesNameNoFolder) {
  // The unset default, empty values and anything up to the template's own
  // length give nothing; nothing before the value is ever read.
  for (const char* which : {"@", "", "MOPWELL.BKM", "\\MOPWELL.BKM", "C:\\MOPW.BKM"})
    EXPECT_EQ(tray::MainProgramFolder(which), "") << which;
  std::string exact(12, 'x');
  EXPECT_EQ(tray::MainProgramFolder(exact), "");
  EXPECT_EQ(tray::MainProgramFolder(exact + "y"), "x");
}

TEST(TrayMainFolder, ADriveRootKeepsItsBackslash) {
  EXPECT_EQ(tray::MainProgramFolder("C:\\MOPWELL.BKM"), "C:\\");
  EXPECT_EQ(tray::MainProgramFolder("e:\\MOPWELL.BKM"), "e:\\");
  // Only a drive letter and colon count as a bare drive.
  EXPECT_EQ(tray::MainProgramFolder("1:\\MOPWELL.BKM"), "1:");
  EXPECT_EQ(tray::MainProgramFolder("ab\\MOPWELL.BKM"), "ab");
}

TEST(TrayTips, FirstStageAndProfileTips) {
  EXPECT_EQ(tray::IdentityTip(true), "Using ALIAS!");
  EXPECT_EQ(tray::IdentityTip(false), "Using REAL NAME!");
  EXPECT_EQ(tray::ProfileTip("Ann Doe", true), "Ann Doe is using ALIAS!");
  EXPECT_EQ(tray::ProfileTip("Ann Doe", false), "Ann Doe is using REAL NAME!");
  // The longest name kept still fits the shell's tip.
  std::string longest(tray::kProfileNameLimit, 'n');
  EXPECT_EQ(tray::ProfileTip(longest, false).size(), 44u);
  EXPECT_LE(tray::ProfileTip(longest, false).size(), tray::kTipLimit);
}
