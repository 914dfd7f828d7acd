// Hostile probes of the setup pages and the identity switch they feed: a
// new user sets up in one sitting, runs as the alias and then as the real
// identity, and the browser must present exactly what it had; the cookie
// boxes must give back the browser's own lines however Save ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaners.h"
#include "held_file.h"
#include "page_fixture.h"
#include "prefs_file.h"
#include "resource.h"

using std::string;

namespace {

const int kRealIds[] = {IDC_SETTINGS_REAL_NAME, IDC_SETTINGS_REAL_EMAIL, IDC_SETTINGS_REAL_ORG, IDC_SETTINGS_REAL_SIG};
const int kAliasIds[] = {IDC_SETTINGS_ALIAS_NAME, IDC_SETTINGS_ALIAS_EMAIL, IDC_SETTINGS_ALIAS_ORG,
                         IDC_SETTINGS_ALIAS_SIG};

string Pref(const string& key, const string& value) {
  return "user_pref(\"" + key + "\", \"" + value + "\");\r\n";
}

const string kHead = "// Netscape User Preferences\r\n// This is a generated file!  Do not edit.\r\n\r\n";

// The browser's identity lines, each value in the form the file holds it.
struct Held {
  string name = "Pat Browser", address = "pat@browser.example", organization = "Pat Org",
         replyTo = "orders@browser.example", login = "pat", signature = "C:\\\\pat\\\\pat.sig";
  string nameLines;  // the user name's lines as written, when not the plain one
};

string PrefsOf(const Held& h) {
  return kHead + Pref("browser.startup.homepage", "http://www.browser.example/") +
         Pref("mail.identity.organization", h.organization) + Pref("mail.identity.reply_to", h.replyTo) +
         Pref("mail.identity.useremail", h.address) +
         (h.nameLines.empty() ? Pref("mail.identity.username", h.name) : h.nameLines) +
         Pref("mail.pop_name", h.login) + Pref("mail.signature_file", h.signature);
}

class HostileSetupProbe : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    AliasIdentity = RealIdentity = IdentityRecord{};
    szProFile[0] = '\0';
    IdentitiesRead = false;
    lstrcpyA(regit, kPlain.c_str());
    profile = fake->Folder("Users\\pat");
    lstrcpyA(MainDir, fake->Folder("Navigator").c_str());
    WriteFileBytes(fake->InProgram("MOPWELL.BK3"), "three");
    WriteFileBytes(fake->InProgram("MOPWELL.BK4"), "four");
    WriteFileBytes(fake->InProgram("MOPWELL.BKM"), "in use");
    // Navigator 3 keeps its own identity: a user of both generations.
    SetNavigator3("nav3@user.example");
  }
  void TearDown() override {
    LoadPrefsFile(nullptr);
    PageTest::TearDown();
  }
  void SetNavigator3(const string& address) {
    SetUser(kPlain + "User", "User_Name", "Nav Three");
    SetUser(kPlain + "User", "User_Addr", address);
    SetUser(kPlain + "User", "User_Organization", "Nav Org");
    SetUser(kPlain + "User", "Sig_File", "C:\\nav3.sig");
    SetUser(kPlain + "User", "Reply_To", "nav3-reply@user.example");
  }
  string Reg(const char* value) {
    string data = "<absent>";
    GetRegText(fake->hkcu, (kPlain + "User").c_str(), value, data);
    return data;
  }
  void Type(int id, const string& text) { SetDlgItemTextA(page, id, text.c_str()); }
  void TypeAlias(const char* name = "Al Ias") {
    const char* values[] = {name, "al@anon.example", "Nobody Inc", "C:\\alias.sig"};
    for (int i = 0; i < 4; ++i) Type(kAliasIds[i], values[i]);
  }
  std::vector<string> Fields(const int (&ids)[4]) {
    std::vector<string> v;
    for (int id : ids) v.push_back(Text(id));
    return v;
  }
  string Prefs() {
    string bytes;
    return ReadFileBytes(profile + "\\prefs.js", bytes) ? bytes : string("<missing>");
  }
  string IdIni() const { return profile + "\\MPW-ID.INI"; }
  void OpenSettings() { OpenPage(IDD_SETTINGS, DlgProc4); }
  void OpenPrefs() { OpenPage(IDD_PREFS, DlgProc5); }
  void Close() {
    if (page) DestroyWindow(page);
    page = nullptr;
    Pump();
  }
  // A new user's first sitting: the profile found through the machine's
  // registry, the alias typed, "4 or higher", Save.
  void Sitting(const string& prefs, const char* aliasName = "Al Ias") {
    ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", prefs));
    SetMachine(kPlain + "Users", "CurrentUser", "pat");
    SetMachine(kPlain + "Users\\pat", "DirRoot", profile);
    lstrcpyA(RegProfileDir, "\\");
    OpenSettings();
    TypeAlias(aliasName);
    Press(IDC_SETTINGS_V4);
    Press(IDC_SETTINGS_SAVE);
    Close();
  }
  string profile;
};

}  // namespace

