// The history, typed-address and cookie/Java steps of the clean run, each
// on a real clean page, against scratch files, INI files and registry keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaners.h"
#include "discovery_fixture.h"
#include "held_file.h"
#include "mopwell.h"
#include "prefs_file.h"
#include "registry.h"
#include "text/bounded.h"
#include "wipe.h"

using std::string;

namespace {

const char kNav[] = "Software\\Netscape\\Netscape Navigator\\";
const string kHeader = "// Netscape User Preferences\r\n";

string Url(int n, const string& value) {
  return "user_pref(\"browser.url_history.URL_" + std::to_string(n) + "\", \"" + value + "\");\r\n";
}
const string kJsOff = "user_pref(\"javascript.enabled\", false);\r\n";
const string kJavaOff = "user_pref(\"security.enable_java\", false);\r\n";

class HistoryCookiesTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    LoadPrefsFile(nullptr);
    CurrentPage = 0;
    lstrcpyA(regit, kNav);
    string profile = fake->root + "\\profile";
    CreateDirectoryA(profile.c_str(), nullptr);
    text::CopyWhole(ProfileDir, profile);
    prefs = profile + "\\prefs.js";
    text::CopyWhole(PrefsFile, prefs);
    text::CopyWhole(HistLoc, profile + "\\netscape.hst");
    text::CopyWhole(szCookieLoc, profile + "\\cookies.txt");
    keep = fake->InProgram("hookies.txt");
    SetIni("Options", "cow", "moo");
    // The page is a child dialog: it needs a window to live in.
    host = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), host, DlgProc1, 0);
    ASSERT_NE(page, nullptr);
  }
  void TearDown() override {
    SetWipeObserver(nullptr, nullptr);
    DestroyWindow(host);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    LoadPrefsFile(nullptr);
    DiscoveryTest::TearDown();
  }
  void UsePrefs(const string& bytes) {
    ASSERT_TRUE(WriteFileBytes(prefs, bytes));
    ASSERT_TRUE(LoadPrefsFile(prefs.c_str()));
  }
  string Bytes(const string& path) {
    string b = "<missing>";
    ReadFileBytes(path, b);
    return b;
  }
  string Caption(int box) {
    char buf[300] = "";
    GetDlgItemTextA(page, box, buf, sizeof buf);
    return buf;
  }
  // Type and raw data of a registry value under the scratch HKCU.
  string RegRaw(const string& key, const char* value, DWORD* type = nullptr) {
    HKEY k;
    if (RegOpenKeyExA(fake->hkcu, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
    char data[256];
    DWORD size = sizeof data, t = 0;
    LONG rc = RegQueryValueExA(k, value, nullptr, &t, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(k);
    if (type) *type = t;
    return rc == ERROR_SUCCESS ? string(data, size) : "<absent>";
  }
  bool ReadOnly(const string& path) { return GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY; }
  // The caption of `box` at the moment each file is wiped.
  void WatchWipes(int box) {
    watched = box;
    SetWipeObserver([](const char*, void* self) {
      auto* t = static_cast<HistoryCookiesTest*>(self);
      t->captionsAtWipe.push_back(t->Caption(t->watched));
    }, this);
  }

  HWND host = nullptr, page = nullptr;
  string prefs, keep;
  int watched = 0;
  std::vector<string> captionsAtWipe;
};

using TypedUrlTest = HistoryCookiesTest;
using CookieJavaTest = HistoryCookiesTest;

}  // namespace

TEST_F(HistoryCookiesTest, HistoryDatabaseIsWipedShowingItsPathAndTraced) {
  WriteFileBytes(HistLoc, "visited sites");
  WatchWipes(109);
  CleanHistory(page);
  EXPECT_FALSE(FileExists(HistLoc));
  EXPECT_EQ(captionsAtWipe, std::vector<string>{HistLoc});
  EXPECT_EQ(Caption(109), "Done!     History DB cleaned.");
  EXPECT_EQ(Ini("Diagnostics", "HistKil"), HistLoc);
}

TEST_F(TypedUrlTest, RegistryAndVnetEntriesOneToTenAreCleared) {
  string key = string(kNav) + "URL History";
  for (int n = 1; n <= 11; ++n) SetUser(key, ("URL_" + std::to_string(n)).c_str(), "http://site" + std::to_string(n));
  lstrcpyA(URL1, "http://site1");
  string vnet = fake->root + "\\corel.ini";
  string ini = "[Netscape Settings]\r\nUser Name=Joe\r\n";
  for (int n = 1; n <= 11; ++n) ini += "URL History\\URL_" + std::to_string(n) + "=http://x\r\n";
  WriteFileBytes(vnet, ini);
  SetIni("customs", "Vnet", vnet.c_str());

  CleanTypedUrls(page);
  for (int n = 1; n <= 10; ++n) {
    DWORD type = 0;
    EXPECT_EQ(RegRaw(key, ("URL_" + std::to_string(n)).c_str(), &type), string(1, '\0')) << n;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadIni(vnet, "Netscape Settings", ("URL History\\URL_" + std::to_string(n)).c_str()), "<absent>");
  }
  EXPECT_EQ(RegRaw(key, "URL_11"), string("http://site11", 14));
  EXPECT_EQ(ReadIni(vnet, "Netscape Settings", "URL History\\URL_11"), "http://x");
  EXPECT_EQ(ReadIni(vnet, "Netscape Settings", "User Name"), "Joe");
  EXPECT_EQ(URL1[0], '\0');
  EXPECT_EQ(Caption(110), "Done!     URL listings cleaned.");
  EXPECT_EQ(Ini("Diagnostics", "Url-Reg"), "URL clears written to reg");
  EXPECT_EQ(Ini("Diagnostics", "Url-Loc"), key);
  EXPECT_EQ(Ini("Diagnostics", "Url-End"), "URL clears above?");
}

