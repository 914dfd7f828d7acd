// The settings page on a real dialog: what a load shows and asks, what Save
// stores in both INI files and what it refuses, and what the two version
// buttons find, write into the registry and put in place of the bookmark
// template.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cleaners.h"
#include "nsreg_file.h"
#include "page_fixture.h"
#include "prefs_file.h"
#include "resource.h"

using std::string;

namespace {

const char* const kReminder =
    "Your alias settings haven't been set. Something HAS TO be there. Please enter alias ID information, and "
    "then select the button for the version of Netscape you're using.\n\nBe sure to hit the SAVE button below "
    "or your settings will be lost.";
const char* const kIdKeys[] = {"User", "User_Addr", "User_Organization", "Sig_File", "Reply_To"};
const int kRealIds[] = {IDC_SETTINGS_REAL_NAME, IDC_SETTINGS_REAL_EMAIL, IDC_SETTINGS_REAL_ORG, IDC_SETTINGS_REAL_SIG};
const int kAliasIds[] = {IDC_SETTINGS_ALIAS_NAME, IDC_SETTINGS_ALIAS_EMAIL, IDC_SETTINGS_ALIAS_ORG,
                         IDC_SETTINGS_ALIAS_SIG};
const string kBk3 = "<!-- three -->\r\n<TITLE>Bookmarks for three</TITLE>\r\n";
const string kBk4 = "<!-- four -->\r\n<TITLE>Bookmarks for four</TITLE>\r\n";
const string kBkm = "<!-- in use -->\r\n";
const string kStores[] = {"Cache", "Cookies", "Bookmark List", "History", "News", "Mail"};

string Pref(const string& key, const string& value) {
  return "user_pref(\"" + key + "\", \"" + value + "\");\r\n";
}
// The browser's identity in prefs.js; no organization line.
const string kPrefs = "// Netscape User Preferences\r\n" + Pref("mail.identity.username", "Pat Browser") +
                      Pref("mail.identity.useremail", "pat@browser.example") +
                      Pref("mail.signature_file", "C:\\\\pat\\\\pat.sig");

class SettingsPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    AliasIdentity = RealIdentity = IdentityRecord{};
    szProFile[0] = '\0';
    lstrcpyA(regit, kPlain.c_str());
    profile = fake->Folder("Users\\pat");
    ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", kPrefs));
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BK3"), kBk3));
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BK4"), kBk4));
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BKM"), kBkm));
    lstrcpyA(MainDir, fake->Folder("Navigator").c_str());
    // The browser's own identity, as the Navigator 3 key holds it.
    SetUser(kPlain + "User", "User_Name", "Reg Name");
    SetUser(kPlain + "User", "User_Addr", "reg@user.example");
    SetUser(kPlain + "User", "User_Organization", "Reg Org");
    SetUser(kPlain + "User", "Sig_File", "C:\\reg.sig");
    SetUser(kPlain + "User", "Reply_To", "reg-reply@user.example");
  }
  void TearDown() override {
    LoadPrefsFile(nullptr);
    PageTest::TearDown();
  }
  void Open() { OpenPage(IDD_SETTINGS, DlgProc4); }
  void Type(int id, const string& text) { SetDlgItemTextA(page, id, text.c_str()); }
  // The four fields of a group, in the order name, address, organization,
  // signature file.
  std::vector<string> Fields(const int (&ids)[4]) {
    std::vector<string> v;
    for (int id : ids) v.push_back(Text(id));
    return v;
  }
  void TypeAll(const int (&ids)[4], const std::vector<string>& values) {
    for (int i = 0; i < 4; ++i) Type(ids[i], values[static_cast<size_t>(i)]);
  }
  // The five identity keys of a section, in the order of kIdKeys.
  std::vector<string> Stored(const string& file, const char* section) {
    std::vector<string> v;
    for (const char* key : kIdKeys) v.push_back(ReadIni(file, section, key));
    return v;
  }
  void SetStored(const string& file, const char* section, const std::vector<string>& values) {
    for (int i = 0; i < 5; ++i) WritePrivateProfileStringA(section, kIdKeys[i], values[i].c_str(), file.c_str());
  }
  string Bytes(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string IdIni() const { return profile + "\\MPW-ID.INI"; }
  string Titles() {
    string titles;
    for (const ShownBox& b : fake->boxes) titles += "[" + b.title + "]";
    return titles;
  }
  string Machine(const string& user) { return kPlain + "Users" + (user.empty() ? "" : "\\" + user); }
  void OneSitting(const string& route);

  string profile;
};

}  // namespace

