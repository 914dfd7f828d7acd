// Discovery stage by stage, with registry keys, INI files, nsreg.dat and
// prefs.js that each test writes into its own scratch places.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "discovery_fixture.h"
#include "news_map.h"
#include "prefs_file.h"

using std::string;

TEST_F(DiscoveryTest, NothingFoundLeavesEverythingInTheWindowsDirectory) {
  getIt();
  string win = fake->windowsDir;
  EXPECT_EQ(string(MainDir), win);
  EXPECT_EQ(string(szBookmarkLoc), win + "\\bookmark.htm");
  EXPECT_EQ(string(szCacheLoc), win + "\\cache");
  EXPECT_EQ(string(szCookieLoc), win + "\\cookies.txt");
  EXPECT_EQ(string(HistLoc), win + "\\netscape.hst");
  EXPECT_EQ(string(szMail), win + "\\mail");
  EXPECT_EQ(string(szNewsLoc), "");
  EXPECT_EQ(string(szDocDir), win + "\\RECENT");
  EXPECT_EQ(string(regit), "Software\\Netscape\\Netscape Navigator\\");
  EXPECT_EQ(OSV, 1);
  EXPECT_EQ(string(TemplateFile), fake->programDir + "\\MOPWELL.BKM");
  EXPECT_EQ(string(helpLoc), fake->programDir + "\\MOPWELL.HLP");
  EXPECT_EQ(Ini("CopyMe", "which"), fake->programDir + "\\MOPWELL.BKM");
  EXPECT_EQ(Ini("Diagnostics", "Version"), "<absent>");
  EXPECT_TRUE(fake->boxes.empty());
}

TEST_F(DiscoveryTest, SetupStateComesFromNT) {
  SetIni("Options", "NT", "0");
  getIt();
  EXPECT_EQ(OSV, 0);
}

TEST_F(DiscoveryTest, NavigatorSettingsFromThePlainKey) {
  SetUser(kPlain + "Main", "Install Directory", "C:\\Netscape\\Navigator");
  SetUser(kPlain + "News", "News Directory", "C:\\Netscape\\News");
  SetUser(kPlain + "Mail", "Mail Directory", "C:\\Netscape\\Mail");
  SetUser(kPlain + "Cache", "Cache Dir", "C:\\Netscape\\Cache");
  SetUser(kPlain + "Cookies", "Cookie File", "C:\\Netscape\\cookies.txt");
  SetUser(kPlain + "History", "History File", "C:\\Netscape\\netscape.hst");
  SetUser(kPlain + "Bookmark List", "File Location", "C:\\Netscape\\bookmark.htm");
  getIt();
  EXPECT_EQ(string(MainDir), "C:\\Netscape\\Navigator");
  EXPECT_EQ(string(szNewsLoc), "C:\\Netscape\\News");
  EXPECT_EQ(string(szMail), "C:\\Netscape\\Mail");
  EXPECT_EQ(string(szCacheLoc), "C:\\Netscape\\Cache");
  EXPECT_EQ(string(szCookieLoc), "C:\\Netscape\\cookies.txt");
  EXPECT_EQ(string(HistLoc), "C:\\Netscape\\netscape.hst");
  EXPECT_EQ(string(szBookmarkLoc), "C:\\Netscape\\bookmark.htm");
}

TEST_F(DiscoveryTest, ShortMailDirectoryFallsBackBelowTheMainDirectory) {
  SetUser(kPlain + "Main", "Install Directory", "C:\\Nav");
  SetUser(kPlain + "Mail", "Mail Directory", "C:\\");
  getIt();
  EXPECT_EQ(string(szMail), "C:\\Nav\\mail");
}

TEST_F(DiscoveryTest, AFileKeyWithoutItsValueNamesNoFile) {
  SetUser(kPlain + "Bookmark List", "Other", "x");
  getIt();
  EXPECT_EQ(string(szBookmarkLoc), "") << "\"*\" is no path";
}

