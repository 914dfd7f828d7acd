// The identity switch: what page set-up reads, and where each run puts the
// alias or the real identity — registry, the Corel INI file, prefs.js and
// the two INI flags — and where it must put nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cleaners.h"
#include "discovery_fixture.h"
#include "mopwell.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"

using std::string;

namespace {

string Pref(const string& key, const string& value) {
  return "user_pref(\"" + key + "\", \"" + value + "\");\r\n";
}
// No reply_to line; the signature path with the doubled backslashes of prefs.js.
const string kPrefs = "// Mozilla User Preferences\r\n" + Pref("mail.pop_name", "joe@bloggs.example") +
                      Pref("mail.identity.organization", "Bloggs Ltd") +
                      Pref("browser.cache.directory", "C:\\\\cache") + Pref("mail.identity.username", "Joe Bloggs") +
                      Pref("mail.identity.useremail", "joe@bloggs.example") +
                      Pref("mail.signature_file", "C:\\\\joe.sig");

// The five values in the order name, address, organization, signature
// file, reply-to. Every value differs from every other, so a value written
// into another's place shows.
const std::vector<string> kAliasValues = {"Al Ias", "al@anon.example", "Nobody Inc", "C:\\Sig\\alias.txt",
                                          "reply@anon.example"};
// The real signature file as its text (prefs.js holds it escaped).
const std::vector<string> kRealValues = {"Joe Bloggs", "joe@bloggs.example", "Bloggs Ltd", "C:\\joe.sig",
                                         "replies@bloggs.example"};

class IdentitySwitchTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    AliasIdentity = RealIdentity = IdentityRecord{};
    szProFile[0] = '\0';
    IdentitiesRead = false;
    profile = fake->root + "\\profile";
    MakeDir(profile);
    lstrcpyA(RegProfileDir, (profile + "\\").c_str());
    lstrcpyA(ProfileDir, profile.c_str());
    lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
    lstrcpyA(regit, kPlain.c_str());
    SetIni("Options", "NT", "2");
    SetIni("Options", "Moz", "4");
    SetId("Alias", kAliasValues);
    SetId("Realid", kRealValues);
    SetUser(kPlain + "User", "User_Name", "Old Name");
    WriteFileBytes(PrefsFile, kPrefs);
    LoadPrefsFile(PrefsFile);  // as discovery leaves it
  }
  void TearDown() override {
    if (host) DestroyWindow(host);  // and the page with it
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    LoadPrefsFile(nullptr);
    DiscoveryTest::TearDown();
  }
  void SetId(const char* section, const std::vector<string>& values) {
    const char* keys[] = {"User", "User_Addr", "User_Organization", "Sig_File", "Reply_To"};
    for (int i = 0; i < 5; ++i) SetIni(section, keys[i], values[i].c_str());
  }
  // The page is a child dialog: it needs a window to live in.
  void Open() {
    if (page) DestroyWindow(page);
    if (!host) host = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), host, DlgProc1, 0);
    ASSERT_NE(page, nullptr);
  }
  string Caption() {
    char buf[256] = "";
    GetDlgItemTextA(page, 125, buf, sizeof buf);
    return buf;
  }
  string Prefs() {
    string bytes;
    ReadFileBytes(PrefsFile, bytes);
    return bytes;
  }
  bool PrefsHas(const string& key, const string& value) { return Prefs().find(Pref(key, value)) != string::npos; }
  string Reg(const char* value) {
    string data = "<absent>";
    GetRegText(fake->hkcu, (kPlain + "User").c_str(), value, data);
    return data;
  }
  // The five values under the browser's "User" key, in the order above.
  std::vector<string> RegValues() {
    return {Reg("User_Name"), Reg("User_Addr"), Reg("User_Organization"), Reg("Sig_File"), Reg("Reply_To")};
  }
  // The same five in the Corel INI file.
  std::vector<string> CorelValues() const {
    std::vector<string> values;
    for (const char* key : {"User\\User_Name", "User\\User_Addr", "User\\User_Organization", "User\\Sig_File",
                            "User\\Reply_To"})
      values.push_back(ReadIni(Corel(), "Netscape Settings", key));
    return values;
  }
  string IdIni() const { return profile + "\\MPW-ID.INI"; }
  string Corel() const { return fake->root + "\\corel.ini"; }
  std::set<string> FilesIn(const string& dir) const {
    std::set<string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(fd.cFileName);
    while (FindNextFileA(find, &fd));
    FindClose(find);
    return names;
  }
  // Nothing beside MOPWELL.INI in the Windows folder, nothing in the
  // current folder, nothing at the drive's root.
  void ExpectNoStrayFiles() {
    EXPECT_EQ(FilesIn(fake->windowsDir), (std::set<string>{".", "..", "MOPWELL.INI"}));
    EXPECT_EQ(FilesIn(fake->programDir), (std::set<string>{".", ".."}));
    EXPECT_FALSE(FileExists("\\MPW-ID.INI"));
  }

  string profile;
  HWND host = nullptr, page = nullptr;
};

}  // namespace