// A first load: the real fields show the browser's identity, the alias
// "?" and a reminder; every load until an alias is saved adds one more
// placeholder line to the table. Undo brings back what is stored.
TEST_F(SettingsPageTest, FirstLoadShowsTheBrowserIdentityAndAsksForAnAlias) {
  ASSERT_TRUE(LoadPrefsFile((profile + "\\prefs.js").c_str()));
  const int lines = LineCount;
  Open();
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"Reg Name", "reg@user.example", "Reg Org", "C:\\reg.sig"}));
  EXPECT_EQ(Fields(kAliasIds), (std::vector<string>{"?", "?", "?", ""}));
  EXPECT_EQ(Text(IDC_SETTINGS_DIR), MainDir);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Reminder ...");
  EXPECT_EQ(fake->boxes[0].text, kReminder);
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONINFORMATION));
  EXPECT_EQ(LineCount, lines + 1);
  EXPECT_EQ(PrefsLines[lines], "\nuser_pref(\"browser.url_history.URL_16\", \"\");");
  EXPECT_EQ(Ini("CopyMe", "profroot"), "") << "no Communicator profile: nothing to name";
  EXPECT_EQ(Bytes(profile + "\\prefs.js"), kPrefs) << "the placeholder waits for the next write";

  Type(IDC_SETTINGS_REAL_NAME, "typed over");
  Type(IDC_SETTINGS_ALIAS_EMAIL, "typed@over.example");
  Press(IDC_SETTINGS_UNDO);
  EXPECT_EQ(Text(IDC_SETTINGS_REAL_NAME), "Reg Name");
  EXPECT_EQ(Text(IDC_SETTINGS_ALIAS_EMAIL), "?");
  EXPECT_EQ(Titles(), "[Reminder ...][Reminder ...]");
  EXPECT_EQ(LineCount, lines + 2);

  // Enter and Escape do nothing on this page.
  SendMessageA(page, WM_COMMAND, IDOK, 0);
  SendMessageA(page, WM_COMMAND, IDCANCEL, 0);
  Pump();
  EXPECT_TRUE(IsWindow(page));
  EXPECT_EQ(fake->boxes.size(), 2u);
}

