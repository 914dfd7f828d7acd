#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/names.h"
#include "main_window_fixture.h"
#include "resource.h"
#include "wipe.h"
#include "wipe_marker.h"

namespace {

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The tab control fills the client area, less its two-pixel frame.
void ExpectTabControlFills(HWND main) {
  RECT client, tab;
  GetClientRect(main, &client);
  SendMessageA(htab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&client));
  GetWindowRect(htab, &tab);
  EXPECT_EQ(tab.right - tab.left, client.right - 4);
  EXPECT_EQ(tab.bottom - tab.top, client.bottom - 4);
}

const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* kMessenger = "AOL Instant Messenger (TM)";

// Each file the wipe overwrote while this lives, with what it held between
// the overwrite and the delete.
struct WipeRecord {
  struct File {
    std::string path, bytes;
  };
  WipeRecord() { SetWipeObserver(&WipeRecord::Seen, this); }
  ~WipeRecord() { SetWipeObserver(nullptr, nullptr); }
  WipeRecord(const WipeRecord&) = delete;
  WipeRecord& operator=(const WipeRecord&) = delete;
  static void Seen(const char* path, void* self) {
    File file{path, std::string()};
    ReadFileBytes(path, file.bytes);
    static_cast<WipeRecord*>(self)->files.push_back(file);
  }
  // Every dump file, in their order, and each overwritten with the marker.
  void ExpectTheDumpFilesOverwritten(const std::string& folder) const {
    ASSERT_EQ(files.size(), 7u) << "one overwrite for each dump file";
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i].path, folder + "\\" + kDumpFiles[i]) << i;
      EXPECT_EQ(files[i].bytes.size(), 65535u) << kDumpFiles[i];
      EXPECT_TRUE(wipe_marker::IsWholeBlocks(files[i].bytes)) << kDumpFiles[i];
    }
  }
  std::vector<File> files;
};

}  // namespace

// ---- start ----

TEST_F(MainWindowTest, FirstStartWithoutIniOpensDefaultSizeAtFixedPlace) {
  ASSERT_NE(Start(), nullptr);
  RECT r = WindowRect(main);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.top, 67);
  EXPECT_EQ(r.right - r.left, 478);
  EXPECT_EQ(r.bottom - r.top, 358);
  char title[64] = "";
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "Mopwell");
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & 0x00CF0000, 0x00CE0000) << "no maximize box";
}

TEST_F(MainWindowTest, FirstRunShowsTheSetupMessageOnceAndThenTheCleanPage) {
  Start();
  ASSERT_EQ(fake->boxes.size(), 1u);
  const ShownBox& box = fake->boxes[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.title, "IMPORTANT! PLEASE READ THIS!");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
  EXPECT_EQ(box.text.rfind("Thank you for purchasing Mopwell Quorvix.\n\nYour Mopwell program needs", 0), 0u);
  EXPECT_NE(box.text.find("'Settings' tab IMMEDIATELY"), std::string::npos);
  EXPECT_NE(box.text.find("details on any of the tabs."), std::string::npos);
  // Discovery reads "NT" with default 1, so the clean page comes first.
  EXPECT_EQ(CurrentPage, 0);
  ASSERT_TRUE(IsWindow(hWndDialog1));
  EXPECT_TRUE(IsWindowVisible(hWndDialog1));
  EXPECT_EQ(GetParent(hWndDialog1), htab);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hWndDialog1, 125)));
  EXPECT_EQ(LivePages(), 1);
}

TEST_F(MainWindowTest, SetUpInstallationShowsNoMessage) {
  SetIni("Options", "NT", "2");
  Start();
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(CurrentPage, 0);
  EXPECT_EQ(OSV, 2);
}

TEST_F(MainWindowTest, NotSetUpShowsTheWelcomePageWithDisabledBoxes) {
  SetIni("Options", "NT", "0");
  Start();
  EXPECT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(CurrentPage, 6);
  ASSERT_TRUE(IsWindow(hWndDialog1));
  EXPECT_EQ(ControlText(hWndDialog1, 104), "Mopwell32 v4.50");
  for (int id : {125, 107, 108, 150, 109, 110, 111, 112, 113, 153}) {
    ASSERT_NE(GetDlgItem(hWndDialog1, id), nullptr) << id;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hWndDialog1, id))) << id;
  }
  EXPECT_EQ(GetDlgItem(hWndDialog1, IDB_CLEAN), nullptr);
  // Any tab replaces it.
  SelectTab(3);
  EXPECT_FALSE(IsWindow(hWndDialog1));
  EXPECT_EQ(CurrentPage, 3);
  EXPECT_EQ(LivePages(), 1);
}

