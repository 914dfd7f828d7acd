// What discovery takes from a Communicator profile's prefs.js, and the
// placeholder lines it adds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "discovery_fixture.h"

using std::string;

namespace {

class PrefsStageTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    profile = fake->root + "\\profile";
    MakeDir(profile);
    lstrcpyA(RegProfileDir, (profile + "\\").c_str());
  }
  void WritePrefs(const string& text) { ASSERT_TRUE(WriteFileBytes(profile + "\\prefs.js", text)); }
  string ReadPrefs() {
    string text;
    ReadFileBytes(profile + "\\prefs.js", text);
    return text;
  }
  static string Pref(const string& key, const string& value) {
    return "user_pref(\"" + key + "\", \"" + value + "\");\r\n";
  }
  string profile;
};

const string kHeader = "// Netscape User Preferences\r\n\r\n";
const string kAllTriggers =
    "user_pref(\"network.cookie.warnAboutCookies\", true);\r\n"
    "user_pref(\"javascript.enabled\", true);\r\n"
    "user_pref(\"security.enable_java\", true);\r\n";

}  // namespace

TEST_F(PrefsStageTest, ValuesAreTakenFromTheFile) {
  WritePrefs(kHeader + Pref("browser.cache.directory", "C:\\\\Netscape\\\\Users\\\\jo\\\\cache\\\\") +
             Pref("mail.identity.organization", "Acme") + Pref("mail.identity.username", "Jo Smith") +
             Pref("mail.identity.useremail", "jo@acme.example") +
             Pref("mail.signature_file", "C:\\\\jo\\\\sig.txt") +
             Pref("browser.url_history.URL_2", "http://two.example/") +
             Pref("news.directory", "\\\\\\\\server\\\\news\\\\") + kAllTriggers);
  getIt();
  EXPECT_EQ(string(MainDir), profile);
  EXPECT_EQ(string(PrefsFile), profile + "\\prefs.js");
  EXPECT_EQ(string(szMail), profile + "\\mail");
  EXPECT_EQ(string(szCacheLoc), "C:\\Netscape\\Users\\jo\\cache");
  EXPECT_EQ(string(Udata2), "Acme");
  EXPECT_EQ(string(Udata4), "Jo Smith");
  EXPECT_EQ(string(Udata3), "jo@acme.example");
  EXPECT_EQ(string(Udata5), "jo@acme.example");
  EXPECT_EQ(string(Udata1), "C:\\jo\\sig.txt") << "the text the escaped value stands for";
  EXPECT_EQ(string(URL2), "http://two.example/");
  EXPECT_EQ(string(NewsPrefjs), "") << "a network path loses its leading pair: no full path, no folder";
}

TEST_F(PrefsStageTest, TheFirstLineContainingTheKeyWins) {
  WritePrefs(kHeader + Pref("browser.url_history.URL_10", "http://ten.example/") +
             Pref("browser.url_history.URL_3", "") + Pref("mail.identity.organization", "") + kAllTriggers);
  SetUser(kPlain + "User", "User_Organization", "From the registry");
  getIt();
  EXPECT_EQ(string(URL1), "http://ten.example/") << "URL_1 is found in URL_10's line";
  EXPECT_EQ(string(URL3), "");
  EXPECT_EQ(string(Udata2), "");
}

TEST_F(PrefsStageTest, AbsentKeysKeepWhatEarlierStagesFound) {
  SetUser(kPlain + "User", "User_Name", "Registry Name");
  SetUser(kPlain + "User", "Sig_File", "C:\\registry-sig.txt");
  WritePrefs(kHeader + kAllTriggers);
  getIt();
  EXPECT_EQ(string(Udata4), "Registry Name");
  EXPECT_EQ(string(Udata1), "") << "the signature is emptied before it is looked up";
  EXPECT_EQ(string(szCacheLoc), profile + "\\cache");
}

