// vesko's start and its refreshes: which icon and tip it shows for what the
// configuration file, the registry and the profile's MPW-ID.INI say, the
// places it takes, its trace, and the watch on the Windows directory.
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "vesko_run.h"

namespace {

const char kNavigator[] = "Software\\Netscape\\Netscape Navigator";
const char kBiff[] = "Software\\Netscape\\Netscape Navigator\\Biff";

std::string Trace(const std::string& ini, const char* key) { return ReadIni(ini, "Diagnostics", key); }

}  // namespace

TEST_F(VeskoRun, WithoutAConfigurationFileTheIconIsRedAndOnlyTheFirstStageRuns) {
  SetNavigatorUser(kNavigator, "never-read");  // no "profroot": the profile is not looked at
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; });
  ThenQuit();
  EXPECT_EQ(Run(), 0);

  ASSERT_FALSE(tray.calls.empty());
  const TrayCall& add = tray.calls[0];
  EXPECT_EQ(Describe(add), "ADD 199 RED 301 Using REAL NAME!");
  EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.owner, vesko::hWndMain);
  for (const TrayCall& c : Calls(NIM_MODIFY)) EXPECT_EQ(Describe(c), "MOD 199 RED 301 Using REAL NAME!");
  EXPECT_EQ(Calls(NIM_ADD).size(), 1u);

  // The owner: class "vesko", titled "VESKO", never shown, at its place.
  char cls[32] = "", title[32] = "";
  GetClassNameA(vesko::hWndMain, cls, sizeof cls);
  GetWindowTextA(vesko::hWndMain, title, sizeof title);
  EXPECT_STREQ(cls, "vesko");
  EXPECT_STREQ(title, "VESKO");
  EXPECT_FALSE(IsWindowVisible(vesko::hWndMain));
  EXPECT_NE(GetClassLongPtrA(vesko::hWndMain, GCLP_HICON), 0u) << "class icon 0VESKO";
  RECT r{};
  GetWindowRect(vesko::hWndMain, &r);
  EXPECT_EQ(r.left, 224);
  EXPECT_EQ(r.top, 238);
  EXPECT_EQ(r.right - r.left, 145);
  EXPECT_EQ(r.bottom - r.top, 106);

  // The trace is written whatever the diagnostics switch says; with no
  // "which" the program stays in the folder it was started in.
  EXPECT_EQ(Trace(Ini(), "VESKO"), "4.50.001");
  EXPECT_EQ(Trace(Ini(), "VESKOloc"), "");
  EXPECT_EQ(Trace(Ini(), "VESKOwas"), startDir);
  EXPECT_EQ(CurrentDirectory(), startDir);
}

TEST_F(VeskoRun, TheClearRunsChoiceInTheConfigurationFileShowsTheAlias) {
  WriteIni("Options", "userID", "1");
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; });
  ThenQuit();
  Run();
  ASSERT_FALSE(tray.calls.empty());
  EXPECT_EQ(Describe(tray.calls[0]), "ADD 199 GRN 301 Using ALIAS!");
  EXPECT_EQ(Describe(Calls(NIM_MODIFY)[0]), "MOD 199 GRN 301 Using ALIAS!");
}

TEST_F(VeskoRun, WithAProfileRootTheProfilesOwnFileDecidesAndTheTipNamesIt) {
  // The configuration file says real name, the profile's file says alias:
  // the profile's file has the last word.
  WriteIni("Options", "userID", "0");
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Profile("Ann Doe", "1");
  SetNavigatorUser(kNavigator, "Ann Doe");
  Then("the profile's tip", [&] { return Shows("GRN", "Ann Doe is using ALIAS!"); });
  ThenQuit();
  Run();
  std::vector<TrayCall> mods = Calls(NIM_MODIFY);
  ASSERT_GE(mods.size(), 2u);
  EXPECT_EQ(Describe(mods[0]), "MOD 199 RED 301 Using REAL NAME!");
  EXPECT_EQ(Describe(mods[1]), "MOD 199 GRN 301 Ann Doe is using ALIAS!");
  EXPECT_STREQ(vesko::state.szProFile, (ProfileRoot() + "Ann Doe\\MPW-ID.INI").c_str());
}