TEST_F(TypedUrlTest, MissingKeyAndMissingVnetFileAreNotCreated) {
  lstrcpyA(URL1, "http://site1");
  string vnet = fake->root + "\\absent.ini";
  SetIni("customs", "Vnet", vnet.c_str());
  CleanTypedUrls(page);
  EXPECT_FALSE(reg::KeyExists(fake->hkcu, string(kNav) + "URL History"));
  EXPECT_FALSE(FileExists(vnet));
  EXPECT_EQ(URL1[0], '\0');
  EXPECT_EQ(Ini("Diagnostics", "Url-Reg"), "<absent>");
  EXPECT_EQ(Ini("Diagnostics", "Url-End"), "URL clears above?");
}

TEST_F(TypedUrlTest, PrefsEntriesAreEmptiedInPlaceWithoutAddingLines) {
  string tail = "user_pref(\"mail.identity.username\", \"Joe\");\r\n";
  UsePrefs(kHeader + Url(1, "http://a") + Url(2, "http://b") + tail);
  CleanTypedUrls(page);
  EXPECT_EQ(Bytes(prefs), kHeader + Url(1, "") + Url(2, "") + tail);

  // The order the browser writes: 1, 10..15, then the placeholders, 2..9.
  string sorted = kHeader, cleared = kHeader;
  for (int n : {1, 10, 11, 12, 13, 14, 15}) sorted += Url(n, "http://u"), cleared += Url(n, "");
  for (int n : {16, 17, 18}) sorted += Url(n, ""), cleared += Url(n, "");
  for (int n = 2; n <= 9; ++n) sorted += Url(n, "http://u"), cleared += Url(n, "");
  UsePrefs(sorted);
  CleanTypedUrls(page);
  EXPECT_EQ(Bytes(prefs), cleared);
}

TEST_F(TypedUrlTest, SubstringFindTakesALongerEntryAndNoAddressSurvives) {
  // No entry 1: the entry-1 search takes entry 10, which is then not found.
  UsePrefs(kHeader + Url(10, "http://ten"));
  CleanTypedUrls(page);
  EXPECT_EQ(Bytes(prefs), kHeader + Url(1, ""));

  // Entry 12 ahead of entry 1: entry 12's line becomes entry 1, and the
  // real entry 1 further down is emptied all the same.
  UsePrefs(kHeader + Url(12, "http://twelve") + Url(1, "http://one") + Url(3, "http://three"));
  CleanTypedUrls(page);
  EXPECT_EQ(Bytes(prefs), kHeader + Url(1, "") + Url(1, "") + Url(3, ""));
}