TEST_F(DiscoveryTest, TheCorelEditionWinsUnlessTheUserIgnoresIt) {
  SetUser(kPlain + "Main", "Install Directory", "C:\\Plain");
  SetUser(kCorel + "Main", "Install Directory", "C:\\Corel");
  getIt();
  EXPECT_EQ(string(MainDir), "C:\\Corel");
  EXPECT_EQ(string(regit), kCorel);

  SetIni("Options", "mode", "Corel");
  getIt();
  EXPECT_EQ(string(MainDir), "C:\\Plain");
  EXPECT_EQ(string(regit), kPlain);

  SetIni("Options", "mode", "something else");
  getIt();
  EXPECT_EQ(string(MainDir), "C:\\Corel");
}

TEST_F(DiscoveryTest, UserOverridesWithoutAnAsteriskAreUsedAsTheyAre) {
  SetUser(kPlain + "Cookies", "Cookie File", "C:\\Netscape\\cookies.txt");
  SetIni("customs", "cookies", "D:\\kept\\mycookies.txt");
  SetIni("customs", "history", "C:*\\history.db");  // an asterisk anywhere: no override
  SetUser(kPlain + "History", "History File", "C:\\Netscape\\netscape.hst");
  getIt();
  EXPECT_EQ(string(szCookieLoc), "D:\\kept\\mycookies.txt");
  EXPECT_EQ(string(HistLoc), "C:\\Netscape\\netscape.hst");
}

TEST_F(DiscoveryTest, TypedAddressesAreCutAndNeverSpillIntoTheNextEntry) {
  SetUser(kPlain + "URL History", "URL_1", "http://one.example/");
  SetUser(kPlain + "URL History", "URL_2", "http://" + string(300, 'a') + ".example/");
  SetUser(kPlain + "URL History", "URL_3", "http://three.example/");
  getIt();
  EXPECT_EQ(string(URL1), "http://one.example/");
  EXPECT_EQ(std::strlen(URL2), 90u);
  EXPECT_EQ(string(URL2), ("http://" + string(300, 'a')).substr(0, 90));
  EXPECT_EQ(string(URL3), "http://three.example/");
  EXPECT_EQ(string(URL4), "");
}

TEST_F(DiscoveryTest, NavigatorIdentityGoesToTheIdentityFields) {
  SetUser(kPlain + "User", "Sig_File", "C:\\sig.txt");
  SetUser(kPlain + "User", "User_Organization", "Acme");
  SetUser(kPlain + "User", "User_Addr", "jo@acme.example");
  SetUser(kPlain + "User", "User_Name", "Jo Smith");
  SetUser(kPlain + "User", "Reply_To", "reply@acme.example");
  SetUser(kPlain + "User", "User_Organization", "Acme " + string(200, 'x'));
  getIt();
  EXPECT_EQ(string(Udata1), "C:\\sig.txt");
  EXPECT_EQ(std::strlen(Udata2), 149u);
  EXPECT_EQ(string(Udata3), "jo@acme.example");
  EXPECT_EQ(string(Udata4), "Jo Smith");
  EXPECT_EQ(string(Udata5), "reply@acme.example");
}

TEST_F(DiscoveryTest, CommunicatorProfileKnownToTheRegistry) {
  SetMachine(kPlain + "Users", "CurrentUser", "jo");
  SetMachine(kPlain + "Users\\jo", "DirRoot", fake->root + "\\jo");
  getIt();
  string dir = fake->root + "\\jo";
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(string(User40), "jo");
  EXPECT_EQ(string(DirRoot), dir);
  EXPECT_EQ(string(ProfileDir), dir);
  EXPECT_EQ(string(szCacheLoc), dir + "\\cache");
  EXPECT_EQ(string(szCookieLoc), dir + "\\cookies.txt");
  EXPECT_EQ(string(szNewsLoc), dir + "\\news");
  EXPECT_EQ(string(szMail), dir + "\\mail");
  EXPECT_EQ(Ini("CopyMe", "where"), dir);
  EXPECT_EQ(Ini("CopyMe", "userID"), dir);
  EXPECT_EQ(Ini("Options", "Moz"), "4");
}

TEST_F(DiscoveryTest, AProfileFolderThatIsNoFullPathIsNoProfile) {
  SetMachine(kPlain + "Users", "CurrentUser", "jo");
  SetMachine(kPlain + "Users\\jo", "DirRoot", "");
  getIt();
  EXPECT_EQ(OSV, 1);
  EXPECT_EQ(string(szCacheLoc), fake->windowsDir + "\\cache") << "never \\cache at a drive root";
  EXPECT_EQ(Ini("Options", "Moz"), "<absent>");
}