TEST_F(IdentitySwitchTest, SetUpReadsBothRecordsThenTheProfileFileOverThem) {
  SetIni("Alias", "Sig_File", string(160, 's').c_str());
  SetIni("Alias", "Reply_To", nullptr);
  SetIni("Realid", nullptr, nullptr);
  WritePrivateProfileStringA("Alias", "User", string(60, 'p').c_str(), IdIni().c_str());
  WritePrivateProfileStringA("Realid", "User_Organization", "", IdIni().c_str());
  Open();
  EXPECT_TRUE(IdentitiesRead);
  EXPECT_EQ(string(szProFile), IdIni());
  EXPECT_EQ(string(AliasIdentity.sigFile), string(149, 's'));
  EXPECT_EQ(string(AliasIdentity.user), string(60, 'p')) << "MPW-ID.INI wins, whole as far as the field holds";
  EXPECT_EQ(string(AliasIdentity.address), "al@anon.example") << "kept where MPW-ID.INI has none";
  EXPECT_EQ(string(AliasIdentity.replyTo), "(empty!)");
  EXPECT_EQ(string(RealIdentity.sigFile), "");
  EXPECT_EQ(string(RealIdentity.organization), "") << "an empty value in MPW-ID.INI wins too";
  EXPECT_EQ(string(RealIdentity.user), "(empty!)");
}

TEST_F(IdentitySwitchTest, FlagCaptionAndTraceFollowTheBox) {
  SetIni("Options", "cow", "moo");
  Open();
  for (bool alias : {true, false}) {
    SwitchIdentity(page, alias);
    EXPECT_EQ(Ini("Options", "userID"), alias ? "1" : "0");
    EXPECT_EQ(ReadIni(IdIni(), "Options", "userID"), alias ? "1" : "0");
    EXPECT_EQ(Caption(), string(14, ' ') + (alias ? "Al Ias" : "Joe Bloggs"));
    EXPECT_EQ(Ini("Diagnostics", "UserID"), alias ? "AliasID" : "RealID");
  }
  SetIni("Options", "cow", "oom");
  SetIni("Diagnostics", nullptr, nullptr);
  Open();
  SwitchIdentity(page, true);
  EXPECT_EQ(Ini("Diagnostics", "UserID"), "<absent>");
}

