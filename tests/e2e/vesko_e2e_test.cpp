// The tray companion in processes of its own, as Windows starts it from the
// Startup folder: the real vesko.exe looked at from outside (its hidden
// window, its trace, its icon's colour on the screen, its dialog, the
// two-press removal and the start of the main program), and vesko_host.exe,
// the same code with a shell that writes down each icon call before making
// it, for the exact icon and tip: those cannot be read back from Wine's
// tray by another process (tests/vesko/CMakeLists.txt says more).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "window_probe.h"

namespace {

constexpr DWORD kPatience = 60000;  // a cold prefix can take long
const char kShutdownTitle[] = "VESKO Traybar icon shutdown";
const char kShutdownText[] =
    "Please doubleclick the icon and select \n\"Remove icon\" again to confirm that \nyou want the "
    "traybar icon to go away.";
const char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator";

std::string Scratch() {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "vesko-e2e";
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

void WriteIni(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, "MOPWELL.INI");
}

std::string Trace(const char* key) {
  char buf[512] = "";
  GetPrivateProfileStringA("Diagnostics", key, "<absent>", buf, sizeof buf, "MOPWELL.INI");
  return buf;
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::string bytes = Read(path);
  if (bytes == "<missing>") return lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// vesko.exe or vesko_host.exe, started in a folder of the test's choosing.
class Vesko : public Program {
 public:
  // The real vesko.exe of the build, or a copy of it (`exe`), started in
  // `folder`.
  bool StartReal(const std::string& folder, std::string exe = WindowsPath(VESKO_EXE)) {
    return Launch(exe, "\"" + exe + "\"", folder.c_str(), nullptr);
  }
  bool StartHost(const std::string& folder, const std::string& record) {
    std::string exe = WindowsPath(VESKO_HOST_EXE);
    return Launch(exe, "\"" + exe + "\" \"" + record + "\"", folder.c_str(), nullptr);
  }
  bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

  // The hidden main window: class "vesko", titled "VESKO".
  HWND MainWindow() {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Find(false)) != nullptr; }, kPatience);
    return found;
  }
  // Dialog 100 on the screen.
  HWND Dialog() {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Find(true)) != nullptr; }, kPatience);
    return found;
  }
  void DoubleClickIcon(HWND main) { PostMessageA(main, 301, 199, WM_LBUTTONDBLCLK); }

 private:
  struct Search {
    DWORD pid;
    bool dialog;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    Search* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid) return TRUE;
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    bool match = s->dialog ? lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 106)
                           : lstrcmpA(cls, "vesko") == 0 && probe::StoredText(hwnd) == "VESKO";
    if (!match) return TRUE;
    s->found = hwnd;
    return FALSE;
  }
  HWND Find(bool dialog) {
    Search s{pi_.dwProcessId, dialog, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
};

// Folders of the test: where vesko starts and the main program's folder.
struct Places {
  std::string root = Scratch();
  std::string start = root + "\\start here";
  std::string main = root + "\\Mopwell";
  std::string record = root + "\\icon-calls.txt";
  Places() {
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(start.c_str(), nullptr);
    CreateDirectoryA(main.c_str(), nullptr);
  }
};

// Red and green pixels of Wine's own tray window (no taskbar here: Wine
// shows the icons in a small window of its desktop process), read off the
// screen. Icons of other programs may be there too, so a test compares
// counts before and after, never absolute ones.
struct TrayColours {
  int red = 0, green = 0;
};
TrayColours TrayPixels() {
  TrayColours c;
  HWND tray = FindWindowA(nullptr, "Wine System Tray");
  RECT r{};
  if (!tray || !GetWindowRect(tray, &r)) return c;
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const unsigned char* px = static_cast<const unsigned char*>(bits);
  for (int i = 0; bits && i < w * h; ++i) {
    int b = px[4 * i], g = px[4 * i + 1], red = px[4 * i + 2];
    if (red > 150 && g < 90 && b < 90) ++c.red;
    if (g > 110 && red < 100 && b < 100) ++c.green;
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return c;
}

// The first and the last line of a record file, "<none>" while it has none.
std::string FirstLine(const std::string& path) {
  std::vector<std::string> lines = Lines(path);
  return lines.empty() ? "<none>" : lines.front();
}
std::string LastLine(const std::string& path) {
  std::vector<std::string> lines = Lines(path);
  return lines.empty() ? "<none>" : lines.back();
}

// The record file holds `line` (after the first `from` lines).
bool Recorded(const std::string& record, const std::string& line, size_t from = 0) {
  std::vector<std::string> lines = Lines(record);
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i] == line) return true;
  return false;
}

}  // namespace