// Save stores both identities in MOPWELL.INI and the profile's MPW-ID.INI;
// the reply-to address is the e-mail address whatever it held. A load
// shows MPW-ID.INI's values over MOPWELL.INI's.
TEST_F(SettingsPageTest, SaveStoresBothIdentitiesInBothFiles) {
  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, (profile + "\\").c_str());
  lstrcpyA(CurrentUser, "pat");
  SetStored(fake->IniPath(), "Alias", {"Ini Alias", "ini@alias.example", "Ini Org", "C:\\ini.sig", "old@reply"});
  SetStored(fake->IniPath(), "Realid", {"Ini Real", "ini@real.example", "Ini ROrg", "C:\\ini-r.sig", "old@r"});
  WritePrivateProfileStringA("Alias", "User", "Profile Alias", IdIni().c_str());
  WritePrivateProfileStringA("Realid", "User_Addr", "profile@real.example", IdIni().c_str());
  Open();
  EXPECT_EQ(Fields(kAliasIds), (std::vector<string>{"Profile Alias", "ini@alias.example", "Ini Org", "C:\\ini.sig"}));
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"Ini Real", "profile@real.example", "Ini ROrg", "C:\\ini-r.sig"}));
  EXPECT_EQ(Text(IDC_SETTINGS_DIR), profile + "\\");
  EXPECT_EQ(Ini("CopyMe", "profroot"), fake->root + "\\Users\\");
  EXPECT_TRUE(fake->boxes.empty()) << "an alias is set: no reminder";

  TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", "C:\\Sig\\alias.txt"});
  TypeAll(kRealIds, {"Joe Bloggs", "joe@bloggs.example", "Bloggs Ltd", "C:\\joe.sig"});
  string typedDir = fake->Folder("Typed");
  Type(IDC_SETTINGS_DIR, typedDir);
  Press(IDC_SETTINGS_SAVE);
  const std::vector<string> alias = {"Al Ias", "al@anon.example", "Nobody Inc", "C:\\Sig\\alias.txt",
                                     "al@anon.example"};
  const std::vector<string> real = {"Joe Bloggs", "joe@bloggs.example", "Bloggs Ltd", "C:\\joe.sig",
                                    "joe@bloggs.example"};
  for (const string& file : {fake->IniPath(), IdIni()}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(Stored(file, "Alias"), alias);
    EXPECT_EQ(Stored(file, "Realid"), real);
  }
  EXPECT_EQ(Ini("CopyMe", "where"), typedDir);
  EXPECT_EQ(string(MainDir), typedDir);
  EXPECT_EQ(Ini("Options", "NT"), "<absent>") << "Save leaves the generation to the version buttons";
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Saving settings");
  EXPECT_EQ(fake->boxes[0].text, "Your settings have been saved.");
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONINFORMATION));
  // What is kept is cut to the field's size; the controls take no more.
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_SETTINGS_ALIAS_NAME, EM_GETLIMITTEXT, 0, 0), 49);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_SETTINGS_REAL_SIG, EM_GETLIMITTEXT, 0, 0), 149);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_SETTINGS_DIR, EM_GETLIMITTEXT, 0, 0), 149);
}

// A value prefs.js could not take as it is stops Save: a box names the
// field, nothing is stored, the page keeps what was typed.
TEST_F(SettingsPageTest, SaveRefusesWhatTheSettingsFilesWouldNotGiveBack) {
  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, (profile + "\\").c_str());
  SetStored(fake->IniPath(), "Alias", {"Ini Alias", "ini@alias.example", "Ini Org", "C:\\ini.sig", "x"});
  Open();
  const string ini = Bytes(fake->IniPath());
  const struct {
    int id;
    string value;
    const char* names;
  } cases[] = {
      {IDC_SETTINGS_REAL_NAME, "Joe\r\nuser_pref(\"x\", 1);", "Real identity, \"Your name\""},
      {IDC_SETTINGS_REAL_EMAIL, "joe\n@x", "Real identity, \"Email address\""},
      {IDC_SETTINGS_DIR, "C:\\nav\r\n[Options]\r\nNT=0", "\"Netscape directory:\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const string before = Text(c.id);
    fake->boxes.clear();
    Type(c.id, c.value);
    Press(IDC_SETTINGS_SAVE);
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].title, "Saving settings");
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_NE(fake->boxes[0].text.find(c.names), string::npos) << fake->boxes[0].text;
    EXPECT_EQ(fake->boxes[0].text.find("have been saved"), string::npos);
    EXPECT_EQ(Text(c.id), c.value);
    EXPECT_EQ(Bytes(fake->IniPath()), ini);
    EXPECT_FALSE(FileExists(IdIni()));
    Type(c.id, before);
  }
  // Backslashes, single, doubled or closing, quotes anywhere and blanks at
  // either end are taken and given back as typed: the INI files keep them
  // (a value they would trim or unquote is written quoted), the run
  // escapes them into prefs.js.
  Type(IDC_SETTINGS_ALIAS_SIG, "C:\\\\sigs\\\\");
  Type(IDC_SETTINGS_ALIAS_ORG, "The \"Firm\"\\ ");
  Type(IDC_SETTINGS_REAL_SIG, "'\"C:\\sig\"'");
  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(ReadIni(IdIni(), "Alias", "Sig_File"), "C:\\\\sigs\\\\");
  EXPECT_EQ(ReadIni(IdIni(), "Alias", "User_Organization"), "The \"Firm\"\\ ");
  EXPECT_EQ(ReadIni(IdIni(), "Realid", "Sig_File"), "'\"C:\\sig\"'");
  EXPECT_EQ(fake->boxes.back().text, "Your settings have been saved.");
}

