// The cookie keeper page on a real dialog: the two lists as the files fill
// them, Keep and Remove, Save's keep file byte for byte, Show me and Undo.
// The lists show each cookie readably (columns, no line ends); what Save
// writes is each cookie's raw line as read.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cookies/keep_list.h"
#include "held_file.h"
#include "page_fixture.h"
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

// What a list row shows for a raw line.
string Shown(const string& raw) { return cookies::DisplayText(raw); }
std::vector<string> ShownAll(const std::vector<string>& raw) {
  std::vector<string> out;
  for (const string& r : raw) out.push_back(Shown(r));
  return out;
}

class KeeperPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();  // the working directory is the program folder
    cookies = fake->Folder("profile") + "\\cookies.txt";
    keep = fake->programDir + "\\hookies.txt";
    lstrcpyA(szCookieLoc, cookies.c_str());
  }
  void TearDown() override {
    SetFileAttributesA(cookies.c_str(), FILE_ATTRIBUTE_NORMAL);
    PageTest::TearDown();
  }
  void Open() { OpenPage(IDD_KEEPER, DlgProc3); }
  // Selects the row of a raw line (found by the text it shows).
  void Select(int list, const string& raw) {
    const string text = Shown(raw);
    LRESULT at = SendDlgItemMessageA(page, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(at, LB_ERR) << text;
    SendDlgItemMessageA(page, list, LB_SETCURSEL, at, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, list)));
  }
  // The texts the list shows, in its order. (Read as wide text: Wine's
  // ANSI LB_GETTEXT passes through a 512-character buffer on the stack and
  // overruns it on a longer row.)
  std::vector<string> Items(int list) {
    std::vector<string> items;
    LRESULT n = SendDlgItemMessageW(page, list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
      LRESULT length = SendDlgItemMessageW(page, list, LB_GETTEXTLEN, i, 0);
      std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
      LRESULT got = SendDlgItemMessageW(page, list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
      wide.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
      string text(wide.size() * 2, '\0');
      int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
      text.resize(static_cast<size_t>(bytes));
      items.push_back(text);
    }
    return items;
  }
  // The width of a text in the list's font, tabs drawn as nothing.
  int PlainWidth(int list, const string& text) {
    HWND box = GetDlgItem(page, list);
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
    SIZE size{};
    string untabbed;
    for (char c : text)
      if (c != '\t') untabbed += c;
    GetTextExtentPoint32A(dc, untabbed.data(), static_cast<int>(untabbed.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    return size.cx;
  }
  int Extent(int list) { return static_cast<int>(SendDlgItemMessageA(page, list, LB_GETHORIZONTALEXTENT, 0, 0)); }
  string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string cookies, keep;
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
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kNews, kShop}));
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kBank}));
  EXPECT_EQ(GetFileAttributesA(cookies.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  // Saved again unchanged, the keep file is the same bytes.
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader + kBank);
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
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kBank}));
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kNews, kShop})) << "removed, the cookie is offered again";
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
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kBank, kNews}));
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kShop}));
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
  EXPECT_EQ(fake->boxes[1].text, ".news.example\tTRUE\t/\tFALSE\t946684799\tuser\tn22") << "without its line end";
  EXPECT_EQ(fake->boxes[1].title, "Highlighted cookie");
  EXPECT_EQ(fake->boxes[1].type, UINT(MB_ICONINFORMATION));

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

