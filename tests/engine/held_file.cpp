#include "held_file.h"

#include <gtest/gtest.h>

#include <atomic>

HeldFile::HeldFile(const std::string& path, const char* sharing) {
  static std::atomic<int> serial{0};
  std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  std::string readyName = "MopwellTestReady-" + tag, releaseName = "MopwellTestRelease-" + tag;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
  if (!ready_ || !release_) {
    ADD_FAILURE() << "no named event for the holder of " << path << " (error " << GetLastError() << ")";
    return;
  }
  char self[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string cmd = std::string("\"") + self + "\" --hold \"" + path + "\" " + (*sharing ? sharing : "-") + " " +
                    readyName + " " + releaseName;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
    ADD_FAILURE() << "the holder of " << path << " did not start (error " << GetLastError() << ")";
    return;
  }
  HANDLE waits[2] = {ready_, pi_.hProcess};
  const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
  ok_ = woke == WAIT_OBJECT_0;
  if (ok_) return;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  // The holder's own codes: 3 the file would not open, 4 the events
  // could not be found.
  ADD_FAILURE() << "the holder of " << path << " did not get ready: "
                << (woke == WAIT_OBJECT_0 + 1 ? "it ended with " + std::to_string(code)
                                             : "wait result " + std::to_string(woke));
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