TEST_F(VeskoRun, TheBiffKeyWinsOverTheNavigatorKey) {
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Profile("navprofile", "0");
  Profile("biffprofile", "1");
  SetNavigatorUser(kNavigator, "navprofile");
  SetNavigatorUser(kBiff, "biffprofile");
  Then("Biff's profile", [&] { return Shows("GRN", "biffprofile is using ALIAS!"); });
  ThenQuit();
  Run();
  EXPECT_STREQ(vesko::state.CurrentUser, "biffprofile");
}

TEST_F(VeskoRun, AProfileWithoutItsIdentityFileIsUsingTheRealName) {
  WriteIni("Options", "userID", "1");
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Profile("Bo Lind", nullptr);
  SetNavigatorUser(kBiff, "Bo Lind");
  Then("the profile's tip", [&] { return Shows("RED", "Bo Lind is using REAL NAME!"); });
  ThenQuit();
  Run();
  EXPECT_EQ(Describe(Calls(NIM_MODIFY)[0]), "MOD 199 GRN 301 Using ALIAS!");
}

TEST_F(VeskoRun, AProfileRootUnsetOrShorterThanThreeCharactersGivesTheFirstStageOnly) {
  Profile("Cy", "1");
  SetNavigatorUser(kNavigator, "Cy");
  // "ab" and "@" stop after the first stage; "abc" is long enough to go on
  // (and names a folder that does not exist: real name).
  struct Case {
    const char* root;
    std::string lastTip;
  } cases[] = {{"@", "Using REAL NAME!"}, {"ab", "Using REAL NAME!"}, {"abc", "Cy is using REAL NAME!"}};
  for (const Case& c : cases) {
    WriteIni("CopyMe", "profroot", c.root);
    tray.calls.clear();
    Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; });
    ThenQuit();
    Run();
    EXPECT_EQ(Calls(NIM_MODIFY).back().tip, c.lastTip) << "profroot " << c.root;
    TearDown();
  }
  // The real root gives the profile's own answer.
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Then("the profile's tip", [&] { return Shows("GRN", "Cy is using ALIAS!"); });
  ThenQuit();
  Run();
}

TEST_F(VeskoRun, ProfileNamesAreKeptToTwentyFourCharactersAndTheTipStaysWithinTheLimit) {
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  const std::string name24 = "Twentyfour-chars-name-24";
  ASSERT_EQ(name24.size(), 24u);
  Profile(name24, "0");
  SetNavigatorUser(kNavigator, name24);
  Then("the 24-character tip", [&] { return Shows("RED", name24 + " is using REAL NAME!"); });
  ThenQuit();
  Run();
  EXPECT_EQ(Calls(NIM_MODIFY).back().tip.size(), 44u);
  TearDown();

  // Thirty characters in the registry: the tip shows the first 24, but the
  // identity file is the profile's own, not that of a profile whose name
  // is those 24 characters.
  const std::string name30 = name24 + "-extra";
  SetNavigatorUser(kNavigator, name30);
  Profile(name24, "0");
  Profile(name30, "1");
  tray.calls.clear();
  Then("the cut name's tip", [&] { return Shows("GRN", name24 + " is using ALIAS!"); });
  ThenQuit();
  Run();
  EXPECT_STREQ(vesko::state.CurrentUser, name24.c_str());
  EXPECT_EQ(std::string(vesko::state.szProFile), ProfileRoot() + name30 + "\\MPW-ID.INI");
  for (const TrayCall& c : tray.calls) EXPECT_LE(c.tip.size(), 63u) << c.tip;
  TearDown();

  // A name so long that its folder does not fit the path names no file:
  // the real name, never a file read from a cut path.
  const std::string name240(240, 'n');
  SetNavigatorUser(kNavigator, name240);
  tray.calls.clear();
  Then("the long name's tip", [&] { return Shows("RED", std::string(24, 'n') + " is using REAL NAME!"); });
  ThenQuit();
  Run();
  EXPECT_STREQ(vesko::state.szProFile, "");
}