// Rows show fields in columns without line ends, long rows can be scrolled
// to, and whatever the rows' sorted order, Save writes each row's own raw
// line with the line end it was read with.
TEST_F(KeeperPageTest, RowsShowCookiesReadablyAndSaveWritesTheirRawLines) {
  const string crlf = "a.example\tFALSE\t/\tFALSE\t0\tcr\tlf\r\n";
  const string lf = "b.example\tFALSE\t/\tFALSE\t0\tl\tf\n";
  const string big = ".big.example\tTRUE\t/\tFALSE\t0\tblob\t" + string(3000, 'x') + "\r\n";
  const string cut = "z.example\tFALSE\t/\tFALSE\t0\tno\tend";
  ASSERT_TRUE(WriteFileBytes(cookies, kBrowserHeader + lf + cut + "\r\r\n" + big + crlf + kShop));
  Open();
  for (int id : {IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT})
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & LBS_USETABSTOPS) << id;
  const std::vector<string> shown = Items(IDC_KEEPER_COLLECTED);
  EXPECT_EQ(shown, ShownAll({big, kShop, crlf, lf, cut}));
  for (const string& row : shown) {
    EXPECT_EQ(row.find_first_of("\r\n"), string::npos) << row;
    EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 6) << row;
  }
  EXPECT_EQ(shown[0].size(), big.size() - 2) << "a long line is one row, whole";

  // The longest row can be scrolled to: it is wider than the list.
  RECT client{};
  GetClientRect(GetDlgItem(page, IDC_KEEPER_COLLECTED), &client);
  EXPECT_GE(Extent(IDC_KEEPER_COLLECTED), PlainWidth(IDC_KEEPER_COLLECTED, shown[0]));
  EXPECT_GT(Extent(IDC_KEEPER_COLLECTED), client.right);
  EXPECT_EQ(Extent(IDC_KEEPER_KEPT), 0);

  // Kept in an order unlike the list's.
  for (const string& raw : {cut + "\r\r\n", lf, big, crlf}) {
    Select(IDC_KEEPER_COLLECTED, raw);
    Press(IDC_KEEPER_KEEP);
  }
  EXPECT_GE(Extent(IDC_KEEPER_KEPT), PlainWidth(IDC_KEEPER_KEPT, shown[0]));
  Select(IDC_KEEPER_KEPT, big);
  Press(IDC_KEEPER_SHOW);
  EXPECT_EQ(fake->boxes.back().text, Shown(big));
  Select(IDC_KEEPER_KEPT, big);
  Press(IDC_KEEPER_REMOVE);
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({big, kShop}));
  Select(IDC_KEEPER_COLLECTED, kShop);
  Press(IDC_KEEPER_KEEP);
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kShop, crlf, lf, cut}));
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader + kShop + "\r\n" + crlf + lf + cut + "\r\r\n");

  // Read back, the saved cookies are kept and not offered again.
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kShop, crlf, lf, cut}));
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({big}));
}

// A cookie file laid out as a current command-line transfer tool writes
// it: a header of its own (three lines here), LF ends, cookies marked
// "#HttpOnly_", comments and blank lines between cookies, no final line end.
TEST_F(KeeperPageTest, CookieFileOfAnotherProgram) {
  const string httpOnly = "#HttpOnly_.example.com\tFALSE\t/\tTRUE\t0\tname\tvalue\n";
  const string plain = "www.example.org\tFALSE\t/docs\tFALSE\t2147483647\tlang\ten\n";
  const string last = "#HttpOnly_.example.com\tFALSE\t/\tTRUE\t0\tid\tAbC";
  const string file = "# Netscape HTTP Cookie File\n# Written by a transfer tool. Edit at your own risk.\n\n" +
                      httpOnly + "# comment between cookies\n" + plain + "\n" + last;
  ASSERT_TRUE(WriteFileBytes(cookies, file));
  Open();
  // The fourth line is a cookie, not header; comments and blank lines are
  // no cookies and are not offered.
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({last, httpOnly, plain}));
  for (const string& raw : {httpOnly, last, plain}) {
    Select(IDC_KEEPER_COLLECTED, raw);
    Press(IDC_KEEPER_KEEP);
  }
  EXPECT_TRUE(Items(IDC_KEEPER_COLLECTED).empty());
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader + last + "\r\n" + httpOnly + plain);
  EXPECT_EQ(Content(cookies), file);

  // The browser's file written again with CR LF ends and other letter
  // case: the kept cookies are still the same cookies.
  string again = "# Netscape HTTP Cookie File\r\n\r\n" + plain.substr(0, plain.size() - 1) + "\r\n" + last + "\r\n";
  CharUpperBuffA(&again[0], static_cast<DWORD>(again.size()));
  ASSERT_TRUE(WriteFileBytes(cookies, again + kNews));
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kNews}));
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({last, httpOnly, plain}));
}

