// Stands in for MOPWELL.EXE where vesko starts the main program: writes its
// own path and the folder it was started in to "standin-ran.txt" beside
// itself, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  char self[MAX_PATH + 1] = "", cwd[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string path = self;
  std::string note = path.substr(0, path.find_last_of('\\') + 1) + "standin-ran.txt";
  std::string line = path + "|" + cwd + "|" + std::to_string(show) + "\r\n";
  HANDLE h = CreateFileA(note.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD wrote = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
  CloseHandle(h);
  return 0;
}