// Identity values the browser itself may hold (escapes, long values, empty
// reply-to and login, blanks at the end, quotes, a value in single quotes):
// set up, run as the alias, run as the real identity, and prefs.js must be
// as it was. (A line written twice, or with blanks and a comment, comes
// back in the program's own form, which the browser reads the same: not
// checked here.)
TEST_F(HostileSetupProbe, RealRunGivesBackEveryIdentityTheBrowserMayHold) {
  struct Case {
    const char* name;
    Held held;
  };
  std::vector<Case> cases;
  auto add = [&cases](const char* name, void (*edit)(Held&)) {
    Held h;
    edit(h);
    cases.push_back({name, h});
  };
  add("plain", [](Held&) {});
  add("escaped quotes", [](Held& h) { h.name = "Pat \\\"PB\\\" Browser"; });
  add("network signature", [](Held& h) { h.signature = "\\\\\\\\fileserver\\\\home\\\\sig.txt"; });
  add("Latin-1 escape", [](Held& h) { h.name = "Ren\\u00E9 Browser"; });
  add("escape beyond Latin-1", [](Held& h) { h.name = "Pat \\u20AC Browser"; });
  add("organization of 60", [](Held& h) { h.organization = string(60, 'o'); });
  add("organization of 49", [](Held& h) { h.organization = string(49, 'o'); });
  add("organization of 50", [](Held& h) { h.organization = string(50, 'o'); });
  add("signature of 150", [](Held& h) { h.signature = "C:\\\\" + string(146, 's'); });
  add("empty reply-to", [](Held& h) { h.replyTo = ""; });
  add("empty login", [](Held& h) { h.login = ""; });
  add("blank at the end", [](Held& h) { h.organization = "Pat Org "; });
  add("organization in quotes", [](Held& h) { h.organization = "\\\"Pat Org\\\""; });
  add("single quotes", [](Held& h) { h.nameLines = "user_pref(\"mail.identity.username\", 'Pat Browser');\r\n"; });
  add("octal escape", [](Held& h) { h.name = "Pat \\101 Browser"; });
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    if (i > 0) {
      TearDown();
      SetUp();
    }
    const string before = PrefsOf(c.held);
    Sitting(before);
    CleanFromPage(true);
    EXPECT_EQ(Prefs().find("pat@browser.example"), string::npos) << "the alias is in force";
    CleanFromPage(false);
    EXPECT_EQ(Prefs(), before) << "the real identity as the browser had it";
  }
}

// After an alias run prefs.js presents the alias. A later Save on the
// settings page (say, to correct the alias's organization) must not forget
// the browser's own login and reply-to kept with the real identity.
TEST_F(HostileSetupProbe, SettingsSaveWhileTheAliasIsInForceKeepsTheBrowsersLogin) {
  const string before = PrefsOf(Held{});
  Sitting(before);
  EXPECT_EQ(Ini("Realid", "Pop_Name"), "pat");
  EXPECT_EQ(Ini("Realid", "Reply_To"), "orders@browser.example");
  CleanFromPage(true);
  // A later start: discovery has loaded the file the alias run wrote.
  lstrcpyA(RegProfileDir, "\\");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
  ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  OpenSettings();
  EXPECT_EQ(Text(IDC_SETTINGS_REAL_EMAIL), "pat@browser.example");
  Type(IDC_SETTINGS_ALIAS_ORG, "Nobody At All");
  Press(IDC_SETTINGS_SAVE);
  Close();
  EXPECT_EQ(Ini("Realid", "Pop_Name"), "pat");
  EXPECT_EQ(Ini("Realid", "Reply_To"), "orders@browser.example");
  CleanFromPage(false);
  EXPECT_EQ(Prefs(), before);
}

