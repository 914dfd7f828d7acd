// glimso's real window in this process: keys and scroll bars, a real drag
// of the thumb over a 5 GiB file, paints read afresh while another program
// writes the file, and a session end that is called off.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "glimso.h"
#include "shown_text.h"

namespace {

constexpr std::uint64_t kFiveGiB = 5ull << 30;

std::string Folder() {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "glimso-window-test";
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  CloseHandle(h);
  return ok && wrote == bytes.size();
}

std::string NumberedLines(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += shown::NumberedLine(i);
  return bytes;
}

SCROLLINFO Bar(HWND hwnd, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS;
  if (!GetScrollInfo(hwnd, bar, &info)) info.nMax = info.nPos = -1;
  return info;
}

class GlimsoWindow : public testing::Test {
 protected:
  void SetUp() override {
    static bool registered = glimso::RegisterViewerClass(GetModuleHandleA(nullptr));
    ASSERT_TRUE(registered);
    CreateDirectoryA(Folder().c_str(), nullptr);
  }
  void TearDown() override {
    if (hwnd_) DestroyWindow(hwnd_);
    Pump();
    for (const std::string& path : made_) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(Folder().c_str());
  }

  std::string Made(const char* name) {
    made_.push_back(Folder() + "\\" + name);
    return made_.back();
  }

  // Starts the viewer on `path` as the program does and lets command 103
  // (posted at creation) run.
  HWND Open(const std::string& path) {
    glimso::View = dump::View();
    glimso::FileName = path;
    hwnd_ = glimso::CreateViewerWindow(GetModuleHandleA(nullptr));
    if (hwnd_) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();
    return hwnd_;
  }

  std::string Title() {
    char title[1024] = "";
    GetWindowTextA(hwnd_, title, sizeof title);
    return title;
  }

  void Close() {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    Pump();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  std::int64_t Press(WPARAM key) {
    SendMessageA(hwnd_, WM_KEYDOWN, key, 1);
    Pump();
    return glimso::View.firstLine;
  }

  // Whole lines in the client height as kept (rounded up to the next whole
  // character height), worked out here from the window and the font.
  int PageLines() {
    TEXTMETRICA tm = shown::Metrics();
    RECT client{};
    GetClientRect(hwnd_, &client);
    return tm.tmHeight * (client.bottom / tm.tmHeight + 1) / (tm.tmHeight + tm.tmExternalLeading);
  }

  // Drags the vertical thumb with the mouse from its middle to the screen
  // row `toY`, and releases it there. The input comes from another thread
  // while this one runs the window (and the bar's tracking loop).
  void DragThumbTo(int toY) {
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(hwnd_, OBJID_VSCROLL, &bar));
    Drag drag{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
              bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2, toY};
    HANDLE mouse = CreateThread(nullptr, 0, MoveMouse, &drag, 0, nullptr);
    ASSERT_NE(mouse, nullptr);
    DWORD woke;
    while ((woke = MsgWaitForMultipleObjects(1, &mouse, FALSE, INFINITE, QS_ALLINPUT)) == WAIT_OBJECT_0 + 1) Pump();
    CloseHandle(mouse);
    ASSERT_EQ(woke, WAIT_OBJECT_0);
    Pump();
  }

  struct Drag {
    int x, fromY, toY;
  };
  static DWORD WINAPI MoveMouse(void* param) {
    const Drag& drag = *static_cast<Drag*>(param);
    int sw = GetSystemMetrics(SM_CXSCREEN) - 1, sh = GetSystemMetrics(SM_CYSCREEN) - 1;
    auto send = [&](int px, int py, DWORD flags) {
      INPUT in{};
      in.type = INPUT_MOUSE;
      in.mi.dx = static_cast<LONG>(px * 65535LL / sw);
      in.mi.dy = static_cast<LONG>(py * 65535LL / sh);
      in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
      SendInput(1, &in, sizeof in);
      Sleep(60);
    };
    send(drag.x, drag.fromY, 0);
    send(drag.x, drag.fromY, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 4; ++i) send(drag.x, drag.fromY + (drag.toY - drag.fromY) * i / 4, 0);
    send(drag.x, drag.toY, MOUSEEVENTF_LEFTUP);
    Sleep(200);
    return 0;
  }

  HWND hwnd_ = nullptr;
  std::vector<std::string> made_;
};

}  // namespace