TEST(EndToEnd, VeskoRunsHiddenWritesItsTraceAndEndsOnlyOnTheSecondRemovePress) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  WriteIni("CopyMe", "which", (places.main + "\\MOPWELL.BKM").c_str());
  Vesko vesko;
  ASSERT_TRUE(vesko.StartReal(places.start));
  HWND main = vesko.MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  ASSERT_TRUE(WaitUntil([] { return Trace("VESKOwas") != "<absent>"; }, kPatience));
  EXPECT_EQ(Trace("VESKO"), "4.50.001");
  EXPECT_EQ(Trace("VESKOloc"), places.main);
  EXPECT_EQ(Trace("VESKOwas"), places.start);

  // The icon on the screen: red (no "userID" yet), green once the clean
  // run's choice of the alias is written, gone after the removal.
  constexpr int kIconShare = 30;  // pixels of one colour in a 16x16 tray icon, at least
  TrayColours atStart;
  ASSERT_TRUE(WaitUntil([&] { return (atStart = TrayPixels()).red >= kIconShare; }, kPatience));
  WriteIni("Options", "userID", "1");
  TrayColours alias;
  EXPECT_TRUE(WaitUntil([&] {
    alias = TrayPixels();
    return alias.green >= atStart.green + kIconShare && alias.red <= atStart.red - kIconShare;
  }, kPatience)) << "red " << alias.red << " green " << alias.green << " at start " << atStart.red << "/" << atStart.green;

  // First press: the explanation, and the program stays.
  vesko.DoubleClickIcon(main);
  HWND dialog = vesko.Dialog();
  ASSERT_NE(dialog, nullptr);
  probe::Click(dialog, 106);
  HWND box = probe::WaitForMessageBox(kShutdownTitle, kPatience);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::MessageBoxText(box), kShutdownText);
  probe::PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kPatience));
  EXPECT_TRUE(vesko.Running());
  EXPECT_TRUE(IsWindow(main));

  // Second press: the program ends, with 0.
  vesko.DoubleClickIcon(main);
  dialog = vesko.Dialog();
  ASSERT_NE(dialog, nullptr);
  probe::Click(dialog, 106);
  EXPECT_EQ(probe::WaitForExit(vesko.process(), kPatience), 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(WaitUntil([&] { return TrayPixels().green <= alias.green - kIconShare; }, kPatience))
      << "the green icon is still there";
}

// Windows starts vesko from the user's Startup folder. A program named
// without its folder is looked for beside the program that starts it
// first, then in the current folder: both hold a decoy MOPWELL.EXE here,
// so only a start by the main program's full path reaches the real one.
TEST(EndToEnd, VeskoRunMopwellStartsTheMainProgramFromItsFolder) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  // Stand-ins for the main program, each noting in its own folder that it ran.
  const std::string standin = WindowsPath(MOPWELL_STANDIN_EXE);
  ASSERT_TRUE(CopyFileA(standin.c_str(), (places.main + "\\MOPWELL.EXE").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(standin.c_str(), (places.start + "\\MOPWELL.EXE").c_str(), FALSE));
  const std::string startup = places.start + "\\vesko.exe";
  ASSERT_TRUE(CopyFileA(WindowsPath(VESKO_EXE).c_str(), startup.c_str(), FALSE));
  WriteIni("CopyMe", "which", (places.main + "\\MOPWELL.BKM").c_str());
  Vesko vesko;
  ASSERT_TRUE(vesko.StartReal(places.start, startup));
  HWND main = vesko.MainWindow();
  ASSERT_NE(main, nullptr);
  vesko.DoubleClickIcon(main);
  HWND dialog = vesko.Dialog();
  ASSERT_NE(dialog, nullptr);
  probe::Click(dialog, 105);
  const std::string note = places.main + "\\standin-ran.txt", decoy = places.start + "\\standin-ran.txt";
  ASSERT_TRUE(WaitUntil([&] { return !Lines(note).empty() || !Lines(decoy).empty(); }, kPatience));
  EXPECT_EQ(Read(decoy), "<missing>") << "the program beside vesko.exe ran";
  // Its own file in the main program's folder, started there, shown normally.
  EXPECT_EQ(FirstLine(note), places.main + "\\MOPWELL.EXE|" + places.main + "|1");
  EXPECT_TRUE(vesko.Running());
}