// The user's real address is the same in both generations (one mailbox),
// and the alias name is one letter, so the alias run leaves the Navigator 3
// key alone. Pressing "4 or higher" again while the alias is in force must
// not offer the alias, which prefs.js now holds, as the real identity.
TEST_F(HostileSetupProbe, Version4AgainWhileTheAliasIsInForceKeepsTheRealIdentity) {
  SetNavigator3("pat@browser.example");
  const string before = PrefsOf(Held{});
  Sitting(before, "Q");
  EXPECT_EQ(Reg("User_Addr"), "pat@browser.example");
  CleanFromPage(true);
  lstrcpyA(RegProfileDir, "\\");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
  ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  OpenSettings();
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"Pat Browser", "pat@browser.example", "Pat Org", "C:\\pat\\pat.sig"}));
  Press(IDC_SETTINGS_V4);
  EXPECT_EQ(Fields(kRealIds), (std::vector<string>{"Pat Browser", "pat@browser.example", "Pat Org", "C:\\pat\\pat.sig"}))
      << "the alias offered as the real identity";
  Press(IDC_SETTINGS_SAVE);
  Close();
  EXPECT_EQ(Ini("Realid", "User_Addr"), "pat@browser.example");
  CleanFromPage(false);
  EXPECT_EQ(Prefs(), before);
}

// A user of both generations: the real run gives Communicator its identity
// back; what does the Navigator 3 key hold afterwards?
TEST_F(HostileSetupProbe, RealRunLeavesNavigator3ItsOwnIdentity) {
  const string before = kHead + Pref("mail.identity.useremail", "pat@browser.example") +
                        Pref("mail.identity.username", "Pat Browser");  // no organization line
  Sitting(before);
  CleanFromPage(true);
  CleanFromPage(false);
  EXPECT_EQ(Prefs(), before);
  EXPECT_EQ(Reg("User_Addr"), "nav3@user.example");
  EXPECT_EQ(Reg("User_Name"), "Nav Three");
  EXPECT_EQ(Reg("User_Organization"), "Nav Org");
  EXPECT_EQ(Reg("Sig_File"), "C:\\nav3.sig");
  EXPECT_EQ(Reg("Reply_To"), "nav3-reply@user.example");
  EXPECT_EQ(Ini("Realid", "User_Organization"), "{empty}");
}

// MOPWELL.INI as earlier versions stored the browser's signature file:
// with the doubled backslashes prefs.js holds. A real run must not double
// them once more.
TEST_F(HostileSetupProbe, RealRunTakesASignatureStoredByAnEarlierVersion) {
  const string before = PrefsOf(Held{});
  Sitting(before);
  for (const string& file : {fake->IniPath(), IdIni()})
    WritePrivateProfileStringA("Realid", "Sig_File", "C:\\\\pat\\\\pat.sig", file.c_str());
  CleanFromPage(true);
  CleanFromPage(false);
  EXPECT_EQ(Prefs(), before);
}

// The browser's own organization wrapped in quotes ("The Firm" with its
// quotes): the page offers it as the real identity; Save must take it.
TEST_F(HostileSetupProbe, TheBrowsersOwnQuotedOrganizationCanBeSaved) {
  Held h;
  h.organization = "\\\"Pat Org\\\"";
  Sitting(PrefsOf(h));
  ASSERT_FALSE(fake->boxes.empty());
  EXPECT_EQ(fake->boxes.back().text, "Your settings have been saved.");
  EXPECT_EQ(Ini("Alias", "User"), "Al Ias");
}