TEST_F(GlimsoWindow, KeysMoveTheViewByTheirTableAndTheBarsFollow) {
  std::string path = Made("History.Database");
  ASSERT_TRUE(WriteFileBytes(path, NumberedLines(1000)));  // 1001 lines, the last one empty
  ASSERT_NE(Open(path), nullptr);
  EXPECT_TRUE(IsZoomed(hwnd_));
  EXPECT_EQ(glimso::View.lineCount, 1001);

  const int page = PageLines();
  const int last = 1001 - page;
  SCROLLINFO v = Bar(hwnd_, SB_VERT);
  EXPECT_EQ(v.nMin, 0);
  EXPECT_EQ(v.nMax, last);
  EXPECT_EQ(v.nPos, 0);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0)));

  EXPECT_EQ(Press(VK_NEXT), page);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(page)));
  EXPECT_EQ(Press(VK_DOWN), page + 1);
  EXPECT_EQ(Press(VK_UP), page);
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, page);
  EXPECT_EQ(Press(VK_END), last);
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, last);
  // The last page ends with the file's last line (and the empty one, cut
  // by the bottom edge).
  EXPECT_TRUE(shown::RowShows(hwnd_, 999 - last, shown::NumberedLine(999)));
  EXPECT_EQ(Press(VK_NEXT), last);
  EXPECT_EQ(Press(VK_DOWN), last);
  EXPECT_EQ(Press(VK_PRIOR), last - page);
  EXPECT_EQ(Press(VK_HOME), 0);
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, 0);
  EXPECT_EQ(Press(VK_PRIOR), 0);
  EXPECT_EQ(Press(VK_UP), 0);
  EXPECT_EQ(Press(VK_F5), 0);  // not in the table
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0)));

  // A window too narrow for 78 columns scrolls sideways, 8 columns a key.
  ShowWindow(hwnd_, SW_RESTORE);
  MoveWindow(hwnd_, 0, 0, 400, 300, TRUE);
  Pump();
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int lastColumn = 78 - client.right / shown::Metrics().tmAveCharWidth;
  ASSERT_GT(lastColumn, 16);
  EXPECT_EQ(Bar(hwnd_, SB_HORZ).nMax, lastColumn);
  Press(VK_RIGHT);
  EXPECT_EQ(glimso::View.firstColumn, 8);
  Press(VK_RIGHT);
  Press(VK_LEFT);
  EXPECT_EQ(glimso::View.firstColumn, 8);
  EXPECT_EQ(Bar(hwnd_, SB_HORZ).nPos, 8);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0).substr(8)));
  // Home goes to the first line; the columns stay (the horizontal bar has
  // no top).
  Press(VK_DOWN);
  EXPECT_EQ(Press(VK_HOME), 0);
  EXPECT_EQ(glimso::View.firstColumn, 8);
  for (int i = 0; i < 20; ++i) Press(VK_RIGHT);
  EXPECT_EQ(glimso::View.firstColumn, lastColumn);
  EXPECT_EQ(Bar(hwnd_, SB_HORZ).nPos, lastColumn);
}

TEST_F(GlimsoWindow, ThumbDraggedToTheTopMiddleAndEndOfAFiveGibFile) {
  std::string path = Made("Cache.Database");
  // Sparse: only the last two lines are written, a full one and the rest.
  const std::uint64_t tailBytes = kFiveGiB % 78;
  const std::string marker = shown::NumberedLine(999999);
  const std::string rest = std::string(tailBytes, 'z');
  {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD none = 0;  // on Windows a file is sparse only when marked so
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &none, nullptr);
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(kFiveGiB - tailBytes - 78);
    DWORD wrote = 0;
    std::string tail = marker + rest;
    EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    EXPECT_TRUE(WriteFile(h, tail.data(), static_cast<DWORD>(tail.size()), &wrote, nullptr));
    CloseHandle(h);
  }
  ASSERT_NE(Open(path), nullptr);
  const std::int64_t lines = static_cast<std::int64_t>((kFiveGiB + 77) / 78 + 1);
  ASSERT_EQ(glimso::View.lineCount, lines);
  const std::int64_t last = lines - PageLines();
  ASSERT_EQ(glimso::View.lastFirstLine, last);
  // Far more lines than the 16 bits a scroll message carries, and more
  // than the bar spreads them over.
  SCROLLINFO v = Bar(hwnd_, SB_VERT);
  EXPECT_EQ(v.nMax, dump::kBarLimit);

  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(hwnd_, OBJID_VSCROLL, &bar));
  const int middle = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;

  DragThumbTo(middle);
  std::int64_t at = glimso::View.firstLine;
  EXPECT_GT(at, 65535);
  EXPECT_NEAR(double(at) / double(last), 0.5, 0.05) << at << " of " << last;
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, dump::ToBar(at, last));

  DragThumbTo(bar.rcScrollBar.bottom - 1);
  EXPECT_EQ(glimso::View.firstLine, last);
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, dump::kBarLimit);
  // The last page, read from past 4 GiB: the marker line and the rest
  // (the empty line after them is cut by the bottom edge).
  const std::int64_t markerLine = static_cast<std::int64_t>((kFiveGiB - tailBytes - 78) / 78);
  EXPECT_TRUE(shown::RowShows(hwnd_, static_cast<int>(markerLine - last), marker));
  EXPECT_TRUE(shown::RowShows(hwnd_, static_cast<int>(markerLine + 1 - last), rest));

  DragThumbTo(bar.rcScrollBar.top + 1);
  EXPECT_EQ(glimso::View.firstLine, 0);
  EXPECT_EQ(Bar(hwnd_, SB_VERT).nPos, 0);

  // The keys reach the end as well, a line at a time from there.
  EXPECT_EQ(Press(VK_END), last);
  EXPECT_EQ(Press(VK_UP), last - 1);
  EXPECT_EQ(Press(VK_HOME), 0);
}

