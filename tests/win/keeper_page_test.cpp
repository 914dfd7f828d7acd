// The cookie keeper page on a real dialog: the two lists as the files fill
// them, Keep and Remove, Save's keep file byte for byte, Show me and Undo.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_fixture.h"
#include "resource.h"

using std::string;

namespace {

const string kBrowserHeader =
    "# Netscape HTTP Cookie File\n# http://www.netscape.com/newsref/std/cookie_spec.html\n"
    "# This is a generated file!  Do not edit.\n\n";
const string kKeepHeader =
    "# Netscape HTTP Cookie File\r\r\n# http://www.netscape.com/newsref/std/cookie_spec.html\r\r\n"
    "# This is a generated file!  Do not edit.\r\r\n\r\r\n";
const string kBank = ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb41\n";
const string kNews = ".news.example\tTRUE\t/\tFALSE\t946684799\tuser\tn22\n";
const string kShop = ".shop.example\tTRUE\t/\tFALSE\t946684799\tcart\ts73";  // last line, no end

class KeeperPageTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();  // the working directory is the program folder
    cookies = fake->Folder("profile") + "\\cookies.txt";
    keep = fake->programDir + "\\hookies.txt";
    lstrcpyA(szCookieLoc, cookies.c_str());
    holder = CreateWindowExA(0, "STATIC", "holder", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    if (page) DestroyWindow(page);
    DestroyWindow(holder);
    SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_NORMAL);
    DiscoveryTest::TearDown();
  }
  // Opens the page and lets its posted reload arrive.
  void Open() {
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_KEEPER), holder, DlgProc3, 0);
    ASSERT_NE(page, nullptr);
    Pump();
  }
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  void Press(int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
  }
  void Select(int list, const string& text) {
    LRESULT at = SendDlgItemMessageA(page, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(at, LB_ERR) << text;
    SendDlgItemMessageA(page, list, LB_SETCURSEL, at, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, list)));
  }
  std::vector<string> Items(int list) {
    std::vector<string> items;
    LRESULT n = SendDlgItemMessageA(page, list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
      char buf[2048] = "";
      SendDlgItemMessageA(page, list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
      items.push_back(buf);
    }
    return items;
  }
  string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string cookies, keep;
  HWND holder = nullptr, page = nullptr;
};

}  // namespace

// A cookie kept before (in other letter case) is not offered again; the
// read-only mark of the cookie blocker goes as the page opens.
TEST_F(KeeperPageTest, ListsComeFromBothFilesAndAKeptCookieIsNotOfferedAgain) {
  string bankUpper = kBank;
  CharUpperBuffA(&bankUpper[0], static_cast<DWORD>(bankUpper.size()));
  ASSERT_TRUE(WriteFileBytes(cookies, kBrowserHeader + kNews + bankUpper + kShop));
  ASSERT_TRUE(WriteFileBytes(keep, kKeepHeader + kBank));
  SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), (std::vector<string>{kNews, kShop}));
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), std::vector<string>{kBank});
  EXPECT_EQ(GetFileAttributesA(cookies.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(KeeperPageTest, KeepRemoveSaveAndUndo) {
  const string browser = kBrowserHeader + kBank + kNews + kShop;
  ASSERT_TRUE(WriteFileBytes(cookies, browser));
  Open();
  Select(IDC_KEEPER_COLLECTED, kShop);
  Press(IDC_KEEPER_KEEP);
  Select(IDC_KEEPER_COLLECTED, kBank);
  Press(IDC_KEEPER_KEEP);
  Select(IDC_KEEPER_KEPT, kShop);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_KEEPER_COLLECTED, LB_GETCURSEL, 0, 0), LB_ERR) << "one selection at a time";
  Press(IDC_KEEPER_REMOVE);
  Press(IDC_KEEPER_REMOVE);  // nothing selected now: nothing moves
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), std::vector<string>{kBank});
  Select(IDC_KEEPER_COLLECTED, kNews);
  Press(IDC_KEEPER_KEEP);
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader + kBank + kNews);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Fettlor settings");
  EXPECT_EQ(fake->boxes[0].text, "Fettlor settings have been saved.");
  EXPECT_EQ(Content(cookies), browser) << "the browser's file is only read";

  // Undo shows exactly what was saved; a kept last line gets its end.
  Select(IDC_KEEPER_COLLECTED, kShop);
  Press(IDC_KEEPER_KEEP);
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), (std::vector<string>{kBank, kNews}));
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), std::vector<string>{kShop});
  Select(IDC_KEEPER_COLLECTED, kShop);
  Press(IDC_KEEPER_KEEP);
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader + kBank + kNews + kShop + "\r\n");
}

TEST_F(KeeperPageTest, ShowMeSaveFailureAndMissingCookies) {
  ASSERT_TRUE(WriteFileBytes(cookies, kBrowserHeader + kNews));
  Open();
  Press(IDC_KEEPER_SHOW);
  Select(IDC_KEEPER_COLLECTED, kNews);
  Press(IDC_KEEPER_SHOW);
  ASSERT_EQ(fake->boxes.size(), 2u);
  EXPECT_EQ(fake->boxes[0].text, "You must highlight a cookie to see its contents. Try again.");
  EXPECT_EQ(fake->boxes[1].text, kNews);
  EXPECT_EQ(fake->boxes[1].title, "Highlighted cookie");

  // A keep file that cannot be written is not reported as saved.
  ASSERT_TRUE(WriteFileBytes(keep, kKeepHeader + kBank));
  SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_READONLY);
  Press(IDC_KEEPER_SAVE);
  SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Content(keep), kKeepHeader + kBank);
  EXPECT_EQ(fake->boxes.back().type, UINT(MB_ICONEXCLAMATION));
  EXPECT_NE(fake->boxes.back().text, "Fettlor settings have been saved.");

  DeleteFileA(cookies.c_str());
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(fake->boxes.back().title, "File error:");
  EXPECT_EQ(fake->boxes.back().text, "Cookies data was not found.");
}