// prefs.js held open by the browser at a Preferences Save that switches a
// cookie box: nothing changes anywhere, and Save says so.
TEST_F(HostileSetupProbe, PreferencesSaveWithPrefsHeldChangesNothing) {
  const string prefs = kHead + "user_pref(\"network.cookie.cookieBehavior\", 1);\r\n";
  ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", prefs));
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
  ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  SetIni("Options", "Moz", "4");
  for (const char* sharing : {"r", "", "rw"}) {
    SCOPED_TRACE(sharing);
    const string ini = [&] { string b; ReadFileBytes(fake->IniPath(), b); return b; }();
    OpenPrefs();
    fake->boxes.clear();
    CheckDlgButton(page, IDC_PREFS_COOKBLOCK, BST_CHECKED);
    {
      HeldFile browser(profile + "\\prefs.js", sharing);
      ASSERT_TRUE(browser.ok());
      Press(IDC_PREFS_SAVE);
    }
    string after;
    ReadFileBytes(fake->IniPath(), after);
    ASSERT_EQ(fake->boxes.size(), 1u);
    if (Prefs() == prefs) {
      EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION)) << fake->boxes[0].text;
      EXPECT_TRUE(after == ini) << after;
    } else {
      EXPECT_EQ(fake->boxes[0].text, "Your Preferences have been saved.");
      EXPECT_EQ(Ini("Prefs", "CookieBehaviorWas"), "user_pref(\"network.cookie.cookieBehavior\", 1);");
      // Back to how it was for the next case.
      CheckDlgButton(page, IDC_PREFS_COOKBLOCK, BST_UNCHECKED);
      Press(IDC_PREFS_SAVE);
      EXPECT_TRUE(Prefs() == prefs) << Prefs();
    }
    Close();
  }
}

// A prefs.js whose very first line sets the e-mail address (no header
// comment): the alias run must not leave the real address in force while
// it says the alias is.
TEST_F(HostileSetupProbe, AnAddressOnTheFirstLineIsSwitchedToo) {
  const string before = Pref("mail.identity.useremail", "pat@browser.example") +
                        Pref("mail.identity.username", "Pat Browser") + Pref("mail.identity.organization", "Pat Org");
  Sitting(before);
  CleanFromPage(true);
  EXPECT_EQ(Prefs().find("pat@browser.example"), string::npos) << Prefs();
}

namespace {

class HostileCookieProbe : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    lstrcpyA(regit, kPlain.c_str());
    profile = fake->Folder("profile");
    lstrcpyA(ProfileDir, profile.c_str());
    lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
    cookies = profile + "\\cookies.txt";
    WriteFileBytes(cookies, "cookies");
    lstrcpyA(szCookieLoc, cookies.c_str());
    SetIni("Options", "Moz", "4");
    SetIni("Prefs", "CookBlocker", "0");
  }
  void TearDown() override {
    SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_NORMAL);
    LoadPrefsFile(nullptr);
    PageTest::TearDown();
  }
  void Load(const string& prefs) {
    ASSERT_TRUE(WriteFileBytes(PrefsFile, prefs));
    ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  }
  void Check(int box, bool on) { CheckDlgButton(page, box, on ? BST_CHECKED : BST_UNCHECKED); }
  string Prefs() {
    string bytes;
    ReadFileBytes(PrefsFile, bytes);
    return bytes;
  }
  string Titles() {
    string t;
    for (const ShownBox& b : fake->boxes) t += "[" + b.title + ": " + b.text + "]";
    return t;
  }
  string profile, cookies;
};

}  // namespace

// The browser's own line of the cookie choice, whatever it looks like,
// comes back byte for byte after on, off.
TEST_F(HostileCookieProbe, OwnLineOfAnyShapeComesBack) {
  const string head = "// Netscape User Preferences\r\n";
  const string tail = "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n";
  const string cases[] = {
      "user_pref(\"network.cookie.cookieBehavior\", 1);",
      "  user_pref(\"network.cookie.cookieBehavior\", 1);",
      "\tuser_pref(\"network.cookie.cookieBehavior\", 1);  ",
      "user_pref(\"network.cookie.cookieBehavior\", 1); // \"mine\"",
      "user_pref(\"network.cookie.cookieBehavior\", 1); // " + string(5000, 'c'),
  };
  for (const string& line : cases) {
    SCOPED_TRACE(line.substr(0, 60));
    const string prefs = head + line + "\r\n" + tail;
    SetIni("Prefs", "CookBlocker", "0");
    Load(prefs);
    OpenPage(IDD_PREFS, DlgProc5);
    Check(IDC_PREFS_COOKBLOCK, true);
    Press(IDC_PREFS_SAVE);
    EXPECT_NE(Prefs().find("cookieBehavior\", 2"), string::npos);
    Check(IDC_PREFS_COOKBLOCK, false);
    Press(IDC_PREFS_SAVE);
    EXPECT_TRUE(Prefs() == prefs) << Prefs().substr(0, 200);
    DestroyWindow(page);
    page = nullptr;
  }
}

