// wndctl: waits for and drives the programs' windows from outside. Used by
// the run script to take a screenshot of the main window and close it.
//
//   wndctl answer TITLE BUTTON_ID TIMEOUT_MS   press a button of a message box
//   wndctl box TITLE TIMEOUT_MS                wait for a message box, print its text
//   wndctl wait CLASS TIMEOUT_MS               wait for a top-level window
//   wndctl rect CLASS                          print its screen rectangle
//   wndctl close CLASS                         ask it to close
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "window_probe.h"

static int Usage() {
  std::fprintf(stderr,
               "usage: wndctl answer TITLE BUTTON_ID TIMEOUT_MS\n"
               "       wndctl box TITLE TIMEOUT_MS\n"
               "       wndctl wait CLASS TIMEOUT_MS\n"
               "       wndctl rect CLASS\n"
               "       wndctl close CLASS\n");
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const char* verb = argv[1];
  if (std::strcmp(verb, "answer") == 0 && argc == 5) {
    HWND box = probe::WaitForMessageBox(argv[2], std::strtoul(argv[4], nullptr, 10));
    if (!box) return 1;
    std::printf("%s\n", probe::MessageBoxText(box).c_str());
    probe::PressButton(box, std::atoi(argv[3]));
    return 0;
  }
  if (std::strcmp(verb, "box") == 0 && argc == 4) {
    HWND box = probe::WaitForMessageBox(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (!box) return 1;
    std::printf("%s\n", probe::MessageBoxText(box).c_str());
    return 0;
  }
  if (std::strcmp(verb, "wait") == 0 && argc == 4)
    return probe::WaitForWindow(argv[2], nullptr, std::strtoul(argv[3], nullptr, 10)) ? 0 : 1;
  HWND hwnd = probe::WaitForWindow(argv[2], nullptr, 0);
  if (std::strcmp(verb, "rect") == 0 && argc == 3) {
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (std::strcmp(verb, "close") == 0 && argc == 3) {
    if (!hwnd) return 1;
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
  }
  return Usage();
}
