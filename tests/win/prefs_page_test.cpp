// The preferences page on a real dialog: what it loads, what Save stores
// and does to the browser's settings, the cookie file and MOPWELL.INI, and
// what Undo brings back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_fixture.h"
#include "prefs_file.h"
#include "resource.h"

using std::string;

namespace {

struct Row {
  int box;
  const char* key;
};
const Row kRows[] = {
    {IDC_PREFS_NETCASTER, "NewsMsgs"}, {IDC_PREFS_RCG, "NewsRCGs"},        {IDC_PREFS_HOSTINFO, "NewsHost"},
    {IDC_PREFS_SUBFOLDERS, "NewsSubS"}, {IDC_PREFS_SENT, "DoSent"},         {IDC_PREFS_DRAFT, "DoDraft"},
    {IDC_PREFS_INBOX, "DoInbox"},      {IDC_PREFS_OUTBOX, "DoOutBx"},       {IDC_PREFS_JAVA, "JavaDesired"},
    {IDC_PREFS_COOKBLOCK, "CookBlocker"}, {IDC_PREFS_COOKWARN, "CookieWarn"}, {IDC_PREFS_FATDB, "FatDB"},
    {IDC_PREFS_DIAG, "MooVariable"},   {IDC_PREFS_UNRECOVER, "Unrecover"},  {IDC_PREFS_BOOKBACK, "BookBack"},
    {IDC_PREFS_ALTCFG, "AltCfg"},
};

const string kNetwork = "Software\\Netscape\\Netscape Navigator\\Network";
const string kPrefs =
    "// Netscape User Preferences\r\n"
    "user_pref(\"browser.url_history.URL_16\", \"\");\r\n"
    "user_pref(\"mail.server_type\", 1);\r\n"
    "user_pref(\"browser.url_history.URL_19\", \"\");\n"
    "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n";

class PrefsPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    lstrcpyA(regit, "Software\\Netscape\\Netscape Navigator\\");
    profile = fake->Folder("profile");
    lstrcpyA(ProfileDir, profile.c_str());
    ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", kPrefs));
    ASSERT_TRUE(LoadPrefsFile((profile + "\\prefs.js").c_str()));
    cookies = profile + "\\cookies.txt";
    ASSERT_TRUE(WriteFileBytes(cookies, "cookies"));
    lstrcpyA(szCookieLoc, cookies.c_str());
    // The browser's key is there, as Navigator 3 leaves it; the page never
    // creates it.
    SetRegText(fake->hkcu, kNetwork.c_str(), "Warn Accepting Cookie", "unset");
  }
  void TearDown() override {
    SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_NORMAL);
    LoadPrefsFile(nullptr);
    PageTest::TearDown();
  }
  void Open() { OpenPage(IDD_PREFS, DlgProc5); }
  void Check(int box, bool on) { CheckDlgButton(page, box, on ? BST_CHECKED : BST_UNCHECKED); }
  bool Checked(int box) { return IsDlgButtonChecked(page, box) == BST_CHECKED; }
  string Prefs() {
    string bytes;
    ReadFileBytes(profile + "\\prefs.js", bytes);
    return bytes;
  }
  static string Bytes(const string& path) {
    string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
  }
  string Warn() {
    string value = "<absent>";
    GetRegText(fake->hkcu, kNetwork.c_str(), "Warn Accepting Cookie", value);
    return value;
  }
  string profile, cookies;
};

}  // namespace