// MOPWELL.INI held open by another program at Save, with sharing that lets
// the check through: the browser's own line must not be lost, and Save must
// not claim success.
TEST_F(HostileCookieProbe, SaveWithTheIniHeldNeverLosesTheBrowsersLine) {
  const string prefs = "// Netscape User Preferences\r\n"
                       "user_pref(\"network.cookie.cookieBehavior\", 1);\r\n";
  for (const char* sharing : {"rw", "r", ""}) {
    SCOPED_TRACE(sharing);
    SetIni("Prefs", "CookBlocker", "0");
    SetIni("Prefs", "CookieBehaviorWas", nullptr);
    Load(prefs);
    OpenPage(IDD_PREFS, DlgProc5);
    fake->boxes.clear();
    Check(IDC_PREFS_COOKBLOCK, true);
    {
      HeldFile other(fake->IniPath(), sharing);
      ASSERT_TRUE(other.ok());
      Press(IDC_PREFS_SAVE);
    }
    const string first = Titles();
    const bool switched = Prefs().find("cookieBehavior\", 2") != string::npos;
    // Whatever the first Save did, the user saves again (on), then off.
    fake->boxes.clear();
    Press(IDC_PREFS_SAVE);
    Check(IDC_PREFS_COOKBLOCK, false);
    Press(IDC_PREFS_SAVE);
    EXPECT_TRUE(Prefs() == prefs) << "first Save: " << first << (switched ? " (prefs.js switched)" : "")
                                  << "\nnow: " << Prefs() << "\nINI CookBlocker=" << Ini("Prefs", "CookBlocker")
                                  << " Was=" << Ini("Prefs", "CookieBehaviorWas");
    DestroyWindow(page);
    page = nullptr;
  }
}

// The browser edits prefs.js while refusal is on (it writes its lines in
// its own order); off, on, off again must end with the browser's choice.
TEST_F(HostileCookieProbe, OnOffOnWithTheBrowserWritingBetween) {
  const string prefs = "// Netscape User Preferences\r\n"
                       "user_pref(\"browser.url_history.URL_19\", \"\");\r\n"
                       "user_pref(\"network.cookie.cookieBehavior\", 1);\r\n";
  Load(prefs);
  OpenPage(IDD_PREFS, DlgProc5);
  Check(IDC_PREFS_COOKBLOCK, true);
  Press(IDC_PREFS_SAVE);
  EXPECT_EQ(Prefs().find("cookieBehavior\", 1"), string::npos) << Prefs();
  // The browser rewrites the file: sorted, with its own blank lines.
  const string rewritten = "// Netscape User Preferences\r\n// This is a generated file!  Do not edit.\r\n\r\n"
                           "user_pref(\"browser.url_history.URL_19\", \"\");\r\n"
                           "user_pref(\"network.cookie.cookieBehavior\", 2);\r\n"
                           "user_pref(\"network.proxy.http\", \"p\");\r\n";
  Sleep(20);
  WriteFileBytes(PrefsFile, rewritten);
  Check(IDC_PREFS_COOKBLOCK, false);
  Press(IDC_PREFS_SAVE);
  EXPECT_NE(Prefs().find("user_pref(\"network.cookie.cookieBehavior\", 1);"), string::npos) << Prefs();
  EXPECT_NE(Prefs().find("network.proxy.http"), string::npos) << "the browser's later line stays";
  Check(IDC_PREFS_COOKBLOCK, true);
  Press(IDC_PREFS_SAVE);
  Check(IDC_PREFS_COOKBLOCK, false);
  Press(IDC_PREFS_SAVE);
  EXPECT_NE(Prefs().find("user_pref(\"network.cookie.cookieBehavior\", 1);"), string::npos) << Prefs();
  EXPECT_EQ(Prefs().find("cookieBehavior\", 2"), string::npos) << Prefs();
}
