// The real mopwell.exe opening the help file the build put beside it, in
// Wine's real help viewer: the clean page's Help button (the bare file
// name, found through the program's folder) and the Documentation tab's
// buttons (the full path discovery forms). What the viewer shows is read
// from its window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "window_probe.h"

namespace {

constexpr DWORD kPatience = 60000;  // a cold prefix can take long to start the viewer
constexpr int kTabDocs = 5;
constexpr int kCleanHelp = 120;
constexpr int kDocsFettlor = 123, kDocsPrefs = 107;

HWND Viewer() { return FindWindowA("MS_WINHELP", nullptr); }

// The text of the topic on show: the viewer draws it in a rich edit control.
std::string ShownTopic() {
  HWND viewer = Viewer();
  if (!viewer || !IsWindowVisible(viewer)) return std::string();
  for (const char* cls : {"RichEdit20A", "RichEdit20W"})
    if (HWND text = probe::FindChildByClass(viewer, cls)) return probe::WindowText(text);
  return std::string();
}

// Waits until the viewer shows a topic whose first line is `title`; returns
// the first line last seen (empty when the viewer never showed a topic).
std::string WaitForTopic(const std::string& title) {
  std::string first;
  DWORD start = GetTickCount();
  do {
    std::string shown = ShownTopic();
    first = shown.substr(0, shown.find_first_of("\r\n"));
    if (first == title) break;
    Sleep(100);
  } while (GetTickCount() - start < kPatience);
  return first;
}

// However the test ends, no help viewer stays: one that refused the file
// waits for an answer nobody gives, and would stand in the next test's way.
class ViewerGuard {
 public:
  ViewerGuard() = default;
  ViewerGuard(const ViewerGuard&) = delete;
  ViewerGuard& operator=(const ViewerGuard&) = delete;
  ~ViewerGuard() {
    HWND viewer = Viewer();
    if (!viewer) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (!process) return;
    if (WaitForSingleObject(process, 10000) == WAIT_TIMEOUT) TerminateProcess(process, 99);
    CloseHandle(process);
  }
};

}  // namespace

TEST(EndToEnd, HelpButtonsOpenTheHelpFileBesideTheProgram) {
  std::string programDir = WindowsPath(MOPWELL_EXE);
  programDir = programDir.substr(0, programDir.find_last_of('\\'));
  ASSERT_EQ(Read(programDir + "\\MOPWELL.HLP").substr(0, 4), std::string("\x3F\x5F\x03\x00", 4))
      << "the build puts the help file beside the program";

  PrefixCleanup cleanup;
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "NT", "1", (WindowsDir() + "\\MOPWELL.INI").c_str()));
  ViewerGuard noViewerLeft;
  ASSERT_EQ(Viewer(), nullptr) << "a help viewer is already open";
  Program mopwell;
  ASSERT_TRUE(mopwell.Start());
  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  HWND page = probe::CurrentPage(main);
  ASSERT_NE(page, nullptr);

  probe::Click(page, kCleanHelp);
  EXPECT_EQ(WaitForTopic("How to use Mopwell"), "How to use Mopwell");

  page = probe::PickTab(main, kTabDocs, kPatience);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(probe::ItemText(page, kDocsFettlor), "How to use Fettlor");
  probe::Click(page, kDocsFettlor);
  EXPECT_EQ(WaitForTopic("How to use Fettlor"), "How to use Fettlor");
  probe::Click(page, kDocsPrefs);
  EXPECT_EQ(WaitForTopic("How to use Preferences"), "How to use Preferences");
  EXPECT_TRUE(probe::OpenMessageBoxes(main).empty()) << "the help file opened without a word";

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);
}