TEST_F(MainWindowTest, TheTabControlHasTheSixLabelsInOrder) {
  Start();
  ASSERT_EQ(SendMessageA(htab, TCM_GETITEMCOUNT, 0, 0), 6);
  const char* labels[] = {"Mopwell", "Glimso", "Fettlor", "Settings", "Preferences", "Documentation"};
  for (int i = 0; i < 6; ++i) {
    char buf[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ASSERT_TRUE(SendMessageA(htab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(buf, labels[i]);
    EXPECT_EQ(item.iImage, -1);
  }
  EXPECT_EQ(GetParent(htab), main);
  DWORD style = static_cast<DWORD>(GetWindowLongA(htab, GWL_STYLE));
  EXPECT_EQ(style & 0x50800000u, 0x50800000u) << "child, visible, border";
}

TEST_F(MainWindowTest, StoredSizeIsUsedAtStart) {
  SetIni("customs", "sizeX", "600");
  SetIni("customs", "sizeY", "420");
  SetIni("Options", "NT", "1");
  Start();
  RECT r = WindowRect(main);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.top, 67);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 420);
}

TEST_F(MainWindowTest, TheProgramFolderBecomesTheWorkingDirectory) {
  Start();
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(lstrcmpiA(cwd, fake->programDir.c_str()), 0) << cwd;
  // Discovery takes its program files from there.
  EXPECT_EQ(Ini("CopyMe", "which"), fake->programDir + "\\MOPWELL.BKM");
}

namespace {
// Removes a file the test put outside its scratch folder, pass or fail.
class FileGuard {
 public:
  explicit FileGuard(std::string path) : path_(std::move(path)) {}
  ~FileGuard() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path_.c_str());
  }
  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;

 private:
  std::string path_;
};
}  // namespace

// A program placed at a drive root ("C:\mopwell.exe") and started from
// another folder of that drive: "C:" alone would mean the drive's current
// folder, which is the starting folder. Its files belong in the root.
TEST_F(MainWindowTest, AProgramAtADriveRootWorksInTheRootNotInTheStartingFolder) {
  std::string start = fake->Folder("start");
  ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
  ASSERT_EQ(start[1], ':');
  const std::string root = start.substr(0, 3);  // the starting folder's drive
  fake->programDir = root;
  SetIni("Options", "NT", "1");
  for (const char* name : {"History.Database", "Newsgroups"})
    ASSERT_TRUE(WriteFileBytes(start + "\\" + name, "not the program's"));
  const std::string rootDump = root + "Cookies.Database";
  FileGuard rootDumpGuard(rootDump);
  ASSERT_FALSE(FileExists(rootDump)) << "left over at the root";

  Start();
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(lstrcmpiA(cwd, root.c_str()), 0) << cwd;
  EXPECT_EQ(Ini("CopyMe", "which"), root + "MOPWELL.BKM");
  EXPECT_EQ(std::string(helpLoc), root + "MOPWELL.HLP");

  ASSERT_TRUE(WriteFileBytes(rootDump, "secret"));
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(FileExists(rootDump)) << "the program's own dump file";
  for (const char* name : {"History.Database", "Newsgroups"}) {
    std::string kept;
    EXPECT_TRUE(ReadFileBytes(start + "\\" + name, kept) && kept == "not the program's") << name;
  }
}

// ---- first run: the tray program goes into the Startup folder ----

