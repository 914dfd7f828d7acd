#include "tray_recorder.h"

#include <vector>

namespace {

// The picture of an icon: its size, colour bits and mask bits.
std::string Bits(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return std::string();
  std::string bits;
  HDC dc = GetDC(nullptr);
  for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) continue;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<char> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight * 4);
    GetDIBits(dc, bitmap, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    bits += std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight) + ":";
    bits.append(pixels.begin(), pixels.end());
  }
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bits;
}

std::string ResourceBits(const char* name) {
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  std::string bits = Bits(icon);
  if (icon) DestroyIcon(icon);
  return bits;
}

std::string CurrentDirectory() {
  char cwd[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  return cwd;
}

}  // namespace

std::string IconName(HICON icon) {
  if (!icon) return "none";
  static const std::string green = ResourceBits("GRN");
  static const std::string red = ResourceBits("RED");
  std::string bits = Bits(icon);
  if (!bits.empty() && bits == green) return "GRN";
  if (!bits.empty() && bits == red) return "RED";
  return "other";
}

std::string Describe(const TrayCall& call) {
  const char* what = call.message == NIM_ADD ? "ADD" : call.message == NIM_MODIFY ? "MOD"
                     : call.message == NIM_DELETE ? "DEL" : "???";
  if (call.message == NIM_DELETE) return std::string(what) + " " + std::to_string(call.id);
  return std::string(what) + " " + std::to_string(call.id) + " " + call.icon + " " +
         std::to_string(call.callback) + " " + call.tip;
}

TrayRecorder::TrayRecorder(bool passThrough)
    : passThrough_(passThrough), instanceName_("vesko-tests-" + std::to_string(GetCurrentProcessId())) {
  vesko::InstallShell(this);
}

TrayRecorder::~TrayRecorder() { vesko::InstallShell(nullptr); }

BOOL TrayRecorder::NotifyIcon(DWORD message, NOTIFYICONDATAA* data) {
  TrayCall call{message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage,
                message == NIM_DELETE ? std::string() : IconName(data->hIcon),
                message == NIM_DELETE ? std::string() : std::string(data->szTip)};
  calls.push_back(call);
  if (onCall) onCall(call);
  if (noTaskbar) return FALSE;
  return passThrough_ ? vesko::Shell::NotifyIcon(message, data) : TRUE;
}

UINT TrayRecorder::Exec(const char* cmdLine, UINT show) {
  ExecCall call{cmdLine ? cmdLine : "", show, CurrentDirectory()};
  execs.push_back(call);
  if (onExec) onExec(call);
  return passThrough_ ? vesko::Shell::Exec(cmdLine, show) : 33;
}

DWORD TrayRecorder::Wait(DWORD count, const HANDLE* handles) {
  waitCounts.push_back(count);
  return vesko::Shell::Wait(count, handles);
}