TEST_F(TypedUrlTest, PrefsChangedOnDiskSinceLoadingAreKept) {
  UsePrefs(kHeader + Url(1, "http://a"));
  string newer = kHeader + Url(1, "http://a") + Url(2, "http://b") + "user_pref(\"browser.startup.page\", 0);\r\n";
  WriteFileBytes(prefs, newer);
  CleanTypedUrls(page);
  EXPECT_EQ(Bytes(prefs), kHeader + Url(1, "") + Url(2, "") + "user_pref(\"browser.startup.page\", 0);\r\n");
}

TEST_F(CookieJavaTest, KeepFileReplacesTheCookieFileAndTheBlockerLocksIt) {
  // Compared with what the keep file held before the run, and the keep
  // file itself checked unchanged: a copy made the wrong way round leaves
  // both files holding the old cookies.
  const string kept = "# Netscape HTTP Cookie File\r\n\r\n.kept.org\tTRUE\t/\tFALSE\t0\tid\t1\r\n";
  WriteFileBytes(szCookieLoc, "old cookies");
  WriteFileBytes(keep, kept);
  SetIni("Prefs", "CookBlocker", "1");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(szCookieLoc), kept);
  EXPECT_EQ(Bytes(keep), kept);
  EXPECT_TRUE(ReadOnly(szCookieLoc));
  EXPECT_EQ(Caption(111), "Done!     Cookie file cleaned.");

  // Next run without the blocker: replaced again (read-only keep file or
  // not), and writable.
  const string empty = "# Netscape HTTP Cookie File\r\n\r\n";
  WriteFileBytes(keep, empty);
  SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_READONLY);
  SetIni("Prefs", "CookBlocker", "0");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(szCookieLoc), empty);
  EXPECT_EQ(Bytes(keep), empty);
  EXPECT_FALSE(ReadOnly(szCookieLoc));
}

TEST_F(CookieJavaTest, WithoutKeepFileTheCookieFileIsWipedEvenIfReadOnly) {
  WriteFileBytes(szCookieLoc, "cookies");
  WatchWipes(111);
  CleanCookiesAndJava(page);
  EXPECT_FALSE(FileExists(szCookieLoc));
  EXPECT_EQ(captionsAtWipe, std::vector<string>{szCookieLoc});

  // Left read-only by an earlier run with the blocker.
  WriteFileBytes(szCookieLoc, "cookies");
  SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  CleanCookiesAndJava(page);
  EXPECT_FALSE(FileExists(szCookieLoc));
  EXPECT_EQ(Caption(111), "Done!     Cookie file cleaned.");
}

TEST_F(CookieJavaTest, KeepFileThatCannotBeReadIsNotTakenForAMissingOne) {
  WriteFileBytes(szCookieLoc, "cookies");
  WriteFileBytes(keep, "kept");
  HANDLE held = CreateFileA(keep.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CleanCookiesAndJava(page);
  CloseHandle(held);
  EXPECT_EQ(Bytes(szCookieLoc), "cookies");
}

TEST_F(CookieJavaTest, RefuseAllowRefuseSwapsLinesAndRegistryValues) {
  string java = string(kNav) + "Java";
  SetUser(java, "Enable Java", "yes");
  string tail = "user_pref(\"mail.identity.username\", \"Joe\");\r\n";
  UsePrefs(kHeader + tail);

  SetIni("Prefs", "JavaDesired", "1");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + tail + kJsOff + kJavaOff);
  EXPECT_EQ(RegRaw(java, "Enable Java"), string("no", 3));
  EXPECT_EQ(RegRaw(java, "Enable JavaScript"), string("no", 3));
  EXPECT_EQ(Caption(111), "Done!     Cookies+java cleaned.");

  // Refusing again rewrites the same lines: no second pair to outlive an allow.
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + tail + kJsOff + kJavaOff);

  SetIni("Prefs", "JavaDesired", "0");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + tail + Url(17, "") + Url(18, ""));
  EXPECT_EQ(RegRaw(java, "Enable Java"), string("yes", 4));
  EXPECT_EQ(RegRaw(java, "Enable JavaScript"), string("yes", 4));
  EXPECT_EQ(Caption(111), "Done!     Cookie file cleaned.");

  SetIni("Prefs", "JavaDesired", "1");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + tail + kJsOff + kJavaOff);
  EXPECT_EQ(RegRaw(java, "Enable Java"), string("no", 3));
}