TEST_F(VeskoRun, RegistryKeysThatGoKeepTheNameFoundBefore) {
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Profile("Dee", "0");
  SetNavigatorUser(kNavigator, "Dee");
  Then("Dee's tip", [&] { return Shows("RED", "Dee is using REAL NAME!"); },
       [&] {
         SHDeleteKeyA(platform.hkcu, "Software\\Netscape");
         Profile("Dee", "1");  // outside the Windows directory: no refresh by itself
         WriteIni("Options", "newsrc", "1");
       });
  Then("the refresh after the keys went", [&] { return Shows("GRN", "Dee is using ALIAS!"); });
  ThenQuit();
  Run();
  EXPECT_STREQ(vesko::state.CurrentUser, "Dee");
}

TEST_F(VeskoRun, EveryWriteInTheWindowsDirectoryRefreshesAndTheWatchIsArmedAgain) {
  size_t modsBefore = 0;
  Then("the first refresh", [&] { return Shows("RED", "Using REAL NAME!") && Calls(NIM_MODIFY).size() >= 1; },
       [&] { WriteIni("Options", "userID", "1"); });
  Then("green after the clean run's write", [&] { return Shows("GRN", "Using ALIAS!"); },
       [&] { WriteIni("Options", "userID", "0"); });
  Then("red again after the second write", [&] { return Shows("RED", "Using REAL NAME!"); },
       [&] {
         modsBefore = Calls(NIM_MODIFY).size();
         WriteFileBytes(platform.windowsDir + "\\unrelated.txt", "not the configuration");
       });
  Then("a refresh after an unrelated write", [&] { return Calls(NIM_MODIFY).size() > modsBefore; });
  ThenQuit();
  Run();
  EXPECT_TRUE(Shows("RED", "Using REAL NAME!"));
  // Every wait was given the notification: it was armed again each time.
  for (DWORD n : tray.waitCounts) EXPECT_EQ(n, 1u);
}

TEST_F(VeskoRun, WithoutAWatchTheLoopWaitsOnMessagesAloneAndStillServes) {
  platform.windowsDir = platform.root + "\\no-such-windows";
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDCANCEL); });
  Then("the dialog gone", [&] { return OpenDialog() == nullptr; });
  ThenQuit(5);
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(Describe(tray.calls[0]), "ADD 199 RED 301 Using REAL NAME!");
  // Never a handle that is not there: such a wait fails at once, and the
  // loop would spin.
  ASSERT_FALSE(tray.waitCounts.empty());
  for (DWORD n : tray.waitCounts) EXPECT_EQ(n, 0u);
}

TEST_F(VeskoRun, TheConfigurationFileNamedByInifilenameIsReadAndKeptToFourteenCharacters) {
  // A short name is used as it is, for "which" and for the refreshes; the
  // trace still goes into MOPWELL.INI.
  std::string program = platform.Folder("prog one");
  WriteIni("Prefs", "inifilename", "VESKOCFG.INI");
  WriteIni("CopyMe", "which", (program + "\\MOPWELL.BKM").c_str(), "VESKOCFG.INI");
  WriteIni("Options", "userID", "1", "VESKOCFG.INI");
  Then("green from the named file", [&] { return Shows("GRN", "Using ALIAS!") && Calls(NIM_MODIFY).size() >= 1; });
  ThenQuit();
  Run();
  EXPECT_EQ(Trace(Ini(), "VESKOloc"), program);
  EXPECT_EQ(Trace(Ini("VESKOCFG.INI"), "VESKO"), "<absent>");
  TearDown();

  // A longer name: the start reads "which" from the whole name, the
  // refreshes from its first 14 characters.
  std::string other = platform.Folder("prog two");
  WriteIni("Prefs", "inifilename", "VESKO-LONGNAME.INI");
  WriteIni("CopyMe", "which", (other + "\\MOPWELL.BKM").c_str(), "VESKO-LONGNAME.INI");
  WriteIni("Options", "userID", "0", "VESKO-LONGNAME.INI");
  WriteIni("Options", "userID", "1", "VESKO-LONGNAME");
  tray.calls.clear();
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; });
  ThenQuit();
  Run();
  EXPECT_STREQ(vesko::state.szIniFile, "VESKO-LONGNAME");
  EXPECT_EQ(Describe(tray.calls[0]), "ADD 199 GRN 301 Using ALIAS!");
  EXPECT_EQ(Trace(Ini(), "VESKOloc"), other);
}

