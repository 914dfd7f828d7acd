// The viewer tab of the real mopwell.exe on the demo browser user, driven
// from outside: the ten counts against what the profile holds, "Show me"
// opening the real file viewer on a dump of the history file, and the dump
// wiped once the tab is left.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "demo_profile.h"
#include "e2e_support.h"
#include "store_tally.h"
#include "window_probe.h"

using store_tally::LinesHolding;
using store_tally::Tally;
using store_tally::Walk;

namespace {

constexpr DWORD kPatience = 60000;
constexpr int kTabClean = 0, kTabViewer = 1;
constexpr int kHistoryButton = 127, kCookieButton = 123;
constexpr int kTexts[] = {137, 138, 139, 140, 141, 142, 143, 144, 145, 146};

void Ini(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, (WindowsDir() + "\\MOPWELL.INI").c_str());
}

// The demo browser user with its Communicator profile in `root`, set up
// as the program's installation of the browser.
DemoGeneration MakeDemo(const std::string& root, int cacheFiles) {
  DemoOptions options;
  options.windowsDir = WindowsDir();
  options.root = root;
  options.cacheFiles = cacheFiles;
  options.replaceOthers = true;
  CreateDirectoryA(root.c_str(), nullptr);
  std::string error;
  EXPECT_TRUE(MakeDemoProfile(options, nullptr, &error)) << error;
  Ini("Options", "NT", "2");
  return DescribeDemo(options).communicator;
}

}  // namespace

TEST(EndToEnd, TheViewerTabCountsTheProfileAndShowsTheHistoryInTheViewer) {
  const std::string root = ScratchFolder("mopwell-e2e-viewer");
  PrefixCleanup cleanup(root);
  const std::string dump = ProgramFolder() + "\\History.Database";
  DeleteFileA(dump.c_str());
  const DemoGeneration c4 = MakeDemo(root, 12);
  ASSERT_FALSE(HasFailure());
  Ini("Prefs", "DoInbox", "1");

  // Known before the program runs.
  const std::string history = Read(c4.historyFile);
  int messages = 0;
  for (const char* box : {"Trash", "Inbox", "Unsent Messages"})
    messages += LinesHolding(Read(c4.mailDir + "\\" + box), "Message-ID");
  Tally snm;
  for (const std::string& server : c4.newsServers) {
    Tally t = Walk(c4.newsDir + "\\host-" + server, "*.snm");
    snm.files += t.files;
    snm.bytes += t.bytes;
  }
  const Tally cache = Walk(c4.cacheDir, "*.*");

  Program mopwell;
  ASSERT_TRUE(mopwell.Start());
  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  HWND page = probe::PickTab(main, kTabViewer, kPatience);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(probe::Settle(page, kPatience));
  std::string texts[10];
  for (int i = 0; i < 10; ++i) texts[i] = probe::ItemText(page, kTexts[i]);
  EXPECT_EQ(texts[0], "You are " + c4.userName + ".");
  EXPECT_EQ(texts[1], "You've visited " + std::to_string(c4.newsgroups) + " newsgroups.");
  EXPECT_EQ(texts[2], std::to_string(snm.files) + " databases, " + std::to_string(snm.bytes) + " bytes.");
  EXPECT_EQ(texts[3], std::to_string(messages) + " email msgs of concern.");
  EXPECT_EQ(texts[4], "History database is " + std::to_string(history.size()) + " bytes.");
  EXPECT_EQ(texts[5], "You have " + std::to_string(c4.typedUrls.size()) + " URL's in your window.");
  EXPECT_EQ(texts[6], "You have " + std::to_string(c4.cookies) + " cookies stored.");
  EXPECT_EQ(texts[7], "You have " + std::to_string(c4.bookmarks) + " bookmarks.");
  EXPECT_EQ(texts[8], std::to_string(cache.files) + " files total, " + std::to_string(cache.bytes) + " bytes.");
  // The machine's own recent documents, whatever they are.
  EXPECT_NE(texts[9].find(" files total, "), std::string::npos) << texts[9];

  // "Show me" for the history: the real viewer on the dump.
  probe::Click(page, kHistoryButton);
  HWND viewer = probe::WaitForWindow("glimso", "Glimso: History.Database", kPatience);
  ASSERT_NE(viewer, nullptr) << "no viewer window titled \"Glimso: History.Database\"";
  EXPECT_EQ(Read(dump), history);
  DWORD viewerProcess = 0;
  GetWindowThreadProcessId(viewer, &viewerProcess);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, viewerProcess);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  if (process) {
    EXPECT_EQ(WaitForSingleObject(process, kPatience), WAIT_OBJECT_0);
    CloseHandle(process);
  }

  // Leaving the tab wipes the dump.
  ASSERT_NE(probe::PickTab(main, kTabClean, kPatience), nullptr);
  EXPECT_FALSE(Exists(dump)) << "the dump outlived the tab";
  EXPECT_EQ(Read(c4.historyFile), history) << "the browser's own file is never touched";
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);
}