TEST_F(CookieJavaTest, ExistingJavaLinesAreTakenOverAndAllowClearsEveryCopy) {
  // The browser's own "true" line is refused in place; copies left by
  // older runs all go back to placeholders.
  UsePrefs(kHeader + "user_pref(\"javascript.enabled\", true);\r\n" + Url(18, ""));
  SetIni("Prefs", "JavaDesired", "1");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + kJsOff + kJavaOff);
  EXPECT_FALSE(reg::KeyExists(fake->hkcu, string(kNav) + "Java")) << "a missing key is not made";

  UsePrefs(kHeader + kJsOff + kJavaOff + kJsOff + kJavaOff);
  SetIni("Prefs", "JavaDesired", "0");
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(prefs), kHeader + Url(17, "") + Url(18, "") + Url(17, "") + Url(18, ""));
}

TEST_F(HistoryCookiesTest, OkOnThePageRunsTheThreeSteps) {
  WriteFileBytes(HistLoc, "h");
  WriteFileBytes(szCookieLoc, "c");
  UsePrefs(kHeader + Url(1, "http://a") + Url(17, "") + Url(18, ""));
  SetIni("Prefs", "JavaDesired", "1");
  for (int box : {125, 107, 108, 150, 112, 113, 153}) CheckDlgButton(page, box, BST_UNCHECKED);
  for (int box : {109, 110, 111}) CheckDlgButton(page, box, BST_CHECKED);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, IDOK)));

  for (const char* key : {"websites", "urlwin", "cookies"}) EXPECT_EQ(Ini("Options", key), "1") << key;
  EXPECT_EQ(Caption(109), "Done!     History DB cleaned.");
  EXPECT_EQ(Caption(110), "Done!     URL listings cleaned.");
  EXPECT_EQ(Caption(111), "Done!     Cookies+java cleaned.");
  EXPECT_FALSE(FileExists(HistLoc));
  EXPECT_FALSE(FileExists(szCookieLoc));
  EXPECT_EQ(Bytes(prefs), kHeader + Url(1, "") + kJsOff + kJavaOff);
  EXPECT_EQ(fake->sleeps, std::vector<DWORD>{3000});
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
  EXPECT_TRUE(quit);
}

// Names shared between files: the cookie file a second name of a document
// (also while a program holds the document open), the keep file a second
// name of the cookie file, and the cookie file named as the keep file
// itself. The kept cookies never go into the document, and the keep file
// always keeps its own content.
TEST_F(CookieJavaTest, SharedNamesNeverCarryTheCopyIntoAnotherFile) {
  const string kept = "# Netscape HTTP Cookie File\r\n\r\n.kept.org\tTRUE\t/\tFALSE\t0\tid\t1\r\n";
  const string cookies = szCookieLoc;
  const string document = fake->root + "\\letter.txt";
  ASSERT_TRUE(WriteFileBytes(document, "the user's letter"));
  ASSERT_TRUE(CreateHardLinkA(cookies.c_str(), document.c_str(), nullptr)) << GetLastError();
  ASSERT_TRUE(WriteFileBytes(keep, kept));
  {
    SCOPED_TRACE("the document is held by a program that shares writing but not deleting");
    HeldFile editor(document, "rw");
    ASSERT_TRUE(editor.ok());
    CleanCookiesAndJava(page);
    EXPECT_EQ(Bytes(document), "the user's letter");
    EXPECT_EQ(Caption(111), "Error!    1 file could not be wiped!");
  }
  CleanCookiesAndJava(page);
  EXPECT_EQ(Bytes(document), "the user's letter");
  EXPECT_EQ(Bytes(cookies), kept);
  EXPECT_EQ(Caption(111), "Error!    1 file could not be wiped!")
      << "the old cookie file's bytes stay under its other name: not claimed gone";

  {
    SCOPED_TRACE("the keep file is a second name of the cookie file");
    ASSERT_TRUE(DeleteFileA(cookies.c_str()));
    ASSERT_TRUE(CreateHardLinkA(cookies.c_str(), keep.c_str(), nullptr)) << GetLastError();
    CleanCookiesAndJava(page);
    EXPECT_EQ(Bytes(keep), kept);
    EXPECT_EQ(Bytes(cookies), kept);
  }
  {
    SCOPED_TRACE("the cookie file named as the keep file");
    SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileA(cookies.c_str()));
    text::CopyWhole(szCookieLoc, keep);
    CleanCookiesAndJava(page);
    EXPECT_EQ(Bytes(keep), kept);
  }
  EXPECT_EQ(Bytes(document), "the user's letter");
}
