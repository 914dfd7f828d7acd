// Starts the real glimso.exe as its own process on dump files, the way the
// viewer page starts it, and checks it from outside: its resources, its
// title, what its rows show as keys move the view, its end, and that the
// file it showed is untouched. (Wine keeps a window's scroll bars in the
// window's own process: GetScrollInfo from here fails, so the view is read
// off the screen. The bars themselves are checked in-process by
// tests/glimso.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "e2e_support.h"
#include "shown_text.h"
#include "window_probe.h"

namespace {

constexpr DWORD kPatience = 60000;  // a cold prefix can take long to show a window
const char kErrorTitle[] = "ERROR: File could not be located.";

std::string Scratch() {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "glimso-e2e";
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// glimso.exe started as the viewer page starts it: "GLIMSO " and the file
// name, in the folder that holds the dump files. Stopped if still running
// when the test ends.
class Glimso : public Program {
 public:
  // `tail` is everything after the program name; `show` the show state
  // the starter asks for.
  bool Start(const std::string& tail, const std::string& folder, WORD show = SW_SHOWMAXIMIZED) {
    return Launch(WindowsPath(GLIMSO_EXE), "GLIMSO " + tail, folder.c_str(), &show);
  }
  // Its window, once its title reads `title`.
  HWND Window(const std::string& title) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          found = FindOwnWindow();
          return found && probe::StoredText(found) == title;
        },
        kPatience);
    return found && probe::StoredText(found) == title ? found : nullptr;
  }

 private:
  struct Search {
    DWORD pid;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    Search* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != s->pid || lstrcmpA(cls, "glimso") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
  }
  HWND FindOwnWindow() {
    Search s{pi_.dwProcessId, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
};

// Presses a key in the window; sent, so the view has moved when it returns.
void Key(HWND hwnd, WPARAM key) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(hwnd, WM_KEYDOWN, key, 1, SMTO_NORMAL, 10000, &ignored);
}

// Whole lines in the client height as glimso keeps it (rounded up to the
// next whole character height).
int PageLines(HWND hwnd) {
  TEXTMETRICA tm = shown::Metrics();
  RECT client{};
  GetClientRect(hwnd, &client);
  return tm.tmHeight * (client.bottom / tm.tmHeight + 1) / (tm.tmHeight + tm.tmExternalLeading);
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

std::string NumberedLines(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += shown::NumberedLine(i);
  return bytes;
}

}  // namespace

TEST(EndToEnd, GlimsoCarriesItsNameMenuAndIcon) {
  HMODULE exe = LoadLibraryExA(WindowsPath(GLIMSO_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  char text[128] = "";
  EXPECT_GT(LoadStringA(exe, 1, text, sizeof text), 0);
  EXPECT_STREQ(text, "glimso");
  HMENU menu = LoadMenuA(exe, "GLIMSO");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  GetMenuStringA(menu, 101, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "CLICK HERE to return to Mopwell");
  DestroyMenu(menu);
  EXPECT_NE(FindResourceA(exe, "GLIMSO", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */), nullptr);
  FreeLibrary(exe);
}

TEST(EndToEnd, GlimsoShowsTheNamedDumpFileMaximizedMovesByKeysAndEndsByItsMenu) {
  PrefixCleanup cleanup(Scratch());
  CreateDirectoryA(Scratch().c_str(), nullptr);
  const std::string path = Scratch() + "\\History.Database";
  const std::string bytes = NumberedLines(1000);  // 1001 lines, the last one empty
  ASSERT_TRUE(Write(path, bytes));
  const FILETIME written = LastWrite(path);

  Glimso glimso;
  // Started minimized: it is maximized all the same.
  ASSERT_TRUE(glimso.Start("History.Database", Scratch(), SW_SHOWMINNOACTIVE));
  HWND hwnd = glimso.Window("Glimso: History.Database");
  ASSERT_NE(hwnd, nullptr) << "no window titled after the file";
  EXPECT_TRUE(IsZoomed(hwnd));
  EXPECT_TRUE(shown::RowShows(hwnd, 0, shown::NumberedLine(0)));
  EXPECT_TRUE(shown::RowShows(hwnd, 1, shown::NumberedLine(1)));

  const int page = PageLines(hwnd);
  Key(hwnd, VK_NEXT);
  EXPECT_TRUE(shown::RowShows(hwnd, 0, shown::NumberedLine(page)));
  Key(hwnd, VK_DOWN);
  EXPECT_TRUE(shown::RowShows(hwnd, 0, shown::NumberedLine(page + 1)));
  Key(hwnd, VK_END);
  EXPECT_TRUE(shown::RowShows(hwnd, 0, shown::NumberedLine(1001 - page)));
  EXPECT_TRUE(shown::RowShows(hwnd, page - 2, shown::NumberedLine(999)));
  Key(hwnd, VK_HOME);
  EXPECT_TRUE(shown::RowShows(hwnd, 0, shown::NumberedLine(0)));

  PostMessageA(hwnd, WM_COMMAND, 101, 0);  // "CLICK HERE to return to Mopwell"
  EXPECT_EQ(probe::WaitForExit(glimso.process(), kPatience), 0);
  // Shown, scrolled and painted: not a byte written, not even the time.
  EXPECT_EQ(Read(path), bytes);
  EXPECT_TRUE(SameTime(LastWrite(path), written));
}

TEST(EndToEnd, GlimsoRefusesAReadOnlyAMissingAndAQuotedFileButShowsAnEmptyOne) {
  PrefixCleanup cleanup(Scratch());
  CreateDirectoryA(Scratch().c_str(), nullptr);
  const std::string locked = Scratch() + "\\Cookies.Database";
  const std::string bytes = NumberedLines(20);
  ASSERT_TRUE(Write(locked, bytes));
  ASSERT_TRUE(Write(Scratch() + "\\History.Database", bytes));
  ASSERT_TRUE(Write(Scratch() + "\\Empty.Database", ""));
  ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  const FILETIME written = LastWrite(locked);

  // Read-only (which Wine as root would open for update all the same), not
  // there at all, and quotes that make the name another one: the same
  // error title, an empty window, and the close box still ends it.
  for (const char* tail : {"Cookies.Database", "Missing.Database", "\"History.Database\""}) {
    SCOPED_TRACE(tail);
    Glimso glimso;
    ASSERT_TRUE(glimso.Start(tail, Scratch()));
    HWND hwnd = glimso.Window(kErrorTitle);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(shown::RowShows(hwnd, 0, ""));
    Key(hwnd, VK_END);
    EXPECT_TRUE(shown::RowShows(hwnd, 0, ""));
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(probe::WaitForExit(glimso.process(), kPatience), 0);
  }
  EXPECT_EQ(Read(locked), bytes);
  EXPECT_TRUE(SameTime(LastWrite(locked), written));

  // An empty file is shown: its one empty line under its name.
  Glimso glimso;
  ASSERT_TRUE(glimso.Start("Empty.Database", Scratch()));
  HWND hwnd = glimso.Window("Glimso: Empty.Database");
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(shown::RowShows(hwnd, 0, ""));
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(glimso.process(), kPatience), 0);
}
