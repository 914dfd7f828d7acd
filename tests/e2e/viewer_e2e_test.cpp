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
constexpr int kHistoryButton = 127;
constexpr int kTexts[] = {137, 138, 139, 140, 141, 142, 143, 144, 145, 146};

std::string ProgramFolder() {
  std::string exe = WindowsPath(MOPWELL_EXE);
  return exe.substr(0, exe.find_last_of('\\'));
}

void Ini(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, (WindowsDir() + "\\MOPWELL.INI").c_str());
}

}  // namespace

TEST(EndToEnd, TheViewerTabCountsTheProfileAndShowsTheHistoryInTheViewer) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  const std::string root = std::string(temp) + "mopwell-e2e-viewer";
  PrefixCleanup cleanup(root);
  const std::string dump = ProgramFolder() + "\\History.Database";
  DeleteFileA(dump.c_str());
  DemoOptions options;
  options.windowsDir = WindowsDir();
  options.root = root;
  options.cacheFiles = 12;
  options.replaceOthers = true;
  CreateDirectoryA(root.c_str(), nullptr);
  std::string error;
  ASSERT_TRUE(MakeDemoProfile(options, nullptr, &error)) << error;
  const DemoGeneration c4 = DescribeDemo(options).communicator;
  Ini("Options", "NT", "2");
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