// Without a Communicator profile in use there is no MPW-ID.INI to write:
// none is made anywhere, also when a path was left over from earlier.
TEST_F(SettingsPageTest, SaveWithoutAProfileWritesNoIdentityFile) {
  for (const char* moz : {"4", "0"}) {
    SCOPED_TRACE(moz);
    SetIni("Options", "Moz", moz);
    lstrcpyA(RegProfileDir, "\\");  // what the lookup leaves without nsreg.dat
    lstrcpyA(szProFile, IdIni().c_str());
    Open();
    TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", ""});
    Press(IDC_SETTINGS_SAVE);
    EXPECT_EQ(Ini("Alias", "User"), "Al Ias");
    EXPECT_FALSE(FileExists(IdIni()));
    EXPECT_EQ(NamesIn(fake->programDir).count("MPW-ID.INI"), 0u);
    EXPECT_EQ(NamesIn(fake->windowsDir).count("MPW-ID.INI"), 0u);
    EXPECT_FALSE(FileExists("\\MPW-ID.INI"));
    DestroyWindow(page);
    page = nullptr;
  }
}

// "4 or higher" through the machine's registry, with no nsreg.dat: the
// profile is found, the Navigator 3 store keys go, the browser's identity
// fills the real fields while no real address is stored, the template is
// the Communicator one. A Save then reaches that profile's MPW-ID.INI.
TEST_F(SettingsPageTest, Version4FromTheMachineRegistryThenSave) {
  SetMachine(Machine(""), "CurrentUser", "pat");
  SetMachine(Machine("pat"), "DirRoot", profile);
  for (const string& store : kStores) SetUser(kPlain + store, "Left", "over");
  SetUser(kPlain + "Cache\\Deeper", "Left", "over");
  SetUser(kPlain + "Main", "Install Directory", "C:\\nav");
  SetIni("Realid", "User_Addr", "?");
  Open();
  TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", "C:\\alias.sig"});
  fake->boxes.clear();
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Ini("Options", "NT"), "2");
  EXPECT_EQ(Ini("Options", "Moz"), "4");
  EXPECT_EQ(Ini("CopyMe", "where"), profile);
  EXPECT_EQ(Ini("CopyMe", "userID"), profile);
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(Text(IDC_SETTINGS_DIR), profile);
  for (const string& store : kStores) {
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(fake->hkcu, (kPlain + store).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << store;
  }
  HKEY main;
  ASSERT_EQ(RegOpenKeyExA(fake->hkcu, (kPlain + "Main").c_str(), 0, KEY_READ, &main), ERROR_SUCCESS);
  RegCloseKey(main);
  EXPECT_EQ(Fields(kRealIds),
            (std::vector<string>{"Pat Browser", "pat@browser.example", "{empty}", "C:\\pat\\pat.sig"}));
  EXPECT_EQ(Fields(kAliasIds), (std::vector<string>{"Al Ias", "al@anon.example", "Nobody Inc", "C:\\alias.sig"}));
  EXPECT_EQ(Bytes(fake->InProgram("MOPWELL.BKM")), kBk4);
  EXPECT_EQ(string(szCookieLoc), profile + "\\cookies.txt");
  EXPECT_EQ(string(szMail), profile + "\\mail");
  EXPECT_EQ(string(RegProfileDir), profile + "\\");
  EXPECT_EQ(string(CurrentUser), "pat");
  EXPECT_TRUE(fake->boxes.empty()) << Titles();

  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(Stored(IdIni(), "Alias"), (std::vector<string>{"Al Ias", "al@anon.example", "Nobody Inc",
                                                            "C:\\alias.sig", "al@anon.example"}));
  EXPECT_EQ(Stored(IdIni(), "Realid"), (std::vector<string>{"Pat Browser", "pat@browser.example", "{empty}",
                                                             "C:\\pat\\pat.sig", "pat@browser.example"}));
  EXPECT_EQ(Ini("CopyMe", "profroot"), "") << "written by loads only";
  Press(IDC_SETTINGS_UNDO);
  EXPECT_EQ(Ini("CopyMe", "profroot"), fake->root + "\\Users\\");

  // With a real address stored, what the user typed stays.
  Type(IDC_SETTINGS_REAL_NAME, "Typed Real");
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Text(IDC_SETTINGS_REAL_NAME), "Typed Real");
}