TEST_F(PrefsPageTest, LoadAndUndoShowWhatIsStored) {
  // Every other box on, one of them by a value that is not "1".
  for (size_t i = 0; i < std::size(kRows); ++i) SetIni("Prefs", kRows[i].key, i % 2 ? "0" : (i == 4 ? "7" : "1"));
  string ini;
  ReadFileBytes(fake->IniPath(), ini);
  Open();
  for (size_t i = 0; i < std::size(kRows); ++i) EXPECT_EQ(Checked(kRows[i].box), i % 2 == 0) << kRows[i].key;
  for (const Row& row : kRows) Check(row.box, !Checked(row.box));
  Press(IDC_PREFS_UNDO);
  for (size_t i = 0; i < std::size(kRows); ++i) EXPECT_EQ(Checked(kRows[i].box), i % 2 == 0) << kRows[i].key;
  string after;
  ReadFileBytes(fake->IniPath(), after);
  EXPECT_EQ(after, ini) << "Undo writes nothing";
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(Prefs(), kPrefs);
}

TEST_F(PrefsPageTest, SaveStoresEveryBoxAndSwitchesTheModes) {
  SetIni("Diagnostics", "Version", "MPW450");
  Open();
  for (bool first : {true, false}) {
    SCOPED_TRACE(first);
    fake->boxes.clear();
    for (size_t i = 0; i < std::size(kRows); ++i) Check(kRows[i].box, (i % 2 == 0) == first);
    Press(IDC_PREFS_SAVE);
    for (size_t i = 0; i < std::size(kRows); ++i)
      EXPECT_EQ(Ini("Prefs", kRows[i].key), (i % 2 == 0) == first ? "1" : "0") << kRows[i].key;
    // Diagnostics (row 12) and Corel (row 15) follow the pattern too.
    EXPECT_EQ(Ini("Options", "cow"), first ? "moo" : "oom");
    EXPECT_EQ(Ini("Diagnostics", "Version"), first ? "MPW450" : "<absent>") << "the trace goes with diagnostics off";
    EXPECT_EQ(Ini("Options", "mode"), first ? "<absent>" : "Corel");
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].title, "Saving Preferences");
    EXPECT_EQ(fake->boxes[0].text, "Your Preferences have been saved.");
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(fake->boxes[0].owner, nullptr);
  }
}