TEST_F(PrefsStageTest, ALongAddressIsCutAt90) {
  WritePrefs(kHeader + Pref("browser.url_history.URL_1", "http://" + string(300, 'w') + "/") +
             Pref("browser.url_history.URL_2", "http://two.example/") + kAllTriggers);
  getIt();
  EXPECT_EQ(string(URL1).size(), 90u);
  EXPECT_EQ(string(URL2), "http://two.example/");
}

TEST_F(PrefsStageTest, MissingPreferencesGainThreePlaceholdersInOrder) {
  WritePrefs(kHeader + Pref("mail.identity.username", "Jo"));
  getIt();
  EXPECT_EQ(ReadPrefs(), kHeader + Pref("mail.identity.username", "Jo") +
                             Pref("browser.url_history.URL_16", "") + Pref("browser.url_history.URL_17", "") +
                             Pref("browser.url_history.URL_18", ""));
}

TEST_F(PrefsStageTest, PresentTriggersOrPlaceholdersAddNothing) {
  string text = kHeader + "user_pref(\"javascript.enabled\", false);\r\n" +
                Pref("browser.url_history.URL_16", "");
  WritePrefs(text);
  getIt();
  EXPECT_EQ(ReadPrefs(), text + Pref("browser.url_history.URL_18", ""));
}

TEST_F(PrefsStageTest, AFileWithAllTriggersIsNeverRewritten) {
  string text = kHeader + kAllTriggers;
  WritePrefs(text);
  // Read-only for the browser's sake is not needed: compare the time stamp.
  WIN32_FILE_ATTRIBUTE_DATA before{}, after{};
  GetFileAttributesExA((profile + "\\prefs.js").c_str(), GetFileExInfoStandard, &before);
  Sleep(20);
  getIt();
  GetFileAttributesExA((profile + "\\prefs.js").c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(ReadPrefs(), text);
  EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
}

TEST_F(PrefsStageTest, NoPrefsFileMeansNoTraceAndNoValues) {
  SetIni("Options", "cow", "moo");
  getIt();
  EXPECT_EQ(Ini("Diagnostics", "Jscript"), "<absent>");
  EXPECT_EQ(string(MainDir), profile);
  EXPECT_FALSE(FileExists(profile + "\\prefs.js")) << "discovery creates no prefs.js";
}

TEST_F(PrefsStageTest, TraceOfTheStage) {
  SetIni("Options", "cow", "moo");
  WritePrefs(kHeader + Pref("news.directory", "C:\\\\news") + kAllTriggers);
  getIt();
  EXPECT_EQ(Ini("Diagnostics", "Jscript"), "Completed OK");
  EXPECT_EQ(Ini("Diagnostics", "szMailJav"), profile + "\\mail");
  EXPECT_EQ(Ini("Diagnostics", "pref.news.dir"), "C:\\news");
}

TEST_F(PrefsStageTest, ACacheFolderThatIsNoFullPathIsNotTaken) {
  WritePrefs(kHeader + Pref("browser.cache.directory", "\\\\server\\share\\cache") + kAllTriggers);
  getIt();
  EXPECT_EQ(string(szCacheLoc), profile + "\\cache") << "the profile's own cache folder stays";
}

// The cache folder is taken where it really leads: ".." climbs out of a
// folder named "cache" into one the cache guard then refuses, and a drive's
// root is no folder at all.
TEST_F(PrefsStageTest, ACacheFolderIsTakenAsItResolves) {
  string precious = fake->root + "\\pr\\Precious";
  string doubled;
  for (char c : fake->root + "\\pr\\cache\\..\\Precious") doubled += c == '\\' ? string("\\\\") : string(1, c);
  WritePrefs(kHeader + Pref("browser.cache.directory", doubled) + kAllTriggers);
  getIt();
  EXPECT_EQ(string(szCacheLoc), precious);
  WritePrefs(kHeader + Pref("browser.cache.directory", "C:\\\\cache\\\\..") + kAllTriggers);
  getIt();
  EXPECT_EQ(string(szCacheLoc), profile + "\\cache");
}