// Files with nothing to list: empty, a header alone, shorter than four
// lines, a keep file with an empty line after its header.
TEST_F(KeeperPageTest, EmptyAndHeaderOnlyFiles) {
  for (const string& browser : {string(), kBrowserHeader, string("# Netscape HTTP Cookie File\n"),
                                string("# Netscape HTTP Cookie File"), string("\n\n")}) {
    ASSERT_TRUE(WriteFileBytes(cookies, browser));
    ASSERT_TRUE(WriteFileBytes(keep, kKeepHeader));
    if (!page) Open();
    Press(IDC_KEEPER_UNDO);
    EXPECT_TRUE(Items(IDC_KEEPER_COLLECTED).empty()) << browser;
    EXPECT_TRUE(Items(IDC_KEEPER_KEPT).empty()) << browser;
    EXPECT_EQ(Extent(IDC_KEEPER_COLLECTED), 0);
  }
  ASSERT_TRUE(WriteFileBytes(keep, kKeepHeader + "\r\r\n" + kBank));
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kBank}));
  // Saving an empty keep list writes the header alone.
  Select(IDC_KEEPER_KEPT, kBank);
  Press(IDC_KEEPER_REMOVE);
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kBank})) << "removed, a kept cookie is offered";
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kKeepHeader);
  Press(IDC_KEEPER_KEEP);
  Press(IDC_KEEPER_SHOW);
  EXPECT_EQ(fake->boxes.back().text, "You must highlight a cookie to see its contents. Try again.");
}

// Past the read limit only the start of a file is read: the line the limit
// cuts is a piece, not a cookie, and is neither listed nor saved.
TEST_F(KeeperPageTest, LineCutByTheReadLimitIsNoCookie) {
  const string start = kBrowserHeader + kBank;
  const string piece = ".huge.example\tTRUE\t/\tFALSE\t0\tblob\t";
  ASSERT_TRUE(WriteFileBytes(cookies, start + piece + string((4u << 20) + 100 - start.size() - piece.size(), 'x')));
  Open();
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kBank}));
}

// The keep file is replaced only by a keep list that holds all it held:
// not while another program holds it unreadable, not when it is larger
// than the page reads, and not when the page never loaded it because the
// browser's cookie file was missing. Each refusal is said.
TEST_F(KeeperPageTest, SaveNeverLosesCookiesKeptBefore) {
  const string kept = kKeepHeader + kBank;
  ASSERT_TRUE(WriteFileBytes(keep, kept));
  auto expectRefused = [&](const char* why) {
    SCOPED_TRACE(why);
    fake->boxes.clear();
    Press(IDC_KEEPER_SAVE);
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].title, "Fettlor settings");
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(fake->boxes[0].text.find("have been saved"), string::npos);
  };

  // No cookie file: nothing was loaded.
  Open();
  expectRefused("no cookie file");
  EXPECT_EQ(Content(keep), kept);
  DestroyWindow(page);
  page = nullptr;

  ASSERT_TRUE(WriteFileBytes(cookies, kBrowserHeader + kNews));
  {
    HeldFile browser(keep, "");
    ASSERT_TRUE(browser.ok());
    Open();
    EXPECT_TRUE(Items(IDC_KEEPER_KEPT).empty());
    Select(IDC_KEEPER_COLLECTED, kNews);
    Press(IDC_KEEPER_KEEP);
    expectRefused("keep file held");
  }
  EXPECT_EQ(Content(keep), kept);
  Press(IDC_KEEPER_UNDO);  // readable again: Save may go ahead
  EXPECT_EQ(Items(IDC_KEEPER_KEPT), ShownAll({kBank}));
  Press(IDC_KEEPER_SAVE);
  EXPECT_EQ(Content(keep), kept);
  EXPECT_EQ(fake->boxes.back().text, "Fettlor settings have been saved.");

  // More kept cookies than a browser ever holds: only the first are read.
  string many = kKeepHeader;
  for (int i = 0; i < 5001; ++i) many += ".k" + std::to_string(i) + ".example\tTRUE\t/\tFALSE\t0\tn\tv\r\n";
  ASSERT_TRUE(WriteFileBytes(keep, many));
  Press(IDC_KEEPER_UNDO);
  EXPECT_EQ(Items(IDC_KEEPER_KEPT).size(), 5000u);
  expectRefused("keep file cut");
  EXPECT_EQ(Content(keep), many);
}

// The read-only mark the blocker set is the file's, whichever name it has:
// opening the page clears it only through a name the file has alone.
TEST_F(KeeperPageTest, ReadOnlyMarkOfASharedCookieFileStays) {
  const string other = fake->root + "\\other.txt";
  ASSERT_TRUE(WriteFileBytes(other, kBrowserHeader + kNews));
  ASSERT_TRUE(CreateHardLinkA(cookies.c_str(), other.c_str(), nullptr));
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  EXPECT_EQ(Items(IDC_KEEPER_COLLECTED), ShownAll({kNews}));
  EXPECT_TRUE(GetFileAttributesA(other.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_NORMAL);
}