// With Communicator in use, the cookie boxes swap prefs.js lines with their
// placeholders in place; switched off, the file is as it was, byte for
// byte, also after the refusal was saved twice.
TEST_F(PrefsPageTest, CookieBoxesSwitchTheBrowserAndCanBeSwitchedBack) {
  SetIni("Options", "Moz", "4");
  Open();
  Check(IDC_PREFS_COOKBLOCK, true);
  Check(IDC_PREFS_COOKWARN, true);
  Press(IDC_PREFS_SAVE);
  Press(IDC_PREFS_SAVE);
  EXPECT_EQ(Prefs(),
            "// Netscape User Preferences\r\n"
            "user_pref(\"network.cookie.warnAboutCookies\", true);\r\n"
            "user_pref(\"mail.server_type\", 1);\r\n"
            "user_pref(\"network.cookie.cookieBehavior\", 2);\n"
            "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n");
  EXPECT_EQ(GetFileAttributesA(cookies.c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(Warn(), "yes");

  Check(IDC_PREFS_COOKBLOCK, false);
  Check(IDC_PREFS_COOKWARN, false);
  Press(IDC_PREFS_SAVE);
  EXPECT_EQ(Prefs(), kPrefs);
  EXPECT_EQ(GetFileAttributesA(cookies.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(Warn(), "no");
}

TEST_F(PrefsPageTest, WithoutCommunicatorOnlyTheCookieFileAndTheRegistryChange) {
  SetIni("Options", "Moz", "0");
  Open();
  Check(IDC_PREFS_COOKBLOCK, true);
  Check(IDC_PREFS_COOKWARN, true);
  Press(IDC_PREFS_SAVE);
  EXPECT_EQ(Prefs(), kPrefs);
  EXPECT_EQ(GetFileAttributesA(cookies.c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(Warn(), "yes");
}

// The browser's own cookie choice ("accept only from the originating
// server", "warn before accepting", a setting written twice, which the
// browser reads as the later one) survives every Save: with the boxes as
// found no line changes; switched on, every copy takes the box's line;
// switched back, exactly the browser's lines return, each to its place.
TEST_F(PrefsPageTest, TheBrowsersOwnCookieChoiceSurvivesEverySave) {
  SetIni("Options", "Moz", "4");
  struct Case {
    const char* name;
    string prefs;
    int box;
    string on;  // every line of the preference while the box is on
  };
  const string head = "// Netscape User Preferences\r\n";
  const string tail = "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n";
  const Case cases[] = {
      {"originating server only", head + "user_pref(\"network.cookie.cookieBehavior\", 1);\r\n" + tail,
       IDC_PREFS_COOKBLOCK, "user_pref(\"network.cookie.cookieBehavior\", 2);"},
      {"written twice", head + "user_pref(\"network.cookie.cookieBehavior\", 0);\r\n" + tail +
                             "user_pref(\"network.cookie.cookieBehavior\",1);\n",
       IDC_PREFS_COOKBLOCK, "user_pref(\"network.cookie.cookieBehavior\", 2);"},
      {"warned by the browser", head + "user_pref(\"network.cookie.warnAboutCookies\", false);\r\n" + tail,
       IDC_PREFS_COOKWARN, "user_pref(\"network.cookie.warnAboutCookies\", true);"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetIni("Prefs", "CookBlocker", "0");
    SetIni("Prefs", "CookieWarn", "0");
    ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", c.prefs));
    ASSERT_TRUE(LoadPrefsFile((profile + "\\prefs.js").c_str()));
    Open();
    Press(IDC_PREFS_SAVE);
    EXPECT_TRUE(Prefs() == c.prefs) << "boxes as found: " << Prefs();

    Check(c.box, true);
    Press(IDC_PREFS_SAVE);
    string on = Prefs();
    EXPECT_EQ(on.find("cookieBehavior\", 0"), string::npos) << on;
    EXPECT_EQ(on.find("cookieBehavior\",1"), string::npos) << on;
    EXPECT_EQ(on.find("warnAboutCookies\", false"), string::npos) << on;
    EXPECT_NE(on.find(c.on), string::npos) << on;
    Press(IDC_PREFS_SAVE);
    EXPECT_EQ(Prefs(), on) << "saved again as found: nothing more";

    Check(c.box, false);
    Press(IDC_PREFS_SAVE);
    EXPECT_TRUE(Prefs() == c.prefs) << "the browser's own lines back: " << Prefs();
  }
}

// Save says which file it could not write, and then changes nothing at all:
// prefs.js, the cookie file's mark and MOPWELL.INI never disagree.
TEST_F(PrefsPageTest, ASaveThatCannotBeWrittenChangesNothingAndSaysWhere) {
  SetIni("Options", "Moz", "4");
  const string ini = fake->IniPath();
  struct Case {
    const char* name;
    string file;
  };
  const Case cases[] = {{"prefs.js read-only", profile + "\\prefs.js"}, {"MOPWELL.INI read-only", ini}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    const string prefsBefore = Prefs(), iniBefore = Bytes(ini);
    const DWORD mark = GetFileAttributesA(cookies.c_str());
    ASSERT_TRUE(SetFileAttributesA(c.file.c_str(), FILE_ATTRIBUTE_READONLY));
    fake->boxes.clear();
    Check(IDC_PREFS_COOKBLOCK, true);
    Check(IDC_PREFS_SENT, true);
    Press(IDC_PREFS_SAVE);
    SetFileAttributesA(c.file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_NE(fake->boxes[0].text.find(c.file), string::npos) << fake->boxes[0].text;
    EXPECT_EQ(fake->boxes[0].text.find("have been saved"), string::npos);
    EXPECT_EQ(Prefs(), prefsBefore);
    EXPECT_EQ(Bytes(ini), iniBefore);
    EXPECT_EQ(GetFileAttributesA(cookies.c_str()), mark);
  }
}