// The tray program's source has a fixed place in the prefix's own Windows
// folder, outside any scratch folder: these tests take turns with it
// (across test processes), and each removes it again however it ends, so
// no other test, nor a first start of the real program, finds it there.
class TrayInstallTest : public MainWindowTest {
 protected:
  void SetUp() override {
    turn = CreateMutexA(nullptr, FALSE, "mopwell-tests-tray-source");
    ASSERT_NE(turn, nullptr);
    DWORD waited = WaitForSingleObject(turn, 120000);
    ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << waited;
    owned = true;
    MainWindowTest::SetUp();
    // Where the installation puts the tray program.
    for (const char* dir : kSourceDirs) CreateDirectoryA(dir, nullptr);
    ASSERT_TRUE(WriteFileBytes(kSource, "tray program"));
    startup = fake->root + "\\Startup";
    CreateDirectoryA(startup.c_str(), nullptr);
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    DeleteFileA(kSource);
    // Innermost first; a folder that holds anything else stays.
    for (int i = 2; i >= 0; --i) RemoveDirectoryA(kSourceDirs[i]);
    EXPECT_FALSE(FileExists(kSource));
    if (owned) ReleaseMutex(turn);
    if (turn) CloseHandle(turn);
  }
  const char* kSourceDirs[3] = {"C:\\WINDOWS\\STARTM~1", "C:\\WINDOWS\\STARTM~1\\Programs",
                                "C:\\WINDOWS\\STARTM~1\\Programs\\StartUp"};
  const char* kSource = "C:\\WINDOWS\\STARTM~1\\Programs\\StartUp\\vesko.exe";
  std::string startup;
  HANDLE turn = nullptr;
  bool owned = false;
};

TEST_F(TrayInstallTest, CopiedIntoTheStartupFolderOnFirstRun) {
  SetRegText(fake->hkcu, kShellFolders, "Startup", startup);
  Start();
  std::string copied;
  ASSERT_TRUE(ReadFileBytes(startup + "\\vesko.exe", copied));
  EXPECT_EQ(copied, "tray program");
}

TEST_F(TrayInstallTest, AnExistingTrayProgramIsNotReplaced) {
  SetRegText(fake->hkcu, kShellFolders, "Startup", startup);
  WriteFileBytes(startup + "\\vesko.exe", "user's own");
  Start();
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(startup + "\\vesko.exe", kept));
  EXPECT_EQ(kept, "user's own");
}

TEST_F(TrayInstallTest, NotCopiedOnceSetUp) {
  SetRegText(fake->hkcu, kShellFolders, "Startup", startup);
  SetIni("Options", "NT", "1");
  Start();
  EXPECT_FALSE(FileExists(startup + "\\vesko.exe"));
}

TEST_F(TrayInstallTest, LongStartupPathsAreUsedWholeOrNotAtAll) {
  // Longer than the 190 bytes a fixed buffer would hold, still a valid path.
  std::string deep = startup;
  while (deep.size() < 200) {
    deep += "\\folder0123456789";
    CreateDirectoryA(deep.c_str(), nullptr);
  }
  SetRegText(fake->hkcu, kShellFolders, "Startup", deep);
  Start();
  EXPECT_TRUE(FileExists(deep + "\\vesko.exe"));
}

TEST_F(TrayInstallTest, AStartupValueTooLongForAPathCopiesNothing) {
  std::string huge = startup + "\\" + std::string(400, 'x');
  SetRegText(fake->hkcu, kShellFolders, "Startup", huge);
  Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(fake->boxes.size(), 1u);
}

TEST_F(TrayInstallTest, MissingShellFoldersKeySkipsTheCopySilently) {
  Start();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(FileExists(startup + "\\vesko.exe"));
  EXPECT_EQ(fake->boxes.size(), 1u);
}

// ---- page switching ----

TEST_F(MainWindowTest, SwitchingTabsKeepsExactlyOnePageAlive) {
  SetIni("Options", "NT", "1");
  Start();
  struct Row {
    int tab;
    HWND* slot;
    int dialog;
  } rows[] = {{1, &hWndDialog2, IDD_VIEWER},   {2, &hWndDialog3, IDD_KEEPER},
              {3, &hWndDialog4, IDD_SETTINGS}, {4, &hWndDialog5, IDD_PREFS},
              {5, &hWndDialog6, IDD_DOCS},     {0, &hWndDialog1, IDD_CLEAN}};
  HWND previous = hWndDialog1;
  for (const Row& row : rows) {
    SelectTab(row.tab);
    EXPECT_FALSE(IsWindow(previous)) << "page left at tab " << row.tab;
    EXPECT_EQ(CurrentPage, row.tab);
    ASSERT_TRUE(IsWindow(*row.slot)) << row.tab;
    EXPECT_TRUE(IsWindowVisible(*row.slot));
    EXPECT_EQ(GetParent(*row.slot), htab);
    EXPECT_EQ(LivePages(), 1);
    previous = *row.slot;
  }
}