TEST_F(IdentitySwitchTest, RegistryTakesOnlyAUserNameLongEnoughAndOnlyAnExistingKey) {
  struct Case { const char* section; bool alias; const char* user; bool written; };
  // A run writes all five values or none; the other four are those of the
  // last run that wrote.
  std::vector<string> expected = {"Old Name", "<absent>", "<absent>", "<absent>", "<absent>"};
  for (Case c : {Case{"Alias", true, "A", false}, Case{"Alias", true, "Al", true},
                 Case{"Realid", false, "Jo", false}, Case{"Realid", false, "Joe", true}}) {
    SCOPED_TRACE(c.user);
    SetUser(kPlain + "User", "User_Name", "Old Name");
    SetIni(c.section, "User", c.user);
    Open();
    SwitchIdentity(page, c.alias);
    if (c.written) expected = c.alias ? kAliasValues : kRealValues;
    expected[0] = c.written ? c.user : "Old Name";
    EXPECT_EQ(RegValues(), expected);
  }
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(fake->hkcu, (kPlain + "User").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  RegQueryValueExA(key, "Reply_To", nullptr, &type, nullptr, &size);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof "replies@bloggs.example") << "the text with its terminator";

  RegDeleteKeyA(fake->hkcu, (kPlain + "User").c_str());
  SwitchIdentity(page, false);
  EXPECT_NE(RegOpenKeyExA(fake->hkcu, (kPlain + "User").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(IdentitySwitchTest, CorelIniGetsTheFiveKeysInOrderOnlyWhenNamed) {
  for (const char* vnet : {"=", static_cast<const char*>(nullptr), ""}) {
    SetIni("customs", "Vnet", vnet);
    Open();
    SwitchIdentity(page, true);
    ExpectNoStrayFiles();
  }
  SetIni("customs", "Vnet", Corel().c_str());
  SwitchIdentity(page, true);
  string bytes;
  ASSERT_TRUE(ReadFileBytes(Corel(), bytes));
  EXPECT_EQ(bytes,
            "[Netscape Settings]\r\n"
            "User\\Sig_File=C:\\Sig\\alias.txt\r\n"
            "User\\Reply_To=reply@anon.example\r\n"
            "User\\User_Name=Al Ias\r\n"
            "User\\User_Addr=al@anon.example\r\n"
            "User\\User_Organization=Nobody Inc\r\n");
}

TEST_F(IdentitySwitchTest, PrefsLinesThatArePresentTakeTheIdentity) {
  Open();
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs(), "// Mozilla User Preferences\r\n" + Pref("mail.pop_name", "al@anon.example") +
                         Pref("mail.identity.organization", "Nobody Inc") + Pref("browser.cache.directory", "C:\\\\cache") +
                         Pref("mail.identity.username", "Al Ias") + Pref("mail.identity.useremail", "al@anon.example") +
                         Pref("mail.signature_file", "C:\\\\Sig\\\\alias.txt"))
      << "no reply_to line is added; the signature path typed with single backslashes is escaped";

  // A login name and a reply-to of their own, so each line shows where its
  // value came from.
  const string head = "// Mozilla User Preferences\r\n" + Pref("mail.pop_name", "jbloggs");
  const string rest = kPrefs.substr(kPrefs.find("user_pref(\"mail.identity.organization"));
  WriteFileBytes(PrefsFile, head + rest + Pref("mail.identity.reply_to", "replies@bloggs.example"));
  SetIni("Prefs", "Unrecover", "1");
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs(), head + Pref("mail.identity.organization", "Nobody Inc") +
                         Pref("browser.cache.directory", "C:\\\\cache") + Pref("mail.identity.username", "Al Ias") +
                         Pref("mail.identity.useremail", "al@anon.example") +
                         Pref("mail.signature_file", "C:\\\\Sig\\\\alias.txt") +
                         Pref("mail.identity.reply_to", "al@anon.example"))
      << "login name kept; reply_to takes the address, not Reply_To";

  WriteFileBytes(PrefsFile, kPrefs);
  SetIni("Options", "Moz", "0");
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs(), kPrefs) << "no Communicator in use";
}

// Any text goes into prefs.js escaped as the browser reads it, and comes
// back from the file as it went in: a double quote (MOPWELL.INI edited by
// hand, or a name the browser itself held), a trailing backslash, a
// network path's leading pair. Nothing is left alone for its text.
TEST_F(IdentitySwitchTest, AnyTextIsEscapedIntoPrefsAndComesBackWhole) {
  SetIni("Options", "cow", "moo");
  SetIni("Alias", "User_Organization", "Nobody \"Inc\" Ltd");
  SetIni("Alias", "Sig_File", "\\\\fileserver\\home\\sig\\");
  Open();
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs(), "// Mozilla User Preferences\r\n" + Pref("mail.pop_name", "al@anon.example") +
                         Pref("mail.identity.organization", "Nobody \\\"Inc\\\" Ltd") +
                         Pref("browser.cache.directory", "C:\\\\cache") + Pref("mail.identity.username", "Al Ias") +
                         Pref("mail.identity.useremail", "al@anon.example") +
                         Pref("mail.signature_file", "\\\\\\\\fileserver\\\\home\\\\sig\\\\"));
  EXPECT_EQ(Ini("Diagnostics", "IdentityLineKept"), "<absent>");
  // Read back as discovery and the settings page read it.
  LoadPrefsFile(PrefsFile);
  EXPECT_EQ(prefs::Unescape(*prefs::CutValue(PrefsLines[FindPrefLine("mail.identity.organization")])),
            "Nobody \"Inc\" Ltd");
  EXPECT_EQ(prefs::Unescape(*prefs::CutValue(PrefsLines[FindPrefLine("mail.signature_file")])),
            "\\\\fileserver\\home\\sig\\");
  // The registry takes any text: the alias goes there whole.
  EXPECT_EQ(Reg("User_Organization"), "Nobody \"Inc\" Ltd");
}

