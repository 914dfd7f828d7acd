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

// The profile's name comes from the registry and is used as one folder
// below the root: anything that would climb out, go elsewhere or not fit
// names no file at all.
TEST(TrayProfileIdFile, OnlyAPlainFolderNameThatFitsNamesTheProfilesFile) {
  const std::string root = "C:\\Users\\Profiles\\";
  const std::size_t limit = 249;
  struct Case {
    std::string name;
    bool names;  // names root + name + "\MPW-ID.INI"
  } cases[] = {
      {"Ann Doe", true},
      {"A-profile-name-of-thirty-chars", true},
      {"caf\xe9", true},  // a letter of the ANSI code page
      {".hidden", true},
      {"", false},         // the root's own file
      {".", false},
      {"..", false},
      {"..\\..\\..\\windows", false},
      {"../../windows", false},
      {"sub\\folder", false},
      {"C:\\Windows", false},
      {"C:", false},
      {"name:stream", false},
      {"\\\\server\\share", false},
      {"wild*", false},
      {"who?", false},
      {"a\"b", false},
      {"a<b", false},
      {"a>b", false},
      {"a|b", false},
      {"tab\there", false},
      {std::string("nul\0byte", 8), false},
      {"trailing.", false},
      {"trailing ", false},
      {"CON", false},
      {"nul.txt", false},
      {"COM1", false},
      {"lpt9", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tray::ProfileIdFile(root, c.name, limit), c.names ? root + c.name + "\\MPW-ID.INI" : "") << c.name;
}

TEST(TrayProfileIdFile, APathLongerThanTheLimitNamesNoFile) {
  const std::string root = "C:\\P\\";
  const std::size_t tail = std::string("\\MPW-ID.INI").size();
  const std::size_t limit = 249;
  std::string fits(limit - root.size() - tail, 'n');
  EXPECT_EQ(tray::ProfileIdFile(root, fits, limit), root + fits + "\\MPW-ID.INI");
  EXPECT_EQ(tray::ProfileIdFile(root, fits + "n", limit), "");
  // A name as long as the whole buffer, which once left the folder name
  // empty and read the root's own file.
  EXPECT_EQ(tray::ProfileIdFile(root, std::string(250, 'n'), limit), "");
}