TEST_F(VeskoRun, TheMainProgramsFolderComesFromWhichAndBecomesTheCurrentDirectory) {
  struct Case {
    std::string which;
    std::string isAt;  // empty: the program stays where it was started
  };
  std::string program = platform.Folder("Mopwell Folder");
  const Case cases[] = {
      {program + "\\MOPWELL.BKM", program},
      {"C:\\MOPWELL.BKM", "C:\\"},  // a program at a drive root
      {"C:\\MOP.BKM", ""},          // fewer than 12 characters
      {"@", ""},
      // Longer than the 149 characters kept: not taken cut, which would
      // name another folder.
      {program + "\\" + std::string(150, 'b') + "\\MOPWELL.BKM", ""},
  };
  for (const Case& c : cases) {
    SetCurrentDirectoryA(startDir.c_str());
    WriteIni("CopyMe", "which", c.which.c_str());
    std::string during;
    Then("the start", [] { return true; }, [&] { during = CurrentDirectory(); });
    ThenQuit();
    Run();
    EXPECT_STREQ(vesko::state.is_at, c.isAt.c_str()) << c.which;
    EXPECT_EQ(during, c.isAt.empty() ? startDir : c.isAt) << c.which;
    EXPECT_EQ(Trace(Ini(), "VESKOloc"), c.isAt) << c.which;
    EXPECT_EQ(Trace(Ini(), "VESKOwas"), startDir) << c.which;
    TearDown();
  }
}

// The profile's name from the registry is one folder below "profroot".
// Each row puts an identity file saying "alias" where a careless path
// would reach it; a name that is no plain folder name, or does not fit,
// names no file and shows the real name. The first row is a plain name,
// whose own file is read.
TEST_F(VeskoRun, AProfileNameThatIsNoPlainFolderNameOrDoesNotFitNamesNoFile) {
  struct Case {
    std::string name;
    std::string aliasFile;  // where a wrong path would read "userID" 1
    bool read;              // the file is the profile's own and is read
  } cases[] = {
      {"Plain Name", ProfileRoot() + "Plain Name\\MPW-ID.INI", true},
      // Up out of the profiles folder into the Windows folder.
      {"..\\windows", platform.windowsDir + "\\MPW-ID.INI", false},
      {"../windows", platform.windowsDir + "\\MPW-ID.INI", false},
      // A whole path in place of a name.
      {platform.windowsDir, platform.windowsDir + "\\MPW-ID.INI", false},
      // Too long to keep, and empty: both once read the root's own file.
      {std::string(250, 'n'), ProfileRoot() + "MPW-ID.INI", false},
      {"", ProfileRoot() + "MPW-ID.INI", false},
  };
  platform.Folder("profiles\\Plain Name");
  for (const Case& c : cases) {
    WritePrivateProfileStringA("Options", "userID", "1", c.aliasFile.c_str());
    WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
    SetNavigatorUser(kNavigator, c.name);
    tray.calls.clear();
    // A refresh modifies the icon twice: the first stage, then the profile.
    Then("the profile's refresh", [&] { return Calls(NIM_MODIFY).size() >= 2; });
    ThenQuit();
    Run();
    const std::string shown = c.name.substr(0, 24);
    if (c.read) {
      EXPECT_TRUE(Shows("GRN", shown + " is using ALIAS!")) << Describe(Calls(NIM_MODIFY).back());
      EXPECT_EQ(std::string(vesko::state.szProFile), c.aliasFile);
    } else {
      EXPECT_TRUE(Shows("RED", shown + " is using REAL NAME!")) << c.name << ": " << Describe(Calls(NIM_MODIFY).back());
      EXPECT_STREQ(vesko::state.szProFile, "") << c.name;
    }
    DeleteFileA(c.aliasFile.c_str());
    TearDown();
  }
}