TEST(EndToEnd, VeskoShowsTheRealNameWithoutConfigurationAndFollowsEveryWriteInTheWindowsDirectory) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  std::string unrelated = WindowsDir() + "\\vesko-e2e-unrelated.txt";
  Vesko vesko;
  ASSERT_TRUE(vesko.StartHost(places.start, places.record));
  // Added red, then the first refresh: the first stage only. The real
  // shell accepted each call ("-> 1").
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 RED 301 Using REAL NAME! -> 1"); }, kPatience))
      << Read(places.record);
  EXPECT_EQ(FirstLine(places.record), "ADD 199 RED 301 Using REAL NAME! -> 1");

  // Another program (this test) records the alias choice, as a clean run does.
  size_t seen = Lines(places.record).size();
  DWORD start = GetTickCount();
  WriteIni("Options", "userID", "1");
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 GRN 301 Using ALIAS! -> 1", seen); }, kPatience))
      << Read(places.record);
  std::printf("green %lu ms after the write\n", static_cast<unsigned long>(GetTickCount() - start));

  // A write of anything else there refreshes too, to the same result.
  seen = Lines(places.record).size();
  ASSERT_TRUE(Write(unrelated, "not the configuration"));
  bool refreshed = WaitUntil([&] { return Lines(places.record).size() > seen; }, kPatience);
  std::vector<std::string> after = Lines(places.record);
  DeleteFileA(unrelated.c_str());
  ASSERT_TRUE(refreshed);
  for (size_t i = seen; i < after.size(); ++i) EXPECT_EQ(after[i], "MOD 199 GRN 301 Using ALIAS! -> 1");
}

TEST(EndToEnd, VeskoNamesTheCurrentProfileInTheTipAndKeepsALongNameToTwentyFourCharacters) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  std::string profiles = places.root + "\\profiles\\";
  CreateDirectoryA(profiles.c_str(), nullptr);
  const std::string name30 = "A-profile-name-of-thirty-chars";
  const std::string name24 = name30.substr(0, 24);
  ASSERT_EQ(name30.size(), 30u);
  // The profile's own folder (the whole name) says alias; a folder named by
  // the tip's 24 characters says real name and must not be the one read.
  CreateDirectoryA((profiles + name30).c_str(), nullptr);
  WritePrivateProfileStringA("Options", "userID", "1", (profiles + name30 + "\\MPW-ID.INI").c_str());
  CreateDirectoryA((profiles + name24).c_str(), nullptr);
  WritePrivateProfileStringA("Options", "userID", "0", (profiles + name24 + "\\MPW-ID.INI").c_str());
  CreateDirectoryA((profiles + "Eve Ray").c_str(), nullptr);
  WritePrivateProfileStringA("Options", "userID", "0", (profiles + "Eve Ray\\MPW-ID.INI").c_str());
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kNavigatorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "CurrentUser", 0, REG_SZ, reinterpret_cast<const BYTE*>(name30.c_str()),
                 static_cast<DWORD>(name30.size() + 1));
  WriteIni("CopyMe", "profroot", profiles.c_str());

  Vesko vesko;
  ASSERT_TRUE(vesko.StartHost(places.start, places.record));
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 GRN 301 " + name24 + " is using ALIAS! -> 1"); },
                        kPatience))
      << Read(places.record);

  // The browser switches profiles; the next write in the Windows directory
  // shows the new one.
  size_t seen = Lines(places.record).size();
  const char eve[] = "Eve Ray";
  RegSetValueExA(key, "CurrentUser", 0, REG_SZ, reinterpret_cast<const BYTE*>(eve), sizeof eve);
  RegCloseKey(key);
  WriteIni("Options", "newsrc", "1");
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 RED 301 Eve Ray is using REAL NAME! -> 1", seen); },
                        kPatience))
      << Read(places.record);
  for (const std::string& line : Lines(places.record)) EXPECT_LE(line.size(), 16u + 63u + 5u) << line;
}

// ---- one icon ----