TEST_F(MainWindowTest, EachTabShowsItsOwnDialog) {
  SetIni("Options", "NT", "1");
  Start();
  // A control that only that page has.
  EXPECT_NE(GetDlgItem(hWndDialog1, IDB_CLEAN), nullptr);
  SelectTab(1);
  HWND viewer = hWndDialog2;
  SelectTab(0);
  EXPECT_NE(GetDlgItem(hWndDialog1, 125), nullptr);
  EXPECT_FALSE(IsWindow(viewer));
}

TEST_F(MainWindowTest, LeavingTheViewerWipesItsDumpFiles) {
  SetIni("Options", "NT", "1");
  Start();
  SelectTab(1);
  for (const char* name : kDumpFiles) ASSERT_TRUE(WriteFileBytes(fake->InProgram(name), "secret"));
  // A working directory changed meanwhile (a chooser, say) does not turn
  // the wipe on files of the same names there.
  std::string elsewhere = fake->Folder("elsewhere");
  ASSERT_TRUE(WriteFileBytes(elsewhere + "\\History.Database", "not a dump"));
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
  WipeRecord wiped;
  SelectTab(2);
  SetCurrentDirectoryA(fake->programDir.c_str());
  for (const char* name : kDumpFiles) EXPECT_FALSE(FileExists(fake->InProgram(name))) << name;
  wiped.ExpectTheDumpFilesOverwritten(fake->programDir);
  std::string kept;
  EXPECT_TRUE(ReadFileBytes(elsewhere + "\\History.Database", kept));
  EXPECT_EQ(kept, "not a dump");
  EXPECT_FALSE(IsWindow(hWndDialog2));
}

TEST_F(MainWindowTest, LeavingOtherTabsKeepsDumpFiles) {
  SetIni("Options", "NT", "1");
  Start();
  WriteFileBytes(fake->InProgram("Cookies.Database"), "x");
  SelectTab(2);
  SelectTab(3);
  EXPECT_TRUE(FileExists(fake->InProgram("Cookies.Database")));
}

TEST_F(MainWindowTest, LeavingTheViewerWithoutDumpFilesCreatesNone) {
  SetIni("Options", "NT", "1");
  Start();
  SelectTab(1);
  SelectTab(0);
  for (const char* name : kDumpFiles) EXPECT_FALSE(FileExists(fake->InProgram(name))) << name;
  EXPECT_EQ(LivePages(), 1);
}