// NSCP.INI alone, or nsreg.dat alone, finds the profile as well; an empty
// current user in NSCP.INI means no Communicator. Whatever finds nothing
// says so and still puts the Communicator template in place; a profile
// without prefs.js stops before the template.
TEST_F(SettingsPageTest, Version4ByNscpIniOrTheRegistryFileAlone) {
  SetIni("Realid", "User_Addr", "");  // empty counts as not stored, as "?" does
  Open();
  WriteNscp("[Users Additional Info]\r\nCurrentUser=pat\r\n[Users]\r\npat=" + profile + "\r\n");
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Ini("Options", "Moz"), "4");
  EXPECT_EQ(Ini("CopyMe", "userID"), profile);
  EXPECT_EQ(string(RegProfileDir), profile + "\\");
  EXPECT_EQ(Text(IDC_SETTINGS_REAL_EMAIL), "pat@browser.example") << "no real address stored yet";
  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(ReadIni(IdIni(), "Realid", "User_Addr"), "pat@browser.example");
  DeleteFileA((fake->windowsDir + "\\NSCP.INI").c_str());
  DeleteFileA(IdIni().c_str());

  // The registry file alone: "Moz" is set too, or the next run would leave
  // prefs.js alone.
  SetIni("Options", "Moz", "0");
  SetIni("CopyMe", "userID", "before");
  string other = fake->Folder("Users\\sam");
  ASSERT_TRUE(WriteFileBytes(other + "\\prefs.js", Pref("mail.identity.useremail", "sam@browser.example")));
  WriteRegistry(fake->windowsDir, "sam", {{"sam", other}});
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Ini("Options", "Moz"), "4");
  EXPECT_EQ(Ini("CopyMe", "userID"), other);
  EXPECT_EQ(Text(IDC_SETTINGS_DIR), other);
  EXPECT_EQ(string(szCookieLoc), other + "\\cookies.txt");
  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(ReadIni(other + "\\MPW-ID.INI", "Alias", "User"), "?");
  DeleteFileA((fake->windowsDir + "\\nsreg.dat").c_str());

  // NSCP.INI with an empty current user: no Communicator.
  fake->boxes.clear();
  WriteFileBytes(fake->InProgram("MOPWELL.BKM"), kBkm);
  WriteNscp("[Users Additional Info]\r\nCurrentUser=\r\n");
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Ini("Options", "Moz"), "0");
  EXPECT_EQ(Ini("Options", "NT"), "2");
  EXPECT_EQ(Titles(), "[Error!]");
  EXPECT_EQ(fake->boxes[0].text, "Netscape 4.xx failed detection.");
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
  EXPECT_EQ(Bytes(fake->InProgram("MOPWELL.BKM")), kBk4);

  // A profile without prefs.js.
  fake->boxes.clear();
  WriteFileBytes(fake->InProgram("MOPWELL.BKM"), kBkm);
  DeleteFileA((profile + "\\prefs.js").c_str());
  WriteNscp("[Users Additional Info]\r\nCurrentUser=pat\r\n[Users]\r\npat=" + profile + "\r\n");
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Titles(), "[Java error:]");
  EXPECT_EQ(fake->boxes[0].text, "Java file not found");
  EXPECT_EQ(Bytes(fake->InProgram("MOPWELL.BKM")), kBkm);
}

