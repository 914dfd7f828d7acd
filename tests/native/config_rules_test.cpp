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

// The program's folder becomes the working directory: at a root it must
// keep its backslash, since "C:" alone is the drive's current folder.
TEST(Paths, FolderOfAProgramKeepsTheRootWhole) {
  EXPECT_EQ(paths::FolderOf("C:\\mopwell.exe"), "C:\\");
  EXPECT_EQ(paths::FolderOf("c:/mopwell.exe"), "c:/");
  EXPECT_EQ(paths::FolderOf("C:\\a\\mopwell.exe"), "C:\\a");
  EXPECT_EQ(paths::FolderOf("C:\\a\\b\\mopwell.exe"), "C:\\a\\b");
  EXPECT_EQ(paths::FolderOf("C:\\a\\\\mopwell.exe"), "C:\\a");
  EXPECT_EQ(paths::FolderOf("C:\\\\mopwell.exe"), "C:\\");
  EXPECT_EQ(paths::FolderOf("\\\\server\\share\\mopwell.exe"), "\\\\server\\share\\");
  EXPECT_EQ(paths::FolderOf("\\\\server\\share\\tools\\mopwell.exe"), "\\\\server\\share\\tools");
  EXPECT_EQ(paths::FolderOf("\\\\?\\C:\\mopwell.exe"), "\\\\?\\C:\\");
  EXPECT_EQ(paths::FolderOf("\\\\?\\C:\\a\\mopwell.exe"), "\\\\?\\C:\\a");
  EXPECT_EQ(paths::FolderOf("\\\\?\\UNC\\server\\share\\mopwell.exe"), "\\\\?\\UNC\\server\\share\\");
  EXPECT_EQ(paths::FolderOf("\\mopwell.exe"), "\\");
  EXPECT_EQ(paths::FolderOf("a\\mopwell.exe"), "a");
  EXPECT_EQ(paths::FolderOf("mopwell.exe"), "");
  EXPECT_EQ(paths::FolderOf("C:mopwell.exe"), "");
  EXPECT_EQ(paths::FolderOf(""), "");
  // Joined back with a name, exactly one backslash in between.
  EXPECT_EQ(paths::Join(paths::FolderOf("C:\\mopwell.exe"), "hookies.txt"), "C:\\hookies.txt");
  EXPECT_EQ(paths::Join(paths::FolderOf("\\\\server\\share\\mopwell.exe"), "Newsgroups"),
            "\\\\server\\share\\Newsgroups");
}

TEST(Paths, NetworkPathsNeedAServerName) {
  EXPECT_FALSE(paths::IsAbsolute("\\\\/server/share"));
  EXPECT_FALSE(paths::IsAbsolute("\\\\"));
  EXPECT_FALSE(paths::Components("\\\\/server/share/news/x"));
  EXPECT_FALSE(paths::IsInside("\\\\server\\share\\news", "\\\\/server/share/news/x"));
}

using Parts = std::vector<std::string>;