TEST_F(MainWindowTest, AnUnknownCurrentPageDestroysNothing) {
  SetIni("Options", "NT", "1");
  Start();
  HWND page = hWndDialog1;
  CurrentPage = 9;
  NMHDR hdr{htab, 0, static_cast<UINT>(TCN_SELCHANGING)};
  SendMessageA(main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_TRUE(IsWindow(page));
}

TEST_F(MainWindowTest, KeyboardTabSwitchGoesThroughTheSameNotifications) {
  SetIni("Options", "NT", "1");
  Start();
  SetFocus(htab);
  SendMessageA(htab, WM_KEYDOWN, VK_RIGHT, 0);
  Pump();
  EXPECT_EQ(CurrentPage, 1);
  EXPECT_TRUE(IsWindow(hWndDialog2));
  EXPECT_FALSE(IsWindow(hWndDialog1));
}

// ---- layout ----

TEST_F(MainWindowTest, ResizingStoresTheSizeAndFitsTheTabControl) {
  SetIni("Options", "NT", "1");
  Start();
  SetWindowPos(main, nullptr, 75, 67, 530, 400, SWP_NOZORDER);
  Pump();
  EXPECT_EQ(Ini("customs", "sizeX"), "530");
  EXPECT_EQ(Ini("customs", "sizeY"), "400");
  ExpectTabControlFills(main);
}

TEST_F(MainWindowTest, ADraggedWindowJumpsBackAndKeepsItsRightAndBottomEdges) {
  SetIni("Options", "NT", "1");
  Start();
  SetWindowPos(main, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  SelectTab(2);  // clicking a tab runs the layout step
  RECT r = WindowRect(main);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.top, 67);
  EXPECT_EQ(r.right - r.left, 478 + 25);
  EXPECT_EQ(r.bottom - r.top, 358 + 13);
  EXPECT_EQ(Ini("customs", "sizeX"), "503");
  EXPECT_EQ(Ini("customs", "sizeY"), "371");
}

TEST_F(MainWindowTest, OtherNotificationsAndControlCommandsRunTheLayoutStep) {
  SetIni("Options", "NT", "1");
  Start();
  SetWindowPos(main, nullptr, 85, 67, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  NMHDR hdr{htab, 0, static_cast<UINT>(NM_CLICK)};
  SendMessageA(main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(WindowRect(main).left, 75);
  EXPECT_EQ(Ini("customs", "sizeX"), "488");

  SetWindowPos(main, nullptr, 75, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(htab));
  EXPECT_EQ(WindowRect(main).top, 67);
  EXPECT_EQ(Ini("customs", "sizeY"), "368");
  EXPECT_TRUE(IsWindow(main));
}

// A minimized window's rectangle is its icon's; storing it made the next
// start open as a narrow strip. Each way to minimize, and every message
// that runs the layout step while minimized, leaves the stored size alone;
// the restore stores the restored size again.
TEST_F(MainWindowTest, MinimizingNeverStoresASizeAndRestoringStoresTheRestoredOne) {
  SetIni("Options", "NT", "1");
  SetIni("customs", "sizeX", "530");
  SetIni("customs", "sizeY", "400");
  Start();
  ASSERT_EQ(Ini("customs", "sizeX"), "530");
  ASSERT_EQ(Ini("customs", "sizeY"), "400");
  struct Way {
    const char* name;
    std::function<void()> minimize;
  } ways[] = {
      {"ShowWindow", [&] { ShowWindow(main, SW_MINIMIZE); }},
      {"SC_MINIMIZE", [&] { SendMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
  };
  for (const Way& way : ways) {
    way.minimize();
    Pump();
    ASSERT_TRUE(IsIconic(main)) << way.name;
    EXPECT_EQ(Ini("customs", "sizeX"), "530") << way.name;
    EXPECT_EQ(Ini("customs", "sizeY"), "400") << way.name;

    // Messages that run the layout step while the window is minimized.
    SendMessageA(main, WM_SIZE, SIZE_MINIMIZED, 0);
    SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 100));
    NMHDR hdr{htab, 0, static_cast<UINT>(NM_CLICK)};
    SendMessageA(main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(htab));
    SelectTab(2);
    SelectTab(0);
    Pump();
    EXPECT_TRUE(IsIconic(main)) << way.name;
    EXPECT_EQ(Ini("customs", "sizeX"), "530") << way.name;
    EXPECT_EQ(Ini("customs", "sizeY"), "400") << way.name;

    // The restore stores the restored size: take it away first to see it come back.
    WritePrivateProfileStringA("customs", nullptr, nullptr, fake->IniPath().c_str());
    ShowWindow(main, SW_RESTORE);
    Pump();
    ASSERT_FALSE(IsIconic(main)) << way.name;
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 75) << way.name;
    EXPECT_EQ(r.top, 67) << way.name;
    EXPECT_EQ(r.right - r.left, 530) << way.name;
    EXPECT_EQ(r.bottom - r.top, 400) << way.name;
    EXPECT_EQ(Ini("customs", "sizeX"), "530") << way.name;
    EXPECT_EQ(Ini("customs", "sizeY"), "400") << way.name;
  }
}

TEST_F(MainWindowTest, AMinimizeNotificationToARestoredWindowStoresNothing) {
  SetIni("Options", "NT", "1");
  Start();
  WritePrivateProfileStringA("customs", nullptr, nullptr, fake->IniPath().c_str());
  SendMessageA(main, WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(Ini("customs", "sizeX"), "<absent>");
  EXPECT_EQ(Ini("customs", "sizeY"), "<absent>");
}

// The window has no maximize box, but a program or a shortcut can still
// maximize it. The screen-sized rectangle is not a restored size: it is not
// stored, and the window is not pulled to 75,67 while maximized; the tab
// control still fills it.
TEST_F(MainWindowTest, AMaximizedWindowStoresNoSizeAndFitsTheTabControl) {
  SetIni("Options", "NT", "1");
  SetIni("customs", "sizeX", "530");
  SetIni("customs", "sizeY", "400");
  Start();
  ShowWindow(main, SW_MAXIMIZE);
  Pump();
  ASSERT_TRUE(IsZoomed(main));
  RECT maximized = WindowRect(main);
  ASSERT_GT(maximized.right - maximized.left, 530) << "not maximized to a larger size";
  NMHDR hdr{htab, 0, static_cast<UINT>(NM_CLICK)};
  SendMessageA(main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  SelectTab(3);
  EXPECT_EQ(Ini("customs", "sizeX"), "530");
  EXPECT_EQ(Ini("customs", "sizeY"), "400");
  EXPECT_TRUE(IsZoomed(main));
  RECT now = WindowRect(main);
  EXPECT_EQ(now.left, maximized.left);
  EXPECT_EQ(now.right, maximized.right);
  ExpectTabControlFills(main);

  WritePrivateProfileStringA("customs", nullptr, nullptr, fake->IniPath().c_str());
  ShowWindow(main, SW_RESTORE);
  Pump();
  RECT r = WindowRect(main);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.right - r.left, 530);
  EXPECT_EQ(Ini("customs", "sizeX"), "530");
  EXPECT_EQ(Ini("customs", "sizeY"), "400");
}

// ---- system menu ----

TEST_F(MainWindowTest, SystemMenuAlwaysOffersTheVersion) {
  Start();
  EXPECT_EQ(MenuText(IDM_VERSION), "Display version #");
  EXPECT_EQ(MenuText(IDM_COPYDIAG), "");
  EXPECT_EQ(MenuText(IDM_STOPAOL), "");
  HMENU menu = GetSystemMenu(main, FALSE);
  int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_VERSION));
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(menu, count - 2, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_SEPARATOR);
}

TEST_F(MainWindowTest, CopyDiagnosticsIsOfferedOnlyForLowerCaseMoo) {
  struct Case {
    const char* cow;
    bool offered;
  } cases[] = {{"moo", true}, {"xmoo", true}, {"MOO", false}, {"oom", false}, {nullptr, false}};
  for (const Case& c : cases) {
    SetIni("Options", "cow", c.cow);
    Start();
    EXPECT_EQ(MenuText(IDM_COPYDIAG), c.offered ? "Copy diagnostics" : "") << (c.cow ? c.cow : "absent");
    DestroyWindow(main);
    Pump();
  }
}

TEST_F(MainWindowTest, StopMessengerIsOfferedForValuesLongerThanFive) {
  SetRegText(fake->hkcu, kRunKey, kMessenger, "C:\\AIM\\aim.exe -cnetwait.odl");
  Start();
  EXPECT_EQ(MenuText(IDM_STOPAOL), "Stop AOL Messenger on bootup");
  DestroyWindow(main);
  Pump();
  SetRegText(fake->hkcu, kRunKey, kMessenger, "aim.x");  // five characters
  Start();
  EXPECT_EQ(MenuText(IDM_STOPAOL), "");
}

TEST_F(MainWindowTest, VersionCommandShowsTheBuildNumber) {
  Start();
  fake->boxes.clear();
  SendMessageA(main, WM_SYSCOMMAND, IDM_VERSION, 0);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Mopwell build number:");
  EXPECT_EQ(fake->boxes[0].text, "4.50.002");
  EXPECT_EQ(fake->boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(fake->boxes[0].owner, nullptr);
  // The same command arrives as a plain command, too.
  SendMessageA(main, WM_COMMAND, IDM_VERSION, 0);
  EXPECT_EQ(fake->boxes.size(), 2u);
}

namespace {
std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return "<no clipboard>";
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data) {
    const char* p = static_cast<const char*>(GlobalLock(data));
    if (p) text = p;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}
}  // namespace

// The clipboard is shared with every other test program running at the
// same time: tests that look at it take turns.
class ClipboardTurn {
 public:
  ClipboardTurn() : mutex_(CreateMutexA(nullptr, FALSE, "MopwellTestsClipboard")) {
    WaitForSingleObject(mutex_, 60000);
  }
  ~ClipboardTurn() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

TEST_F(MainWindowTest, CopyDiagnosticsPutsTheIniFileOnTheClipboard) {
  ClipboardTurn turn;
  SetIni("Options", "cow", "moo");
  SetIni("Diagnostics", "Version", "MPW450");
  Start();
  std::string ini;
  ASSERT_TRUE(ReadFileBytes(fake->IniPath(), ini));
  fake->boxes.clear();
  SendMessageA(main, WM_SYSCOMMAND, IDM_COPYDIAG, 0);
  EXPECT_EQ(ClipboardText(main), ini);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Clipboard:");
  EXPECT_EQ(fake->boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(fake->boxes[0].text,
            std::string("Diagnostics data has been copied. You may now send an email and paste the "
                        "diagnostics data into your email to ") + kSupportMail + ".");
}

TEST_F(MainWindowTest, CopyDiagnosticsTakesAtMost8191Bytes) {
  ClipboardTurn turn;
  SetIni("Options", "cow", "moo");
  Start();
  for (int i = 0; i < 400; ++i)
    SetIni("Diagnostics", ("Key" + std::to_string(i)).c_str(), "0123456789012345678901234567890");
  std::string ini;
  ASSERT_TRUE(ReadFileBytes(fake->IniPath(), ini));
  ASSERT_GT(ini.size(), 8192u);
  SendMessageA(main, WM_SYSCOMMAND, IDM_COPYDIAG, 0);
  std::string clip = ClipboardText(main);
  EXPECT_EQ(clip.size(), 8191u);
  EXPECT_EQ(clip, ini.substr(0, 8191));
}

TEST_F(MainWindowTest, CopyDiagnosticsWithoutAFileSaysSo) {
  ClipboardTurn turn;
  SetIni("Options", "NT", "1");
  Start();
  DeleteFileA(fake->IniPath().c_str());
  SendMessageA(main, WM_SYSCOMMAND, IDM_COPYDIAG, 0);
  EXPECT_EQ(ClipboardText(main), "MOPWELL.INI could not be read.");
}

TEST_F(MainWindowTest, StopMessengerRemovesTheRunValueAndKeepsTheCommand) {
  SetIni("Options", "NT", "1");
  SetRegText(fake->hkcu, kRunKey, kMessenger, "C:\\AIM\\aim.exe");
  SetRegText(fake->hkcu, kRunKey, "Other", "C:\\other.exe");
  Start();
  SendMessageA(main, WM_SYSCOMMAND, IDM_STOPAOL, 0);
  std::string value;
  EXPECT_FALSE(GetRegText(fake->hkcu, kRunKey, kMessenger, value));
  EXPECT_TRUE(GetRegText(fake->hkcu, kRunKey, "Other", value));
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Removed!");
  EXPECT_EQ(fake->boxes[0].text, "AOL is gone from bootup.");
  EXPECT_EQ(fake->boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(MenuText(IDM_STOPAOL), "Stop AOL Messenger on bootup");
  // Again: the key still opens, so the message comes again.
  SendMessageA(main, WM_SYSCOMMAND, IDM_STOPAOL, 0);
  EXPECT_EQ(fake->boxes.size(), 2u);
}

TEST_F(MainWindowTest, StopMessengerWithoutRunKeyShowsNothing) {
  SetIni("Options", "NT", "1");
  Start();
  SendMessageA(main, WM_COMMAND, IDM_STOPAOL, 0);
  EXPECT_TRUE(fake->boxes.empty());
}

// ---- ending ----

TEST_F(MainWindowTest, CloseWipesDumpFilesAndEndsWithCodeZero) {
  SetIni("Options", "NT", "1");
  Start();
  for (const char* name : kDumpFiles) WriteFileBytes(fake->InProgram(name), "secret");
  WriteFileBytes(fake->InProgram("unrelated.txt"), "stays");
  WipeRecord wiped;
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(Pump(), 0);
  for (const char* name : kDumpFiles) EXPECT_FALSE(FileExists(fake->InProgram(name))) << name;
  wiped.ExpectTheDumpFilesOverwritten(fake->programDir);
  EXPECT_TRUE(FileExists(fake->InProgram("unrelated.txt")));
  // Page code still running when the window went (it was inside a box)
  // shows no further box; the next window shows them again.
  const std::size_t boxes = fake->boxes.size();
  EXPECT_EQ(plat::Prompt(nullptr, "Too late", "Whoops!", MB_OK), IDCANCEL);
  EXPECT_EQ(fake->boxes.size(), boxes);
  Start();
  const std::size_t shown = fake->boxes.size();
  fake->answers = {IDOK};
  EXPECT_EQ(plat::Prompt(nullptr, "In time", "Whoops!", MB_OK), IDOK);
  ASSERT_EQ(fake->boxes.size(), shown + 1);
  EXPECT_EQ(fake->boxes.back().text, "In time");
}

TEST_F(MainWindowTest, OkOrCancelReachingTheWindowDestroysItWithoutTheCloseSequence) {
  for (int id : {IDOK, IDCANCEL}) {
    SetIni("Options", "NT", "1");
    Start();
    WriteFileBytes(fake->InProgram("Cookies.Database"), "x");
    EXPECT_EQ(SendMessageA(main, WM_COMMAND, id, 0), 1);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(Pump(), 0);
    EXPECT_TRUE(FileExists(fake->InProgram("Cookies.Database")));
    DeleteFileA(fake->InProgram("Cookies.Database").c_str());
  }
}

TEST_F(MainWindowTest, OtherCommandsAreLeftToDefaultProcessing) {
  SetIni("Options", "NT", "1");
  Start();
  SendMessageA(main, WM_COMMAND, 5555, 0);
  SendMessageA(main, WM_SYSCOMMAND, 736, 0);
  Pump();
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(fake->boxes.empty());
}

TEST_F(MainWindowTest, MessageLoopReturnsTheQuitCodeAndSkipsDeadPageSlots) {
  SetIni("Options", "NT", "1");
  Start();
  SelectTab(1);
  SelectTab(2);  // hWndDialog1 and hWndDialog2 now hold dead handles
  ASSERT_FALSE(IsWindow(hWndDialog1));
  PostMessageA(main, WM_NULL, 0, 0);
  PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(), 7);
}

TEST_F(MainWindowTest, DiscoveryCopiesTheCacheFolderForThePages) {
  SetIni("Options", "NT", "1");
  Start();
  EXPECT_STREQ(szCacheIn, szCacheLoc);
}

TEST_F(MainWindowTest, PageControlsAnswerTheUserInsideTheTab) {
  SetIni("Options", "NT", "1");
  Start();
  HWND box = GetDlgItem(hWndDialog1, 111);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ControlText(hWndDialog1, 111), "Remove your unwanted cookies");
  EXPECT_EQ(IsDlgButtonChecked(hWndDialog1, 111), BST_UNCHECKED);
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(hWndDialog1, 111), BST_CHECKED);
  // The page lies inside the tab control's client area, under the tabs.
  RECT page, tab;
  GetWindowRect(hWndDialog1, &page);
  GetWindowRect(htab, &tab);
  EXPECT_GE(page.left, tab.left);
  EXPECT_GT(page.top, tab.top);
}

TEST_F(MainWindowTest, ASizeMessageAloneStoresTheWindowSize) {
  SetIni("Options", "NT", "1");
  Start();
  WritePrivateProfileStringA("customs", nullptr, nullptr, fake->IniPath().c_str());
  SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 100));
  EXPECT_EQ(Ini("customs", "sizeX"), "478");
  EXPECT_EQ(Ini("customs", "sizeY"), "358");
}

// Enter or Escape on the viewer tab ends the program without closing the
// window first: the dump files go all the same.
TEST_F(MainWindowTest, EndingTheProgramFromTheViewerWipesItsDumpFiles) {
  SetIni("Options", "NT", "1");
  Start();
  SelectTab(1);
  for (const char* name : kDumpFiles) ASSERT_TRUE(WriteFileBytes(fake->InProgram(name), "secret"));
  WipeRecord wiped;
  PostMessageA(hWndDialog2, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  for (const char* name : kDumpFiles) EXPECT_FALSE(FileExists(fake->InProgram(name))) << name;
  wiped.ExpectTheDumpFilesOverwritten(fake->programDir);
}
