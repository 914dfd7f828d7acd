// The main window: a tab control with six pages, one page dialog alive at a
// time; first run, the system-menu commands, the pinned layout and the
// close sequence.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/diag_switch.h"
#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "platform.h"
#include "registry.h"
#include "resource.h"
#include "text/bounded.h"
#include "wipe.h"

const char kFirstRunTitle[] = "IMPORTANT! PLEASE READ THIS!";
const char kFirstRunText[] =
    "Thank you for purchasing Mopwell Quorvix.\n\nYour Mopwell program needs to be setup first. "
    "Please click on the 'Settings' tab IMMEDIATELY and fill in ALL the information. Particularly "
    "important is telling Mopwell which version of Netscape you're using. You also need to be SURE "
    "your identity information is correct and you must enter alias information.\n\nNext you'll "
    "need to hit the 'Preferences' tab and tell Mopwell how you want it to handle things for "
    "you.\n\nPlease refer to the Documentation tab for details on any of the tabs.";
const char kSupportMail[] = "support@mopwell.example";
const char kSupportWeb[] = "www.mopwell.example";

namespace {

constexpr int kLeft = 75;
constexpr int kTop = 67;
constexpr DWORD kMainStyle = 0x00CE2000;  // caption, system menu, sizing border, minimize box

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kMessengerValue[] = "AOL Instant Messenger (TM)";
constexpr char kTrayProgramSource[] = "C:\\WINDOWS\\STARTM~1\\Programs\\StartUp\\vesko.exe";

struct PageRow {
  const char* label;
  int dialog;
  DLGPROC proc;
  HWND* slot;
};

// Index 6 is the welcome page: no tab of its own.
const PageRow kPages[7] = {
    {"Mopwell", IDD_CLEAN, DlgProc1, &hWndDialog1},
    {"Glimso", IDD_VIEWER, DlgProc2, &hWndDialog2},
    {"Fettlor", IDD_KEEPER, DlgProc3, &hWndDialog3},
    {"Settings", IDD_SETTINGS, DlgProc4, &hWndDialog4},
    {"Preferences", IDD_PREFS, DlgProc5, &hWndDialog5},
    {"Documentation", IDD_DOCS, DlgProc6, &hWndDialog6},
    {nullptr, IDD_WELCOME, DlgProc1, &hWndDialog1},
};

std::string g_fontFile;  // the dialog font resource added at start, if any

// ---- small helpers ----

// ---- startup ----

void RegisterDialogFont() {
  char cwd[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  if (n == 0 || n >= sizeof cwd) return;
  std::string dir(cwd);
  if (dir.back() != '\\') dir += '\\';
  std::string ttf = dir + "Verdana.ttf";
  std::string fot = dir + "Verdana.fot";
  if (GetFileAttributesA(ttf.c_str()) != INVALID_FILE_ATTRIBUTES)
    CreateScalableFontResourceA(0, fot.c_str(), ttf.c_str(), nullptr);
  if (AddFontResourceA(fot.c_str()) > 0) {
    g_fontFile = fot;
    // Tell the other windows; a window that hangs must not hang us.
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
  }
  SetCurrentDirectoryA(cwd);
}

void CreateTabs(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  htab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                         rc.right - rc.left, rc.bottom - rc.top, hwnd, nullptr, hInstance, nullptr);
  ShellOwner = htab;
  SendMessageA(htab, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  for (int i = 0; i < 6; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(kPages[i].label);
    item.iImage = -1;
    SendMessageA(htab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

// Copies the tray program into the user's Startup folder, never replacing
// a file already there. A Startup path too long for a file path is skipped
// rather than cut (a cut path names another folder).
void InstallTrayProgram() {
  std::string startup;
  if (reg::ReadText(plat::Hkcu(), kShellFolders, "Startup", startup) != reg::Read::Ok) return;
  std::string target = startup + "\\vesko.exe";
  if (startup.empty() || target.size() >= MAX_PATH) return;
  CopyFileA(kTrayProgramSource, target.c_str(), TRUE);
}

void FirstRun() {
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0);
  if (OSV != 0) return;
  plat::Prompt(nullptr, kFirstRunText, kFirstRunTitle, MB_ICONEXCLAMATION | MB_OK);
  InstallTrayProgram();
}

void BuildSystemMenu(HWND hwnd) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_VERSION, "Display version #");

  ini::GetString(szIniFile, kSecOptions, kKeyCow, kNotSet, szCommand, 150);
  if (diag::OffersCopyCommand(szCommand)) AppendMenuA(menu, MF_STRING, IDM_COPYDIAG, "Copy diagnostics");

  std::string messenger = "x";
  HKEY key;
  if (RegOpenKeyExA(plat::Hkcu(), kRunKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    reg::ReadText(key, kMessengerValue, messenger);
    RegCloseKey(key);
  }
  if (messenger.size() > 5) AppendMenuA(menu, MF_STRING, IDM_STOPAOL, "Stop AOL Messenger on bootup");
}

HWND CreatePage(int index) {
  const PageRow& row = kPages[index];
  HWND page = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(row.dialog), htab, row.proc, 0);
  *row.slot = page;
  ShowWindow(page, SW_SHOW);
  return page;
}

// Whether a main window other than `self` is open, in this or another
// process.
bool AnotherMainWindow(HWND self) {
  HWND other = nullptr;
  while ((other = FindWindowExA(nullptr, other, szAppName, nullptr)) != nullptr)
    if (other != self) return true;
  return false;
}

void OnCreate(HWND hwnd) {
  hWndMain = hwnd;
  plat::AllowPrompts(true);
  // The keep file, the bookmark template and the dump files are all found
  // through the working directory: make it the program's own folder.
  std::string programDir = plat::Get().ProgramDirectory();
  if (!programDir.empty()) SetCurrentDirectoryA(programDir.c_str());
  FormDumpFilePaths(programDir);
  // Dump files found at start were left by a run that never closed (a
  // crash, a power cut): wipe them, unless another Mopwell window is open
  // and may be showing them in the viewer right now.
  if (!AnotherMainWindow(hwnd)) WipeDumpFiles();

  RegisterDialogFont();
  CreateTabs(hwnd);
  FirstRun();
  CheckNSReg();
  getIt();
  text::CopyCut(szCacheIn, szCacheLoc);
  BuildSystemMenu(hwnd);

  CurrentPage = OSV != 0 ? 0 : 6;
  CreatePage(CurrentPage);
}

// ---- page switching ----

void DestroyCurrentPage() {
  switch (CurrentPage) {
    case 0:
    case 6: DestroyWindow(hWndDialog1); break;
    case 1:
      WipeDumpFiles();
      DestroyWindow(hWndDialog2);
      break;
    case 2: DestroyWindow(hWndDialog3); break;
    case 3: DestroyWindow(hWndDialog4); break;
    case 4: DestroyWindow(hWndDialog5); break;
    case 5: DestroyWindow(hWndDialog6); break;
    default: break;
  }
}

void ShowSelectedPage() {
  int selected = static_cast<int>(SendMessageA(htab, TCM_GETCURSEL, 0, 0));
  if (selected < 0 || selected > 6) return;
  CurrentPage = selected;
  CreatePage(selected);
}

// ---- layout: the window stays pinned at 75,67 ----

// The stored size is the one the next start opens with, so only a restored
// window's size is stored. A minimized window's rectangle is its icon's (a
// narrow strip somewhere on the screen), and moving it would move the icon:
// nothing is laid out until it is restored, which sends WM_SIZE again. A
// maximized window fills the screen: it is neither stored nor pinned, but
// the tab control still fills it; its restore stores the restored size.
void LayoutStep(HWND hwnd) {
  if (IsIconic(hwnd)) return;
  if (!IsZoomed(hwnd)) {
    RECT wr;
    GetWindowRect(hwnd, &wr);
    int width = wr.right - kLeft;
    int height = wr.bottom - kTop;
    ini::WriteInt(szIniFile, kSecCustoms, kKeySizeX, width);
    ini::WriteInt(szIniFile, kSecCustoms, kKeySizeY, height);
    MoveWindow(hwnd, kLeft, kTop, width, height, TRUE);
  }
  if (htab == nullptr) return;
  RECT rc;
  GetClientRect(hWndMain, &rc);
  SendMessageA(htab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&rc));
  rc.right -= 4;
  rc.bottom -= 4;
  MoveWindow(htab, 0, 0, rc.right, rc.bottom, TRUE);
}

// ---- system-menu commands ----

void ShowVersion() {
  plat::Prompt(nullptr, MOPWELL_BUILD, "Mopwell build number:", MB_ICONINFORMATION);
}

// The configuration file's first 8191 bytes as text; a note when it cannot
// be read, so a pasted mail still says what happened.
std::string DiagnosticsText() {
  std::string path = plat::InWindowsDirectory("mopwell.ini");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "MOPWELL.INI could not be read.";
  char buffer[8192];
  DWORD got = 0;
  BOOL ok = ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
  CloseHandle(file);
  if (!ok) return "MOPWELL.INI could not be read.";
  return std::string(buffer, text::BoundedLen(buffer, got));
}

void CopyDiagnostics() {
  if (!OpenClipboard(hWndMain)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 8192);
  if (block) {
    std::string content = DiagnosticsText();
    char* dst = static_cast<char*>(GlobalLock(block));
    text::CopyCut(dst, 8192, content);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  }
  // The clipboard is given back before the box waits for the user.
  CloseClipboard();
  std::string message =
      std::string("Diagnostics data has been copied. You may now send an email and paste the "
                  "diagnostics data into your email to ") +
      kSupportMail + ".";
  plat::Prompt(nullptr, message.c_str(), "Clipboard:", MB_ICONINFORMATION);
}

void StopMessengerAtBoot() {
  HKEY key = reg::OpenForWriting(plat::Hkcu(), kRunKey);
  if (!key) return;
  RegDeleteValueA(key, kMessengerValue);
  plat::Prompt(nullptr, "AOL is gone from bootup.", "Removed!", MB_ICONEXCLAMATION);
  RegCloseKey(key);
}

bool RunMenuCommand(WPARAM id) {
  switch (id) {
    case IDM_VERSION: ShowVersion(); return true;
    case IDM_COPYDIAG: CopyDiagnostics(); return true;
    case IDM_STOPAOL: StopMessengerAtBoot(); return true;
    default: return false;
  }
}

// ---- close ----

// What the program leaves behind when it ends: no dump file, no font.
void LeaveNothingBehind() {
  WipeDumpFiles();
  if (!g_fontFile.empty()) {
    RemoveFontResourceA(g_fontFile.c_str());
    g_fontFile.clear();
  }
}

void CloseSequence(HWND hwnd) {
  LeaveNothingBehind();
  DestroyWindow(hwnd);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      OnCreate(hwnd);
      return 1;
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr && hdr->code == static_cast<UINT>(TCN_SELCHANGING)) {
        DestroyCurrentPage();
        LayoutStep(hwnd);
        break;
      }
      if (hdr && hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
        ShowSelectedPage();
        return 0;
      }
      LayoutStep(hwnd);
      break;
    }
    case WM_COMMAND:
      if (lParam != 0) {
        LayoutStep(hwnd);
        break;
      }
      if (RunMenuCommand(LOWORD(wParam))) break;
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(hwnd);
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      RunMenuCommand(wParam);
      break;
    case WM_SIZE:
      // A minimize notification never lays out, whatever state the window
      // reads as.
      if (wParam != SIZE_MINIMIZED) LayoutStep(hwnd);
      break;
    case WM_CLOSE:
      CloseSequence(hwnd);
      return 1;
    case WM_QUERYENDSESSION:
      // Windows may end: nothing is left unsaved.
      return TRUE;
    case WM_ENDSESSION:
      // At logoff or shutdown the process is ended without WM_CLOSE or
      // WM_DESTROY: no copy of the browser's data may outlive it.
      if (wParam) LeaveNothingBehind();
      return 0;
    case WM_DESTROY:
      plat::AllowPrompts(false);
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterMainClass(HINSTANCE instance) {
  hInstance = instance;
  text::CopyCut(szAppName, "Mopwell");
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "tabs1");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  wc.lpszClassName = szAppName;
  return RegisterClassA(&wc) != 0;
}

HWND CreateMainWindow(int nCmdShow) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  int width = ini::GetInt(szIniFile, kSecCustoms, kKeySizeX, 478);
  int height = ini::GetInt(szIniFile, kSecCustoms, kKeySizeY, 358);
  HWND hwnd = CreateWindowA(szAppName, szAppName, kMainStyle, kLeft, kTop, width, height, nullptr,
                            nullptr, hInstance, nullptr);
  if (!hwnd) return nullptr;
  hWndMain = hwnd;
  ShowWindow(hwnd, nCmdShow);
  UpdateWindow(hwnd);
  return hwnd;
}

int RunMessageLoop() {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // However the program ends (a page's Enter or Escape ends it without
      // closing the window), no copy of the browser's data outlives it.
      WipeDumpFiles();
      return got == 0 ? static_cast<int>(msg.wParam) : 0;
    }
    HWND pages[6] = {hWndDialog1, hWndDialog2, hWndDialog3, hWndDialog4, hWndDialog5, hWndDialog6};
    bool taken = false;
    for (HWND page : pages) {
      // A slot keeps its last handle after the page is gone: skip those.
      if (page && IsWindow(page) && IsDialogMessageA(page, &msg)) {
        taken = true;
        break;
      }
    }
    if (!taken) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}