// A path text that goes on past a NUL byte.
template <std::size_t N>
std::string WithNul(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(Paths, ComponentsStartWithTheRoot) {
  EXPECT_EQ(paths::Components("C:\\a\\b.rc"), (Parts{"C:", "a", "b.rc"}));
  EXPECT_EQ(paths::Components("c:/a/b/"), (Parts{"c:", "a", "b"}));
  EXPECT_EQ(paths::Components("C:\\"), (Parts{"C:"}));
  EXPECT_EQ(paths::Components("\\\\server\\share\\a"), (Parts{"\\\\server\\share", "a"}));
  EXPECT_EQ(paths::Components("\\\\server/share"), (Parts{"\\\\server\\share"}));
  EXPECT_EQ(paths::Components("\\\\server\\\\/share\\"), (Parts{"\\\\server\\share"}));
  // A server without a share is no root.
  EXPECT_FALSE(paths::Components("\\\\server"));
  EXPECT_FALSE(paths::Components("\\\\server\\"));
  EXPECT_FALSE(paths::Components("\\\\server\\/\\"));
}

TEST(Paths, ComponentsTreatRunsOfEitherSeparatorAsOne) {
  EXPECT_EQ(paths::Components("C:\\\\a//\\/b\\\\"), (Parts{"C:", "a", "b"}));
  EXPECT_EQ(paths::Components("C:/\\a"), (Parts{"C:", "a"}));
  EXPECT_EQ(paths::Components("\\\\s\\h//a\\/b"), (Parts{"\\\\s\\h", "a", "b"}));
}

TEST(Paths, ComponentsResolveDotsButNeverClimbAboveTheRoot) {
  EXPECT_EQ(paths::Components("C:\\a\\.\\b\\..\\c"), (Parts{"C:", "a", "c"}));
  EXPECT_EQ(paths::Components("C:\\a\\b\\..\\..\\c"), (Parts{"C:", "c"}));
  EXPECT_EQ(paths::Components("C:\\a\\.."), (Parts{"C:"}));
  EXPECT_EQ(paths::Components("C:\\.\\.\\a\\."), (Parts{"C:", "a"}));
  // Dots inside a name are part of the name.
  EXPECT_EQ(paths::Components("C:\\.news\\..rc\\a..b"), (Parts{"C:", ".news", "..rc", "a..b"}));

  EXPECT_FALSE(paths::Components("C:\\.."));
  EXPECT_FALSE(paths::Components("C:\\a\\..\\.."));
  EXPECT_FALSE(paths::Components("C:\\a\\..\\..\\a"));  // back down does not make it good
  EXPECT_FALSE(paths::Components("\\\\server\\share\\.."));
  EXPECT_FALSE(paths::Components("\\\\server\\share\\a\\..\\..\\share\\a"));
}

TEST(Paths, ComponentsRefuseColonsPastTheDriveAndNulBytes) {
  EXPECT_FALSE(paths::Components("C:\\news\\news.rc:secret"));
  EXPECT_FALSE(paths::Components("C:\\news\\news.rc::$DATA"));
  EXPECT_FALSE(paths::Components("C:\\news:x\\news.rc"));
  EXPECT_FALSE(paths::Components("C:\\news\\D:\\x"));
  EXPECT_FALSE(paths::Components("\\\\server\\share\\a:b"));
  EXPECT_FALSE(paths::Components(WithNul("C:\\news\\a\0b")));
  EXPECT_FALSE(paths::Components(WithNul("C:\\\0")));
}

// Names Windows would not open as written: trailing dots and blanks are
// dropped, device names open a device in any folder.
TEST(Paths, ComponentsRefuseNamesWindowsWouldChange) {
  for (const char* path : {"C:\\news\\news.", "C:\\news\\news \\x", "C:\\news\\...\\x",
                           "C:\\news\\.. ", "C:\\news\\CON", "C:\\news\\nul.txt", "C:\\news\\Lpt1",
                           "C:\\news\\com9.rc", "C:\\news\\aux .dat", "C:\\news\\CONOUT$"})
    EXPECT_FALSE(paths::Components(path)) << path;
  EXPECT_FALSE(paths::IsInside("C:\\news", "C:\\news\\CON"));
  for (const char* path : {"C:\\news\\console", "C:\\news\\com10", "C:\\news\\lpt", "C:\\news\\.rc",
                           "C:\\news\\a.b.c", "C:\\news\\nul-news.rc"})
    EXPECT_TRUE(paths::Components(path)) << path;
}

TEST(Paths, ComponentsOfRelativePathsAreNothing) {
  for (const char* path : {"", "news.rc", "news\\news.rc", "\\news\\news.rc", "/news", "C:news",
                           "C:", ".\\a", "..\\a", "\\\\\\server\\share", ":\\a", "1:\\a"})
    EXPECT_FALSE(paths::Components(path)) << path;
}

TEST(Paths, InsideMeansStrictlyBelowComparingWholeParts) {
  const char* folder = "C:\\Netscape\\news";
  for (const char* path : {"C:\\Netscape\\news\\news.rc", "C:\\Netscape\\news\\host-a\\b.rcg",
                           "c:/NETSCAPE/News/news.rc", "C:\\Netscape\\\\news//news.rc",
                           "C:\\Netscape\\news\\a\\..\\news.rc", "C:\\Netscape\\x\\..\\news\\.\\y"})
    EXPECT_TRUE(paths::IsInside(folder, path)) << path;
  // The folder itself, however it is written, is not inside.
  for (const char* path : {"C:\\Netscape\\news", "C:\\Netscape\\news\\", "c:/netscape/NEWS/",
                           "C:\\Netscape\\news\\.", "C:\\Netscape\\news\\x\\.."})
    EXPECT_FALSE(paths::IsInside(folder, path)) << path;
  // Names that only start like the folder, and ways out of it.
  for (const char* path :
       {"C:\\Netscape\\news2\\news.rc", "C:\\Netscape\\new\\s\\news.rc", "C:\\Netscape\\news.rc",
        "C:\\Netscape\\newsx", "C:\\Netscape\\news\\..\\news2\\x", "C:\\Netscape\\news\\..\\x",
        "C:\\Netscape\\news\\a\\..\\..\\x", "C:\\Netscape\\prefs.js", "C:\\Netscape",
        "C:\\", "D:\\Netscape\\news\\news.rc", "\\\\Netscape\\news\\news.rc",
        "C:\\Netscape\\news\\..\\..\\..\\Netscape\\news\\x"})
    EXPECT_FALSE(paths::IsInside(folder, path)) << path;
  // Case is folded for ASCII letters only: "[" and "{" differ by the same bit.
  EXPECT_FALSE(paths::IsInside("C:\\news[", "C:\\news{\\x"));
  EXPECT_FALSE(paths::IsInside("C:\\news@", "C:\\news`\\x"));
  EXPECT_FALSE(paths::IsInside("C:\\\xC4", "C:\\\xE4\\x"));
  EXPECT_TRUE(paths::IsInside("C:\\\xC4", "c:\\\xC4\\x"));
}

TEST(Paths, InsideOfDriveRootsAndNetworkShares) {
  EXPECT_TRUE(paths::IsInside("C:\\", "C:\\news.rc"));
  EXPECT_FALSE(paths::IsInside("c:", "C:\\a"));  // "c:" alone depends on the drive's folder
  EXPECT_FALSE(paths::IsInside("C:\\", "C:\\"));
  EXPECT_FALSE(paths::IsInside("C:\\", "C:\\..\\news.rc"));
  EXPECT_FALSE(paths::IsInside("C:\\", "D:\\news.rc"));

  const char* folder = "\\\\server\\share\\news";
  EXPECT_TRUE(paths::IsInside(folder, "\\\\SERVER\\Share\\NEWS\\news.rc"));
  EXPECT_TRUE(paths::IsInside(folder, "\\\\server/share//news/a/news.rc"));
  EXPECT_TRUE(paths::IsInside("\\\\server\\share", "\\\\server\\share\\x"));
  EXPECT_FALSE(paths::IsInside("\\\\server\\share", "\\\\server\\share"));
  EXPECT_FALSE(paths::IsInside(folder, "\\\\server\\share2\\news\\news.rc"));
  EXPECT_FALSE(paths::IsInside(folder, "\\\\server2\\share\\news\\news.rc"));
  EXPECT_FALSE(paths::IsInside(folder, "\\\\server\\share\\news\\..\\..\\share\\news\\x"));
  EXPECT_FALSE(paths::IsInside(folder, "C:\\server\\share\\news\\news.rc"));
  EXPECT_FALSE(paths::IsInside("C:\\server\\share\\news", "\\\\server\\share\\news\\news.rc"));
}

TEST(Paths, NothingIsInsideThroughAStreamANulOrARelativePath) {
  const char* folder = "C:\\news";
  EXPECT_FALSE(paths::IsInside(folder, "C:\\news\\news.rc:hidden"));
  EXPECT_FALSE(paths::IsInside(folder, "C:\\news\\news.rc::$DATA"));
  EXPECT_FALSE(paths::IsInside("C:\\news:s", "C:\\news:s\\x"));
  // Read as a C string this is "C:\other\", outside the folder.
  EXPECT_FALSE(paths::IsInside(folder, WithNul("C:\\other\\\0\\..\\..\\news\\x")));
  for (const char* path : {"news.rc", "news\\news.rc", "\\news\\news.rc", "C:news\\news.rc",
                           ".\\news.rc", "..\\news\\news.rc", ""})
    EXPECT_FALSE(paths::IsInside(folder, path)) << path;
  // A folder that is not absolute has nothing inside it.
  EXPECT_FALSE(paths::IsInside("news", "news\\news.rc"));
  EXPECT_FALSE(paths::IsInside("\\news", "\\news\\news.rc"));
  EXPECT_FALSE(paths::IsInside("", "C:\\news.rc"));
  EXPECT_FALSE(paths::IsInside("", ""));
}