TEST_F(DiscoveryTest, NscpIniWithoutCurrentUserSaysCommunicatorWasNotDetected) {
  WriteNscp("[Users Additional Info]\r\nCurrentUser=\r\n");
  getIt();
  EXPECT_EQ(Ini("Options", "Moz"), "0");
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Whoops!");
  EXPECT_EQ(fake->boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(fake->boxes[0].text.rfind("Communicator 4 was not detected.\n\n", 0), 0u);
  EXPECT_EQ(OSV, 1);
}

TEST_F(DiscoveryTest, NscpIniNamesTheProfileFolder) {
  string dir = fake->root + "\\nscp-profile";
  WriteNscp("[Users Additional Info]\r\nCurrentUser=jo\r\n[Users]\r\njo=" + dir + "\r\n");
  getIt();
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(string(ProfileDir), dir);
  EXPECT_EQ(Ini("CopyMe", "where"), dir);
  EXPECT_EQ(Ini("Options", "Moz"), "4");
  EXPECT_EQ(string(MainDir), dir) << "the preference stage runs on the folder";
  EXPECT_EQ(string(PrefsFile), dir + "\\prefs.js");
}

TEST_F(DiscoveryTest, NscpIniNamingAMissingUserGivesQuestionMarks) {
  WriteNscp("[Users Additional Info]\r\nCurrentUser=ghost\r\n[Users]\r\njo=C:\\jo\r\n");
  getIt();
  EXPECT_EQ(string(ProfileDir), "??");
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(string(PrefsFile), "") << "no preference file is read";
}

TEST_F(DiscoveryTest, RegistryFileProfileGivesPathsWithoutDoubledBackslash) {
  lstrcpyA(RegProfileDir, "C:\\Netscape\\Users\\mary\\");
  getIt();
  EXPECT_EQ(string(ProfileDir), "C:\\Netscape\\Users\\mary");
  EXPECT_EQ(string(szMail), "C:\\Netscape\\Users\\mary\\mail");
  EXPECT_EQ(string(szBookmarkLoc), "C:\\Netscape\\Users\\mary\\bookmark.htm");
  EXPECT_EQ(string(szCacheLoc), "C:\\Netscape\\Users\\mary\\cache");
  EXPECT_EQ(string(szCookieLoc), "C:\\Netscape\\Users\\mary\\cookies.txt");
  EXPECT_EQ(string(HistLoc), "C:\\Netscape\\Users\\mary\\netscape.hst");
  EXPECT_EQ(string(szNewsLoc), "C:\\Netscape\\Users\\mary\\news");
}

TEST_F(DiscoveryTest, TheUsersOverrideBeatsTheRegistryFile) {
  lstrcpyA(RegProfileDir, "C:\\Netscape\\Users\\mary\\");
  SetIni("customs", "nsreg", "D:\\elsewhere\\");
  getIt();
  EXPECT_EQ(string(RegProfileDir), "D:\\elsewhere\\");
  EXPECT_EQ(string(szCacheLoc), "D:\\elsewhere\\cache");
}

TEST_F(DiscoveryTest, AProfileNameWithoutLocationIsNoFolder) {
  lstrcpyA(RegProfileDir, "Mary\\");
  getIt();
  EXPECT_EQ(string(szCacheLoc), fake->windowsDir + "\\cache");
  EXPECT_EQ(string(ProfileDir), "@") << "what NSCP.INI's absent entry leaves";
}

TEST_F(DiscoveryTest, APathTooLongForItsFieldIsLeftEmptyNotCut) {
  // 195 characters: the profile folder fits its 512-byte field, but
  // folder + "cache" would be cut back to the folder itself.
  string folder = "C:\\" + string(191, 'p') + "\\";
  lstrcpyA(RegProfileDir, folder.c_str());
  getIt();
  EXPECT_EQ(string(szCacheLoc), "");
  EXPECT_EQ(string(szCookieLoc), "");
  EXPECT_EQ(string(ProfileDir), "") << "150 bytes cannot hold it";
}

TEST_F(DiscoveryTest, RecentDocumentsFolderIsExpanded) {
  SetEnvironmentVariableA("MOPWELL_TEST_HOME", "C:\\Home");
  SetUser(kShellFolders, "Recent", "%MOPWELL_TEST_HOME%\\Recent");
  getIt();
  EXPECT_EQ(string(szDocDir), "C:\\Home\\Recent");
  SetUser(kShellFolders, "Recent", "C:");
  getIt();
  EXPECT_EQ(string(szDocDir), fake->windowsDir + "\\RECENT");
}

TEST_F(DiscoveryTest, TheTraceIsWrittenOnlyInDiagnosticsMode) {
  SetIni("Options", "cow", "oom");
  getIt();
  EXPECT_EQ(Ini("Diagnostics", "Version"), "<absent>");
  SetIni("Options", "cow", "anything");
  getIt();
  EXPECT_EQ(Ini("Diagnostics", "Version"), "MPW450");
  EXPECT_EQ(Ini("Diagnostics", "Build"), "4.50.002");
  EXPECT_EQ(Ini("Diagnostics", "Startup"), "normal 32 bit");
  EXPECT_EQ(Ini("Diagnostics", "UsesReg"), "OK");
  EXPECT_EQ(Ini("Diagnostics", "regitVal"), kPlain);
  EXPECT_EQ(Ini("Diagnostics", "MainDir from registry"), fake->windowsDir);
  EXPECT_EQ(Ini("Diagnostics", "szCache"), fake->windowsDir + "\\cache");
  EXPECT_EQ(Ini("Diagnostics", "Url1Loc"), "");
  EXPECT_EQ(Ini("Diagnostics", "NSUserN"), "");
}

TEST_F(DiscoveryTest, ATypedBrowserDirectoryIsKeptOnlyWhenItHoldsNavigator) {
  string nav = fake->root + "\\nav";
  MakeDir(nav);
  WriteFileBytes(nav + "\\NETSCAPE.INI", "[Main]\r\nFancy News=Yes\r\n");
  SetIni("CopyMe", "where", nav.c_str());
  getIt();
  EXPECT_EQ(Ini("CopyMe", "where"), nav);
  EXPECT_EQ(string(MainDir), fake->windowsDir) << "a hint, not the main directory";
}

TEST_F(DiscoveryTest, PrecedenceFromDefaultsUpToTheRegistryFile) {
  // Every source names a cache folder; the later stage wins.
  SetUser(kPlain + "Cache", "Cache Dir", "C:\\FromNavigator\\cache");
  SetIni("customs", "cache", "C:\\FromOverride\\cache");
  getIt();
  EXPECT_EQ(string(szCacheLoc), "C:\\FromOverride\\cache");

  SetMachine(kPlain + "Users", "CurrentUser", "jo");
  SetMachine(kPlain + "Users\\jo", "DirRoot", "C:\\FromMachine");
  getIt();
  EXPECT_EQ(string(szCacheLoc), "C:\\FromMachine\\cache") << "a profile found later wins";

  lstrcpyA(RegProfileDir, "C:\\FromRegistryFile\\");
  getIt();
  EXPECT_EQ(string(szCacheLoc), "C:\\FromRegistryFile\\cache");
  EXPECT_EQ(string(DirRoot), "C:\\FromMachine");
}

// ---- Places that are no store: a drive's root, relative names ----

TEST_F(DiscoveryTest, AProfileOrInstallFolderAtADriveRootIsNone) {
  SetMachine(kPlain + "Users", "CurrentUser", "jo");
  SetMachine(kPlain + "Users\\jo", "DirRoot", "C:\\");
  getIt();
  EXPECT_EQ(OSV, 1);
  EXPECT_EQ(string(DirRoot), "");
  EXPECT_EQ(string(szCacheLoc), fake->windowsDir + "\\cache") << "never C:\\cache";
  EXPECT_EQ(string(szCookieLoc), fake->windowsDir + "\\cookies.txt");

  // An install directory at a drive's root, or too long for its field,
  // counts as not read; nothing becomes a bare relative name.
  for (const string& install : {string("C:\\"), string("C:\\Nav\\.."), "C:\\" + string(300, 'n')}) {
    SCOPED_TRACE(install);
    ClearProfileLocations();
    SetUser(kPlain + "Main", "Install Directory", install);
    getIt();
    EXPECT_EQ(string(MainDir), fake->windowsDir);
    EXPECT_EQ(string(szBookmarkLoc), fake->windowsDir + "\\bookmark.htm");
    EXPECT_EQ(string(HistLoc), fake->windowsDir + "\\netscape.hst");
    EXPECT_EQ(string(szMail), fake->windowsDir + "\\mail");
  }
}

TEST_F(DiscoveryTest, ARegistryFileOverrideAtADriveRootWritesNothingThere) {
  ASSERT_FALSE(FileExists("C:\\prefs.js"));
  for (const char* root : {"C:\\.", "C:\\mopwell-none\\..\\."}) {
    SCOPED_TRACE(root);
    SetIni("customs", "nsreg", root);
    getIt();
    EXPECT_EQ(string(szCacheLoc), fake->windowsDir + "\\cache");
    EXPECT_EQ(string(PrefsFile), "");
  }
  // Even told so directly, a preference edit creates nothing at the root.
  lstrcpyA(ProfileDir, "C:\\.");
  AppendPrefLine("\nuser_pref(\"browser.url_history.URL_16\", \"\");");
  WritePrefsFile();
  EXPECT_FALSE(FileExists("C:\\prefs.js"));
}

// Relative names, from the user's overrides or the browser's files, are
// no store: the working directory is the program's own folder.
TEST_F(DiscoveryTest, RelativeLocationsNameNothing) {
  SetIni("customs", "cache", "Cache\\..");
  SetIni("customs", "cookies", "cookies.txt");
  SetIni("customs", "history", "..\\netscape.hst");
  SetIni("customs", "bookmarks", "C:bookmark.htm");
  getIt();
  EXPECT_EQ(string(szCacheLoc), "");
  EXPECT_EQ(string(szCookieLoc), "");
  EXPECT_EQ(string(HistLoc), "");
  EXPECT_EQ(string(szBookmarkLoc), "");

  // A profile folder NSCP.INI names relatively is never read, though the
  // working directory holds one of that name with a prefs.js in it.
  ClearProfileLocations();
  string rel = fake->programDir + "\\rel-profile";
  CreateDirectoryA(rel.c_str(), nullptr);
  WriteFileBytes(rel + "\\prefs.js", "user_pref(\"browser.cache.directory\", \"C:\\\\elsewhere\\\\cache\");\r\n");
  WriteNscp("[Users Additional Info]\r\nCurrentUser=jo\r\n[Users]\r\njo=rel-profile\r\n");
  getIt();
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(string(PrefsFile), "");
  EXPECT_EQ(string(szCacheLoc), "");
  EXPECT_EQ(string(ProfileDir), "rel-profile");

  // One too long for its field is none: cut short it would be another
  // folder, whose prefs.js would be read and written.
  ClearProfileLocations();
  SetIni("Options", "Moz", nullptr);
  string cutTo = fake->Folder(string("long\\") + string(140, 'c'));
  string full = cutTo + "\\tail-that-does-not-fit";
  WriteFileBytes(cutTo.substr(0, 149) + "\\prefs.js", "user_pref(\"mail.identity.username\", \"Cut\");\r\n");
  WriteNscp("[Users Additional Info]\r\nCurrentUser=jo\r\n[Users]\r\njo=" + full + "\r\n");
  getIt();
  EXPECT_EQ(Ini("Options", "Moz"), "<absent>");
  EXPECT_EQ(string(PrefsFile), "");
  EXPECT_NE(string(Udata4), "Cut");
}

// The map repair makes a news folder only in a real profile folder.
TEST_F(DiscoveryTest, TheMapRepairCreatesNoFolderFromAProfileThatIsNone) {
  std::set<string> before = NamesIn(fake->programDir);
  for (const char* profile : {"@", "??", "rel-profile", "C:\\", ""}) {
    SCOPED_TRACE(profile);
    lstrcpyA(ProfileDir, profile);
    szNewsLoc[0] = '\0';
    FixFat();
    EXPECT_EQ(NamesIn(fake->programDir), before);
    EXPECT_EQ(string(szNewsLoc), "");
  }
  EXPECT_FALSE(FileExists("C:\\news")) << "nor at the root";
}