namespace {

// The main window of one process (two programs may show the same title).
HWND MainWindowOf(HANDLE process, DWORD timeoutMs) {
  const DWORD id = GetProcessId(process);
  const DWORD start = GetTickCount();
  do {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "Mopwell", "Mopwell")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == id && IsWindowVisible(window)) return window;
    }
    Sleep(50);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

// Opens the viewer on one store's dump and closes the viewer again.
void ShowAndCloseViewer(HWND page, int button, const char* title) {
  probe::Click(page, button);
  HWND viewer = probe::WaitForWindow("glimso", title, kPatience);
  ASSERT_NE(viewer, nullptr) << "no viewer window titled \"" << title << "\"";
  DWORD viewerProcess = 0;
  GetWindowThreadProcessId(viewer, &viewerProcess);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, viewerProcess);
  ASSERT_NE(process, nullptr);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, kPatience), WAIT_OBJECT_0);
  CloseHandle(process);
}

}  // namespace

// However the program ends, no copy of the browser's stores stays in its
// folder: dumps left by a run that never closed go at the next start
// (unless another Mopwell window may be showing them), and a logoff, which
// ends the program without WM_CLOSE, wipes them when Windows says the
// session ends.
TEST(EndToEnd, NoDumpFileOutlivesALogoffOrARunThatNeverClosed) {
  const std::string root = ScratchFolder("mopwell-e2e-logoff");
  PrefixCleanup cleanup(root);
  const DemoGeneration c4 = MakeDemo(root, 3);
  ASSERT_FALSE(HasFailure());
  const std::string history = Read(c4.historyFile);
  const std::string cookies = Read(c4.cookieFile);
  ASSERT_FALSE(history.empty());
  ASSERT_FALSE(cookies.empty());
  const std::string folder = ProgramFolder();
  const std::string historyDump = folder + "\\History.Database";
  const std::string cookieDump = folder + "\\Cookies.Database";
  const char* const names[] = {"Newsgroups",    "History.Database", "Cookies.Database",  "News.Database",
                               "Mail.Database", "Cache.Database",   "Bookmarks.Database"};

  // A run that never closed left all seven behind.
  for (const char* name : names)
    ASSERT_TRUE(Write(folder + "\\" + name, std::string("left by a run that never closed: ") + name));
  Program first;
  ASSERT_TRUE(first.Start());
  HWND main = MainWindowOf(first.process(), kPatience);
  ASSERT_NE(main, nullptr);
  for (const char* name : names) EXPECT_FALSE(Exists(folder + "\\" + name)) << name << " outlived the start";

  HWND page = probe::PickTab(main, kTabViewer, kPatience);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(probe::Settle(page, kPatience));
  ShowAndCloseViewer(page, kHistoryButton, "Glimso: History.Database");
  ShowAndCloseViewer(page, kCookieButton, "Glimso: Cookies.Database");
  ASSERT_EQ(Read(historyDump), history);
  ASSERT_EQ(Read(cookieDump), cookies);

  // A second start while the first may show them keeps them.
  Program second;
  ASSERT_TRUE(second.Start());
  HWND other = MainWindowOf(second.process(), kPatience);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Read(historyDump), history) << "a second start took the first one's dump";
  EXPECT_EQ(Read(cookieDump), cookies) << "a second start took the first one's dump";

  // Logoff: Windows asks, then says the session ends, then ends the
  // process without another word. The question alone changes nothing (the
  // session may yet go on).
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kPatience, &answer));
  EXPECT_NE(answer, 0u) << "the program refused the logoff";
  EXPECT_EQ(Read(historyDump), history);
  ASSERT_TRUE(SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kPatience, &answer));
  EXPECT_FALSE(Exists(historyDump)) << "the history dump outlived the session";
  EXPECT_FALSE(Exists(cookieDump)) << "the cookie dump outlived the session";
  TerminateProcess(first.process(), 0);
  TerminateProcess(second.process(), 0);
  EXPECT_EQ(Read(c4.historyFile), history) << "the browser's own file is never touched";
  EXPECT_EQ(Read(c4.cookieFile), cookies) << "the browser's own file is never touched";
}