TEST_F(GlimsoWindow, EveryPaintShowsWhatTheFileHoldsWhileAnotherProgramWritesIt) {
  std::string path = Made("Cookies.Database");
  ASSERT_TRUE(WriteFileBytes(path, NumberedLines(10)));
  // The browser holds the file open for writing, sharing reading and writing.
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ASSERT_NE(Open(path), nullptr);
  EXPECT_EQ(Title(), "Glimso: " + path);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0)));

  std::string changed = shown::NumberedLine(4242);
  DWORD wrote = 0;
  ASSERT_TRUE(WriteFile(writer, changed.data(), static_cast<DWORD>(changed.size()), &wrote, nullptr));
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, changed));
  EXPECT_TRUE(shown::RowShows(hwnd_, 1, shown::NumberedLine(1)));
  CloseHandle(writer);
  Close();

  // A writer that lets others read but not write: the viewer asks for
  // reading alone, so it still shows the file, and takes nothing from the
  // writer while it does.
  writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                       nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ASSERT_NE(Open(path), nullptr);
  EXPECT_EQ(Title(), "Glimso: " + path);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, changed));
  CloseHandle(writer);
}

TEST_F(GlimsoWindow, ASessionEndCalledOffLeavesTheViewerPaintingInItsFont) {
  std::string path = Made("News.Database");
  ASSERT_TRUE(WriteFileBytes(path, NumberedLines(10)));
  ASSERT_NE(Open(path), nullptr);
  ASSERT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0)));
  // Windows may end: the font is given up. Then the session goes on.
  EXPECT_EQ(SendMessageA(hwnd_, WM_QUERYENDSESSION, 0, 0), TRUE);
  HFONT filler = CreateFontA(30, 0, 0, 0, 700, TRUE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier");  // may take the freed handle
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
  // The paint had a display font to select, not a handle already deleted.
  LOGFONTA font{};
  ASSERT_EQ(GetObjectType(glimso::DisplayFont), static_cast<DWORD>(OBJ_FONT));
  ASSERT_EQ(GetObjectA(glimso::DisplayFont, sizeof font, &font), static_cast<int>(sizeof font));
  HFONT fresh = glimso::CreateDisplayFont();
  LOGFONTA expected{};
  ASSERT_EQ(GetObjectA(fresh, sizeof expected, &expected), static_cast<int>(sizeof expected));
  DeleteObject(fresh);
  EXPECT_STREQ(font.lfFaceName, expected.lfFaceName);
  EXPECT_EQ(font.lfHeight, 14);
  EXPECT_TRUE(shown::RowShows(hwnd_, 0, shown::NumberedLine(0)));
  EXPECT_TRUE(shown::RowShows(hwnd_, 9, shown::NumberedLine(9)));
  DeleteObject(filler);
}

// Every byte takes the same width, so a column scrolled to is where the
// view's arithmetic puts it, whichever faces this system has.
TEST(GlimsoFont, EveryCharacterTakesTheAverageWidth) {
  HFONT font = glimso::CreateDisplayFont();
  ASSERT_NE(font, nullptr);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "variable pitch";
  for (const char* run : {"iiiiiiii", "WWWWWWWW", "........", "@@@@@@@@", "ab1 ;Z_~"}) {
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, run, 8, &size));
    EXPECT_EQ(size.cx, 8 * tm.tmAveCharWidth) << run;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
}

// A thumb message that comes from no drag (another program sends it) moves
// the view to the line it names; a pipe or a device named on the command
// line is no file to show.
TEST_F(GlimsoWindow, ThumbMessagesFromElsewhereAndNamesThatAreNoFiles) {
  std::string path = Made("Newsgroups");
  ASSERT_TRUE(WriteFileBytes(path, NumberedLines(1000)));
  ASSERT_NE(Open(path), nullptr);
  SendMessageA(hwnd_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0);
  Pump();
  EXPECT_EQ(glimso::View.firstLine, 50);
  SendMessageA(hwnd_, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 70), 0);
  Pump();
  EXPECT_EQ(glimso::View.firstLine, 70);
  Close();

  const char* pipeName = "\\\\.\\pipe\\glimso-test-pipe";
  HANDLE pipe = CreateNamedPipeA(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  for (const char* name : {pipeName, "NUL"}) {
    SCOPED_TRACE(name);
    ASSERT_NE(Open(name), nullptr);
    EXPECT_EQ(Title(), "ERROR: File could not be located.");
    EXPECT_EQ(glimso::View.lineCount, 0);
    Close();
  }
  CloseHandle(pipe);
}