// "3 or lower" points the six Navigator 3 locations at the install
// directory, joined with one backslash, under the plain browser key even
// for the Corel edition; twice gives the same. Without an install
// directory nothing becomes a path at a drive's root.
TEST_F(SettingsPageTest, Version3PointsTheStoresAtTheInstallDirectory) {
  const string corel = "Software\\Corel\\Corel Netscape\\Netscape Navigator\\";
  lstrcpyA(regit, corel.c_str());
  string install = fake->Folder("Netscape\\Navigator");
  SetUser(corel + "Main", "Install Directory", install + "\\");
  SetIni("Options", "Moz", "4");
  Open();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Press(IDC_SETTINGS_V3);
    EXPECT_EQ(Ini("Options", "NT"), "1");
    EXPECT_EQ(Ini("Options", "Moz"), "0");
    EXPECT_EQ(Ini("CopyMe", "userID"), install);
    EXPECT_EQ(OSV, 1);
    EXPECT_EQ(Text(IDC_SETTINGS_DIR), install);
    EXPECT_EQ(string(MainDir), install);
    EXPECT_EQ(string(ProfileDir), install);
    const struct {
      const char* subkey;
      const char* value;
      const char* name;
    } rows[] = {{"Bookmark List", "File Location", "\\bookmark.htm"}, {"History", "History File", "\\netscape.hst"},
                {"Cookies", "Cookie File", "\\cookies.txt"},          {"Cache", "Cache Dir", "\\cache"},
                {"News", "News Directory", "\\News"},                 {"Mail", "Mail Directory", "\\Mail"}};
    for (const auto& row : rows) {
      HKEY key;
      ASSERT_EQ(RegOpenKeyExA(fake->hkcu, (kPlain + row.subkey).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
      char data[512] = "";
      DWORD size = sizeof data, type = 0;
      EXPECT_EQ(RegQueryValueExA(key, row.value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
                ERROR_SUCCESS);
      RegCloseKey(key);
      EXPECT_EQ(type, DWORD(REG_SZ));
      EXPECT_EQ(string(data), install + row.name);
      EXPECT_EQ(size, install.size() + strlen(row.name) + 1) << "the data ends with its zero";
    }
    EXPECT_EQ(Bytes(fake->InProgram("MOPWELL.BKM")), kBk3);
  }

  // No install directory, or one at a drive's root: nothing moves.
  for (const char* named : {"", "C:\\", "relative\\nav"}) {
    SCOPED_TRACE(named);
    fake->boxes.clear();
    if (*named)
      SetUser(corel + "Main", "Install Directory", named);
    else
      RegDeleteKeyA(fake->hkcu, (corel + "Main").c_str());
    string cookieBefore;
    GetRegText(fake->hkcu, (kPlain + "Cookies").c_str(), "Cookie File", cookieBefore);
    Press(IDC_SETTINGS_V3);
    EXPECT_EQ(Text(IDC_SETTINGS_DIR), install);
    EXPECT_EQ(string(MainDir), install);
    EXPECT_EQ(Ini("CopyMe", "userID"), install);
    string cookie;
    GetRegText(fake->hkcu, (kPlain + "Cookies").c_str(), "Cookie File", cookie);
    EXPECT_EQ(cookie, cookieBefore);
    EXPECT_EQ(Titles(), "[Error!]");
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(Ini("Options", "NT"), "1");
  }
}

// Set up in one sitting: "4 or higher" finds the profile through the
// machine's registry alone, Save stores the identities, and a clean run
// started next from the clean page puts the alias into that profile's
// prefs.js and records it there, then the real identity back.
TEST_F(SettingsPageTest, SetUpAndCleanInOneSitting) {
  for (const char* route : {"machine registry", "NSCP.INI", "nsreg.dat"}) {
    SCOPED_TRACE(route);
    OneSitting(route);
    if (HasFatalFailure()) return;
  }
}

void SettingsPageTest::OneSitting(const string& route) {
  SetIni("Options", "Moz", nullptr);
  SetIni("Options", "userID", nullptr);
  DeleteFileA(IdIni().c_str());
  const string prefs = "// Netscape User Preferences\r\n" + Pref("mail.identity.username", "Pat Browser") +
                       Pref("mail.identity.useremail", "pat@browser.example") +
                       Pref("mail.identity.organization", "Pat Org") + Pref("mail.signature_file", "C:\\\\pat.sig");
  ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", prefs));
  if (route == "machine registry") {
    SetMachine(Machine(""), "CurrentUser", "pat");
    SetMachine(Machine("pat"), "DirRoot", profile);
  } else if (route == "NSCP.INI") {
    SHDeleteKeyA(fake->hklm, Machine("").c_str());
    WriteNscp("[Users Additional Info]\r\nCurrentUser=pat\r\n[Users]\r\npat=" + profile + "\r\n");
  } else {
    DeleteFileA((fake->windowsDir + "\\NSCP.INI").c_str());
    WriteRegistry(fake->windowsDir, "pat", {{"pat", profile}});
  }
  SetIni("Realid", "User_Addr", "?");
  lstrcpyA(RegProfileDir, "\\");
  Open();
  TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", "C:\\alias.sig"});
  Press(IDC_SETTINGS_V4);
  Press(IDC_SETTINGS_SAVE);
  DestroyWindow(page);
  page = nullptr;

  CleanFromPage(true);
  EXPECT_EQ(Bytes(profile + "\\prefs.js"),
            "// Netscape User Preferences\r\n" + Pref("mail.identity.username", "Al Ias") +
                Pref("mail.identity.useremail", "al@anon.example") + Pref("mail.identity.organization", "Nobody Inc") +
                Pref("mail.signature_file", "C:\\\\alias.sig"));
  EXPECT_EQ(ReadIni(IdIni(), "Options", "userID"), "1");
  EXPECT_EQ(Ini("Options", "userID"), "1");
  CleanFromPage(false);
  EXPECT_EQ(Bytes(profile + "\\prefs.js"), prefs) << "the real identity, as the browser had it";
  EXPECT_EQ(ReadIni(IdIni(), "Options", "userID"), "0");
}

// MPW-ID.INI that is a second name of another file is never written into:
// the name is made the profile's own first, and the other file keeps its
// bytes.
TEST_F(SettingsPageTest, SaveNeverWritesIntoASharedIdentityFile) {
  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, (profile + "\\").c_str());
  const string other = fake->root + "\\other.ini";
  const string otherBytes = "[Alias]\r\nUser=someone else's\r\n";
  ASSERT_TRUE(WriteFileBytes(other, otherBytes));
  ASSERT_TRUE(CreateHardLinkA(IdIni().c_str(), other.c_str(), nullptr));
  Open();
  fake->boxes.clear();
  TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", ""});
  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(Bytes(other), otherBytes);
  EXPECT_EQ(ReadIni(IdIni(), "Alias", "User"), "Al Ias");
  EXPECT_EQ(Titles(), "[Saving settings]");
}

// A profile folder too long for the fields it fills is no profile: nothing
// is cut or emptied, and no prefs.js is read from the current folder in its
// place. Nor is one at a drive's root, relative, or reached through "..".
TEST_F(SettingsPageTest, Version4TakesNoPlantedProfileFolder) {
  ASSERT_TRUE(WriteFileBytes(fake->programDir + "\\prefs.js", Pref("mail.identity.useremail", "planted@x")));
  SetIni("Realid", "User_Addr", "?");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(szCookieLoc, (profile + "\\cookies.txt").c_str());
  SetIni("Options", "Moz", "0");
  Open();
  string relative = "deep";
  while (fake->root.size() + relative.size() < 160) relative += "\\deeper-folder";
  const string longFolder = fake->Folder(relative);
  ASSERT_TRUE(FileExists(longFolder));
  ASSERT_TRUE(WriteFileBytes(longFolder + "\\prefs.js", Pref("mail.identity.useremail", "long@x")));
  for (const string& named : {longFolder, string("C:\\"), string("C:\\Windows\\.."), string("program")}) {
    SCOPED_TRACE(named);
    fake->boxes.clear();
    WriteRegistry(fake->windowsDir, "pat", {{"pat", named}});
    SetMachine(Machine(""), "CurrentUser", "pat");
    SetMachine(Machine("pat"), "DirRoot", named);
    WriteNscp("[Users Additional Info]\r\nCurrentUser=pat\r\n[Users]\r\npat=" + named + "\r\n");
    Press(IDC_SETTINGS_V4);
    EXPECT_EQ(Ini("Options", "Moz"), "0");
    EXPECT_EQ(Ini("CopyMe", "userID"), "<absent>");
    EXPECT_EQ(Titles(), "[Error!]");
    EXPECT_EQ(string(ProfileDir), profile);
    EXPECT_EQ(string(szCookieLoc), profile + "\\cookies.txt");
    EXPECT_EQ(string(szProFile), "");
    EXPECT_EQ(Text(IDC_SETTINGS_REAL_EMAIL), "?");
  }
}

// Save that cannot write says so, naming the file, instead of "saved".
TEST_F(SettingsPageTest, SaveThatCannotWriteSaysSo) {
  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, (profile + "\\").c_str());
  ASSERT_TRUE(CreateDirectoryA(IdIni().c_str(), nullptr));  // no file can be written there
  Open();
  fake->boxes.clear();
  TypeAll(kAliasIds, {"Al Ias", "al@anon.example", "Nobody Inc", ""});
  Press(IDC_SETTINGS_SAVE);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
  EXPECT_NE(fake->boxes[0].text.find(IdIni()), string::npos) << fake->boxes[0].text;
  EXPECT_EQ(fake->boxes[0].text.find("have been saved"), string::npos);
  EXPECT_EQ(Ini("Alias", "User"), "Al Ias") << "MOPWELL.INI was written";
}