// An identity never saved holds the readers' default "(empty!)": it is
// written nowhere (a run between a version button and Save would put that
// text and an empty signature over the browser's identity). A single field
// removed by hand leaves its own place alone.
TEST_F(IdentitySwitchTest, IdentitiesNeverSavedAreWrittenNowhere) {
  WritePrivateProfileStringA("Realid", nullptr, nullptr, fake->IniPath().c_str());
  const std::vector<string> regBefore = RegValues();
  Open();
  SwitchIdentity(page, false);
  EXPECT_EQ(Prefs(), kPrefs);
  EXPECT_EQ(RegValues(), regBefore);
  EXPECT_EQ(Ini("Options", "userID"), "0");

  WritePrivateProfileStringA("Alias", "User_Organization", nullptr, fake->IniPath().c_str());
  Open();
  SwitchIdentity(page, true);
  EXPECT_TRUE(PrefsHas("mail.identity.organization", "Bloggs Ltd"));
  EXPECT_TRUE(PrefsHas("mail.identity.username", "Al Ias"));
  EXPECT_EQ(Reg("User_Organization"), regBefore[2]);
  EXPECT_EQ(Reg("User_Name"), "Al Ias");
}

// Before setup nothing was read: the flag and caption only.
TEST_F(IdentitySwitchTest, IdentitiesNotReadAreWrittenNowhere) {
  SetIni("Options", "NT", nullptr);
  SetIni("customs", "Vnet", Corel().c_str());
  WritePrivateProfileStringA("Alias", "User", "Profile Alias", IdIni().c_str());
  Open();
  EXPECT_FALSE(IdentitiesRead);
  SwitchIdentity(page, true);
  EXPECT_EQ(Ini("Options", "userID"), "1");
  EXPECT_EQ(ReadIni(IdIni(), "Options", "userID"), "1");
  EXPECT_EQ(Caption(), string(14, ' ') + "Profile Alias");
  EXPECT_EQ(Reg("User_Name"), "Old Name");
  EXPECT_EQ(Reg("User_Addr"), "<absent>");
  EXPECT_FALSE(FileExists(Corel()));
  EXPECT_EQ(Prefs(), kPrefs);
}

TEST_F(IdentitySwitchTest, PrefsEditsGoOverWhatTheBrowserWroteMeanwhile) {
  const string newer = kPrefs + Pref("browser.startup.homepage", "about:blank");
  WriteFileBytes(PrefsFile, newer);
  Open();
  SwitchIdentity(page, true);
  EXPECT_TRUE(PrefsHas("browser.startup.homepage", "about:blank"));
  EXPECT_TRUE(PrefsHas("mail.identity.username", "Al Ias"));

  // Nothing loaded at start: the profile's file is loaded, not refused.
  LoadPrefsFile(nullptr);
  WriteFileBytes(PrefsFile, newer);
  SwitchIdentity(page, true);
  EXPECT_TRUE(PrefsHas("browser.startup.homepage", "about:blank"));
  EXPECT_TRUE(PrefsHas("mail.identity.username", "Al Ias"));
}

