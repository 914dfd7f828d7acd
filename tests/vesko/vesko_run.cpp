#include "vesko_run.h"

VeskoRun* VeskoRun::current_ = nullptr;

namespace {
constexpr DWORD kStepPatience = 20000;  // a step not ready by then never will be
constexpr UINT kTickMs = 10;

struct DialogSearch {
  HWND found;
  int count;
};

BOOL CALLBACK VisitThreadWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<DialogSearch*>(lp);
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_REMOVE_ICON)) {
    if (!s->found) s->found = hwnd;
    ++s->count;
  }
  return TRUE;
}
}  // namespace

void VeskoRun::TearDown() {
  // A run ended by a quit from outside leaves the window (as the program
  // would); take it away with everything it still had queued.
  if (vesko::hWndMain && IsWindow(vesko::hWndMain)) DestroyWindow(vesko::hWndMain);
  vesko::hWndMain = nullptr;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void VeskoRun::Then(const std::string& what, std::function<bool()> ready, std::function<void()> act) {
  steps_.push_back({what, std::move(ready), std::move(act)});
}

void VeskoRun::ThenQuit(int code) {
  Then("quit", [] { return true; },
       [this, code] {
         callsAtQuit_ = tray.calls.size();
         PostQuitMessage(code);
       });
}

int VeskoRun::Run(bool allSteps) {
  current_ = this;
  next_ = 0;
  callsAtQuit_ = SIZE_MAX;
  stepStart_ = GetTickCount();
  UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, Tick);
  int result = vesko::ProgramMain(GetModuleHandleA(nullptr), nullptr);
  KillTimer(nullptr, timer);
  current_ = nullptr;
  if (allSteps) {
    EXPECT_EQ(next_, steps_.size()) << "the program ended before step " << next_;
  }
  steps_.clear();
  return result;
}

void CALLBACK VeskoRun::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current_) current_->Advance();
}

void VeskoRun::Advance() {
  if (busy_ || next_ >= steps_.size()) return;
  busy_ = true;
  Step& step = steps_[next_];
  if (step.ready()) {
    ++next_;
    stepStart_ = GetTickCount();
    if (step.act) step.act();
  } else if (GetTickCount() - stepStart_ > kStepPatience) {
    ADD_FAILURE() << "never came: " << step.what;
    next_ = steps_.size();
    PostQuitMessage(99);
  }
  busy_ = false;
}

std::vector<TrayCall> VeskoRun::Calls(DWORD message) const {
  std::vector<TrayCall> out;
  for (const TrayCall& c : tray.calls)
    if (c.message == message) out.push_back(c);
  return out;
}

std::vector<TrayCall> VeskoRun::CallsBeforeQuit(DWORD message) const {
  std::vector<TrayCall> out;
  for (size_t i = 0; i < tray.calls.size() && i < callsAtQuit_; ++i)
    if (tray.calls[i].message == message) out.push_back(tray.calls[i]);
  return out;
}

bool VeskoRun::Shows(const std::string& icon, const std::string& tip) const {
  for (auto it = tray.calls.rbegin(); it != tray.calls.rend(); ++it)
    if (it->message != NIM_DELETE) return it->icon == icon && it->tip == tip;
  return false;
}

HWND VeskoRun::OpenDialog(int* count) const {
  DialogSearch s{nullptr, 0};
  EnumThreadWindows(GetCurrentThreadId(), VisitThreadWindow, reinterpret_cast<LPARAM>(&s));
  if (count) *count = s.count;
  return s.found;
}

void VeskoRun::DoubleClickIcon() const {
  PostMessageA(vesko::hWndMain, WM_VESKO_ICON, VESKO_ICON_ID, WM_LBUTTONDBLCLK);
}

void VeskoRun::PressInDialog(int id) const {
  HWND dlg = OpenDialog();
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

bool VeskoRun::ClaimFree() const {
  HANDLE probe = CreateMutexA(nullptr, FALSE, tray.InstanceName());
  DWORD error = GetLastError();
  if (probe) CloseHandle(probe);
  return probe && error != ERROR_ALREADY_EXISTS;
}

void VeskoRun::WriteIni(const char* section, const char* key, const char* value, const char* file) {
  WritePrivateProfileStringA(section, key, value, Ini(file).c_str());
}

void VeskoRun::Profile(const std::string& name, const char* userID) {
  std::string folder = platform.Folder("profiles\\" + name);
  if (userID) WritePrivateProfileStringA("Options", "userID", userID, (folder + "\\MPW-ID.INI").c_str());
}

void VeskoRun::SetNavigatorUser(const char* key, const std::string& name) {
  SetRegText(platform.hkcu, key, "CurrentUser", name);
}

std::string VeskoRun::CurrentDirectory() {
  char cwd[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  return cwd;
}
