#include "held_file.h"

#include <atomic>

HeldFile::HeldFile(const std::string& path, const char* sharing) {
  static std::atomic<int> serial{0};
  std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  std::string readyName = "MopwellTestReady-" + tag, releaseName = "MopwellTestRelease-" + tag;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
  char self[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string cmd = std::string("\"") + self + "\" --hold \"" + path + "\" " + (*sharing ? sharing : "-") + " " +
                    readyName + " " + releaseName;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
    return;
  HANDLE waits[2] = {ready_, pi_.hProcess};
  ok_ = WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
  if (release_) SetEvent(release_);
  if (pi_.hProcess) {
    WaitForSingleObject(pi_.hProcess, 60000);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  if (ready_) CloseHandle(ready_);
  if (release_) CloseHandle(release_);
}