TEST_F(IdentitySwitchTest, ReloadOnlyWhenTheFileChanged) {
  EXPECT_FALSE(ReloadPrefsIfChanged());
  ASSERT_TRUE(WritePrefsFile());
  EXPECT_FALSE(ReloadPrefsIfChanged()) << "our own write is no change";

  // Same size, later time: the browser rewrote it.
  string plc = kPrefs;
  WriteFileBytes(PrefsFile, plc.replace(plc.find("Ltd"), 3, "Plc"));
  HANDLE h = CreateFileA(PrefsFile, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME later;
  GetSystemTimeAsFileTime(&later);
  later.dwHighDateTime += 1;
  SetFileTime(h, nullptr, nullptr, &later);
  CloseHandle(h);
  EXPECT_TRUE(ReloadPrefsIfChanged());
  const string plcLine = "\nuser_pref(\"mail.identity.organization\", \"Bloggs Plc\");";
  EXPECT_EQ(PrefsLines[FindPrefLine("mail.identity.organization")], plcLine);

  DeleteFileA(PrefsFile);
  EXPECT_FALSE(ReloadPrefsIfChanged());
  EXPECT_EQ(PrefsLines[FindPrefLine("mail.identity.organization")], plcLine) << "the table stays";
}

TEST_F(IdentitySwitchTest, NoProfileFileWithoutAProfileFolder) {
  lstrcpyA(RegProfileDir, "C:\\Users\\mary");
  FormIdFilePath();
  EXPECT_EQ(lstrcmpiA(szProFile, "C:\\Users\\mary\\MPW-ID.INI"), 0) << szProFile;
  // Without an entry in the browser's registry file, the profile folder
  // discovery took (through the machine's registry or NSCP.INI) holds it;
  // without that either, there is none.
  for (const char* dir : {"", "profile\\", "\\", "C:\\", "C:\\.", "C:\\mary\\..\\"}) {
    lstrcpyA(RegProfileDir, dir);
    lstrcpyA(ProfileDir, profile.c_str());
    FormIdFilePath();
    EXPECT_EQ(string(szProFile), IdIni()) << "'" << dir << "'";
    for (const char* folder : {"", "profile", "C:\\"}) {
      lstrcpyA(ProfileDir, folder);
      FormIdFilePath();
      EXPECT_EQ(string(szProFile), "") << "'" << dir << "', '" << folder << "'";
    }
  }
  lstrcpyA(ProfileDir, "");
  Open();  // with the lookup's lone backslash
  SwitchIdentity(page, true);
  EXPECT_EQ(Ini("Options", "userID"), "1");
  ExpectNoStrayFiles();
  EXPECT_FALSE(FileExists(fake->root + "\\MPW-ID.INI"));

  // A path formed for an earlier Communicator profile is not used once
  // Communicator is no longer in use.
  lstrcpyA(szProFile, IdIni().c_str());
  SetIni("Options", "Moz", "0");
  SwitchIdentity(page, true);
  EXPECT_FALSE(FileExists(IdIni()));
}

TEST_F(IdentitySwitchTest, CleanRunSetsAndRestoresTheIdentity) {
  SetIni("customs", "Vnet", Corel().c_str());
  auto run = [&](bool alias) {
    Open();
    CheckDlgButton(page, 125, alias ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, IDOK)));
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
  };
  run(true);
  EXPECT_EQ(Caption(), string(14, ' ') + "Al Ias");
  EXPECT_EQ(ReadIni(IdIni(), "Options", "userID"), "1");
  EXPECT_EQ(RegValues(), kAliasValues);
  EXPECT_EQ(CorelValues(), kAliasValues);
  EXPECT_TRUE(PrefsHas("mail.identity.useremail", "al@anon.example"));

  run(false);
  EXPECT_EQ(Ini("Options", "userID"), "0");
  EXPECT_EQ(RegValues(), kRealValues);
  EXPECT_EQ(CorelValues(), kRealValues);
  EXPECT_EQ(Prefs(), kPrefs) << "the real identity restored line for line";
  EXPECT_EQ(fake->sleeps, (std::vector<DWORD>{3000, 3000}));
}

// A preference written twice (the browser reads the later line) takes the
// identity in every copy, in both directions; an alias still "?" (never
// entered) is written nowhere, as one never saved.
TEST_F(IdentitySwitchTest, EveryCopyTakesTheIdentityAndAnAliasNotEnteredNone) {
  const string twice = kPrefs + Pref("mail.identity.useremail", "second@bloggs.example");
  WriteFileBytes(PrefsFile, twice);
  LoadPrefsFile(PrefsFile);
  Open();
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs().find("joe@bloggs.example"), string::npos) << Prefs();
  EXPECT_EQ(Prefs().find("second@bloggs.example"), string::npos) << Prefs();
  const string aliasLine = Pref("mail.identity.useremail", "al@anon.example");
  EXPECT_NE(Prefs().find(aliasLine), Prefs().rfind(aliasLine)) << "both copies";
  SwitchIdentity(page, false);
  EXPECT_EQ(Prefs().find("al@anon.example"), string::npos) << Prefs();

  // Not entered: the "?" the settings page shows until an address is typed.
  WriteFileBytes(PrefsFile, kPrefs);
  SetId("Alias", {"?", "?", "?", "", "?"});
  const string regBefore = Reg("User_Addr");
  Open();
  SwitchIdentity(page, true);
  EXPECT_EQ(Prefs(), kPrefs);
  EXPECT_EQ(Reg("User_Addr"), regBefore);
  EXPECT_EQ(Ini("Options", "userID"), "1") << "the choice itself is recorded";
}
