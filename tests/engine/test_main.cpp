// Entry point of the Windows test programs (engine_tests, win_tests).
// Besides running the tests each can stand in for another program that
// holds a file open:
//   win_tests --hold PATH SHARING READY_EVENT RELEASE_EVENT
// SHARING is made of the letters r, w, d (read, write, delete sharing), or
// "-" for none. And it can keep Wine's desktop open for a whole test run:
//   win_tests --keep-desktop
// makes a window no one sees, prints "ready" once the desktop is up, and
// stays until it is ended (see scripts/test.sh).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

static int HoldFile(const char* path, const char* sharing, const char* ready, const char* release) {
  DWORD share = 0;
  if (std::strchr(sharing, 'r')) share |= FILE_SHARE_READ;
  if (std::strchr(sharing, 'w')) share |= FILE_SHARE_WRITE;
  if (std::strchr(sharing, 'd')) share |= FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
  HANDLE releaseEvent = OpenEventA(SYNCHRONIZE, FALSE, release);
  if (!readyEvent || !releaseEvent) return 4;
  SetEvent(readyEvent);
  WaitForSingleObject(releaseEvent, 120000);
  CloseHandle(file);
  return 0;
}

static int KeepDesktop() {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window) return 5;
  std::puts("ready");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--keep-desktop") == 0) return KeepDesktop();
  if (argc == 6 && std::strcmp(argv[1], "--hold") == 0)
    return HoldFile(argv[2], argv[3], argv[4], argv[5]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