TEST(EndToEnd, VeskoASecondStartEndsQuietlyAndALaterStartShowsItsIcon) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  const std::string second = places.root + "\\second-calls.txt", third = places.root + "\\third-calls.txt";
  Vesko first;
  ASSERT_TRUE(first.StartHost(places.start, places.record));
  HWND main = first.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 RED 301 Using REAL NAME! -> 1"); }, kPatience))
      << Read(places.record);

  ASSERT_TRUE(WaitUntil([] { return Trace("VESKOwas") != "<absent>"; }, kPatience));
  ASSERT_EQ(Trace("VESKOwas"), places.start);

  // The same code with its recording shell, then the real program, as the
  // Startup folder would start it; from another folder, which each would
  // write into the trace if it got as far.
  for (bool host : {true, false}) {
    Vesko again;
    ASSERT_TRUE(host ? again.StartHost(places.main, second) : again.StartReal(places.main)) << host;
    EXPECT_EQ(probe::WaitForExit(again.process(), kPatience), 0) << (host ? "vesko_host" : "vesko.exe");
  }
  EXPECT_EQ(Read(second), "<missing>") << "the second start made no icon call";
  EXPECT_EQ(Trace("VESKOwas"), places.start) << "the second start wrote its trace";
  EXPECT_TRUE(first.Running());
  std::vector<std::string> lines = Lines(places.record);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("ADD", 0) == 0; }), 1)
      << Read(places.record);

  // The first one quits (a quit message from outside): its icon goes with
  // it, and a start now shows its own.
  PostMessageA(main, WM_QUIT, 7, 0);
  EXPECT_EQ(probe::WaitForExit(first.process(), kPatience), 7);
  EXPECT_EQ(LastLine(places.record), "DEL 199 -> 1");
  Vesko later;
  ASSERT_TRUE(later.StartHost(places.start, third));
  EXPECT_TRUE(WaitUntil([&] { return Recorded(third, "ADD 199 RED 301 Using REAL NAME! -> 1"); }, kPatience))
      << Read(third);
}

// An end from outside takes the icon along (the shell accepts the removal:
// it was there), and the program gives up its claim on the one icon.
TEST(EndToEnd, VeskoRemovesItsIconWhenEndedFromOutside) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
  } cases[] = {{"quit message", WM_QUIT, 0}, {"end of the session", WM_ENDSESSION, TRUE}, {"close request", WM_CLOSE, 0}};
  for (const Case& c : cases) {
    DeleteFileA(places.record.c_str());
    Vesko vesko;
    ASSERT_TRUE(vesko.StartHost(places.start, places.record)) << c.what;
    HWND main = vesko.MainWindow();
    ASSERT_NE(main, nullptr) << c.what;
    ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 RED 301 Using REAL NAME! -> 1"); }, kPatience))
        << c.what << ": " << Read(places.record);
    if (c.message == WM_ENDSESSION) {
      // Sent, as Windows sends it; the program may be ended once it returns.
      DWORD_PTR answer = 0;
      EXPECT_NE(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, kPatience, &answer), 0);
      EXPECT_NE(answer, 0u) << "the session may end";
      EXPECT_NE(SendMessageTimeoutA(main, c.message, c.wParam, 0, SMTO_ABORTIFHUNG, kPatience, &answer), 0);
    } else {
      PostMessageA(main, c.message, c.wParam, 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return Recorded(places.record, "DEL 199 -> 1"); }, kPatience))
        << c.what << ": " << Read(places.record);
    if (c.message == WM_QUIT) {
      EXPECT_EQ(probe::WaitForExit(vesko.process(), kPatience), 0) << c.what;
    }
    // Whether it still runs or not, the next start may show its icon.
    const std::string next = places.root + "\\next-calls.txt";
    DeleteFileA(next.c_str());
    Vesko after;
    ASSERT_TRUE(after.StartHost(places.start, next)) << c.what;
    EXPECT_TRUE(WaitUntil([&] { return Recorded(next, "ADD 199 RED 301 Using REAL NAME! -> 1"); }, kPatience))
        << c.what << ": " << Read(next);
  }
}

// Explorer started again has a new taskbar without the icons of the old
// one, and tells every top-level window with the registered message
// "TaskbarCreated" (vesko's window is one: EnumWindows, which lists only
// those, finds it). Wine's tray never goes away, so the test takes the icon
// out of it as the lost taskbar would, and tells the program alone, posted
// to its window. Never a broadcast sent with SendMessage: that waits on
// every top-level window of the prefix in turn, and a window of another
// test program whose thread is busy in a long step holds it for as long
// as that step lasts.
TEST(EndToEnd, VeskoPutsItsIconBackIntoANewTaskbar) {
  PrefixCleanup cleanup(Scratch());
  Places places;
  WriteIni("Options", "userID", "1");
  Vesko vesko;
  ASSERT_TRUE(vesko.StartHost(places.start, places.record));
  HWND main = vesko.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Recorded(places.record, "MOD 199 GRN 301 Using ALIAS! -> 1"); }, kPatience))
      << Read(places.record);
  size_t seen = Lines(places.record).size();

  NOTIFYICONDATAA gone{};
  gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
  gone.hWnd = main;
  gone.uID = 199;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone)) << "the icon was in the tray";
  PostMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  // Added as it was, and the shell took it: it had not been there.
  EXPECT_TRUE(WaitUntil([&] { return Recorded(places.record, "ADD 199 GRN 301 Using ALIAS! -> 1", seen); }, kPatience))
      << Read(places.record);
  EXPECT_TRUE(vesko.Running());
}
