// Opening and painting in the dump viewer: the real glimso window in this
// process, on a 4 GiB sparse file against a 4 KiB file. Each paint reads
// only the lines on show, so neither figure may grow with the file. A
// 64 KiB file is measured as well: it is the smallest of the three with
// more lines than the window shows, so its window has a vertical scroll bar
// to set and draw on every open, as the 4 GiB file's has and the 4 KiB
// file's has not.
//   glimso_bench_win [SCRATCH_FOLDER]
// Needs a display (the window is painted for real).
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "glimso.h"

namespace {

constexpr int kRounds = 200;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool MakeFile(const std::string& path, std::uint64_t length) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD none = 0;  // on Windows a file is sparse only when marked so
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &none, nullptr);
  // Text at both ends, nothing stored between.
  std::string text;
  while (text.size() < 4096) text += "TRUE\t/\tFALSE\t946684799\tNGUSER\tsomething-stored ";
  text.resize(static_cast<size_t>(length < 4096 ? length : 4096));
  DWORD wrote = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
  if (length > text.size()) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(length - text.size());
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
  }
  CloseHandle(h);
  return true;
}

struct Figures {
  double open, first, last;  // milliseconds each
};

Figures Measure(const std::string& path) {
  glimso::View = dump::View();
  glimso::FileName = path;
  HWND hwnd = glimso::CreateViewerWindow(GetModuleHandleA(nullptr));
  Pump();
  Figures f{};
  // Command 103: title, length, ranges, and the first page painted.
  auto start = bench::Clock::now();
  for (int i = 0; i < kRounds; ++i) SendMessageA(hwnd, WM_COMMAND, IDM_OPEN, 0);
  f.open = bench::SecondsSince(start) * 1000.0 / kRounds;
  start = bench::Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  }
  f.first = bench::SecondsSince(start) * 1000.0 / kRounds;
  SendMessageA(hwnd, WM_VSCROLL, SB_BOTTOM, 0);
  start = bench::Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  }
  f.last = bench::SecondsSince(start) * 1000.0 / kRounds;
  std::printf("%-10s %14llu bytes %10lld lines, last page from line %10lld | open+first paint %7.3f ms | "
              "first page %7.3f ms | last page %7.3f ms\n",
              path.substr(path.find_last_of('\\') + 1).c_str(),
              static_cast<unsigned long long>(glimso::FileLength), static_cast<long long>(glimso::View.lineCount),
              static_cast<long long>(glimso::View.firstLine), f.open, f.first, f.last);
  DestroyWindow(hwnd);
  Pump();
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = bench::ScratchFolder(argc, argv, "glimso-bench");
  std::string small = dir + "\\small.dat", medium = dir + "\\medium.dat", huge = dir + "\\huge.dat";
  if (!MakeFile(small, 4096) || !MakeFile(medium, 65536) || !MakeFile(huge, 4ull << 30)) {
    std::fprintf(stderr, "cannot write the files in %s\n", dir.c_str());
    return 1;
  }
  if (!glimso::RegisterViewerClass(GetModuleHandleA(nullptr))) return 1;
  std::printf("glimso open and paint, %d rounds each, maximized window (ratio = 4 GiB / 4 KiB)\n", kRounds);
  Figures s = Measure(small);
  Figures m = Measure(medium);
  Figures h = Measure(huge);
  std::printf("ratio 4 GiB / 4 KiB:  open+first paint %.2f | first page %.2f | last page %.2f\n", h.open / s.open,
              h.first / s.first, h.last / s.last);
  std::printf("ratio 4 GiB / 64 KiB: open+first paint %.2f | first page %.2f | last page %.2f\n", h.open / m.open,
              h.first / m.first, h.last / m.last);
  DeleteFileA(small.c_str());
  DeleteFileA(medium.c_str());
  DeleteFileA(huge.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
