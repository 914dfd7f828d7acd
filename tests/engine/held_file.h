// Another process that holds a file open with the given sharing for as
// long as this object lives.
#pragma once
#include <windows.h>

#include <string>

class HeldFile {
 public:
  HeldFile(const std::string& path, const char* sharing);
  ~HeldFile();
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  PROCESS_INFORMATION pi_{};
};