// A preference whose value is the empty string gives an empty field, not
// the text for a missing line; a line without a string value likewise.
TEST_F(SettingsPageTest, Version4TakesAnEmptyValueAsEmpty) {
  ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js",
                             "// Netscape User Preferences\r\n" + Pref("mail.identity.organization", "") +
                                 Pref("mail.identity.username", "") + "user_pref(\"mail.signature_file\", 0);\r\n" +
                                 Pref("mail.identity.useremail", "pat@browser.example")));
  SetIni("Realid", "User_Addr", "?");
  WriteNscp("[Users Additional Info]\r\nCurrentUser=pat\r\n[Users]\r\npat=" + profile + "\r\n");
  Open();
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"", "pat@browser.example", "", ""}));
}

// A profile found through the machine's registry or NSCP.INI has no entry
// in the browser's registry file: a later start, whose lookup finds none,
// still saves the identities into that profile's MPW-ID.INI.
TEST_F(SettingsPageTest, ALaterSaveWritesTheProfilesIdFileOnEveryRoute) {
  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, "\\");  // what the lookup leaves without nsreg.dat
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
  ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  SetStored(fake->IniPath(), "Alias", {"Ann Alias", "ann@alias.example", "Alias Org", "C:\\alias.sig", "x"});
  Open();
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"Pat Browser", "pat@browser.example", "{empty}", "C:\\pat\\pat.sig"}))
      << "a Communicator profile in use: its prefs.js identity is offered, not the Navigator 3 one";
  Press(IDC_SETTINGS_SAVE);
  EXPECT_EQ(fake->boxes.back().text, "Your settings have been saved.");
  EXPECT_EQ(ReadIni(IdIni(), "Alias", "User_Addr"), "ann@alias.example");
  EXPECT_EQ(ReadIni(IdIni(), "Realid", "User_Addr"), "pat@browser.example");
}
