// wndctl: waits for and drives the programs' windows from outside. Used by
// the run script to take a screenshot of the main window and close it, and
// by hand to walk through the pages as a user would.
//
//   wndctl answer TITLE BUTTON_ID TIMEOUT_MS   press a button of a message box
//   wndctl box TITLE TIMEOUT_MS                wait for a message box, print its text
//   wndctl wait CLASS TIMEOUT_MS               wait for a top-level window
//   wndctl rect CLASS                          print its screen rectangle
//   wndctl close CLASS                         ask it to close
//   wndctl post CLASS MSG WPARAM LPARAM        post a message to it (numbers),
//                                              shown or hidden
//
// The page verbs act on the page on show in the window of class CLASS:
//
//   wndctl tab CLASS INDEX TIMEOUT_MS          click a tab, wait for its page
//   wndctl click CLASS ID                      click a button of the page
//   wndctl check CLASS ID 0|1                  make a check box read so
//   wndctl settext CLASS ID TEXT               put TEXT into a field
//   wndctl text CLASS ID                       print a control's text
//   wndctl rows CLASS ID                       print a list's rows, one a line
//   wndctl select CLASS ID TEXT                select the list row reading TEXT
//                                              (line end not included)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window_probe.h"

static int Usage() {
  std::fprintf(stderr,
               "usage: wndctl answer TITLE BUTTON_ID TIMEOUT_MS\n"
               "       wndctl box TITLE TIMEOUT_MS\n"
               "       wndctl wait CLASS TIMEOUT_MS\n"
               "       wndctl rect CLASS\n"
               "       wndctl close CLASS\n"
               "       wndctl post CLASS MSG WPARAM LPARAM\n"
               "       wndctl tab CLASS INDEX TIMEOUT_MS\n"
               "       wndctl click CLASS ID\n"
               "       wndctl check CLASS ID 0|1\n"
               "       wndctl settext CLASS ID TEXT\n"
               "       wndctl text CLASS ID\n"
               "       wndctl rows CLASS ID\n"
               "       wndctl select CLASS ID TEXT\n");
  return 2;
}

// The row of a list that reads `text`, with or without its line end.
static std::string RowReading(HWND page, int id, const std::string& text) {
  for (const std::string& row : probe::ListRows(page, id)) {
    std::string bare = row;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
    if (row == text || bare == text) return row;
  }
  return std::string();
}

// A top-level window of the class, shown or not (the first found).
struct ClassSearch {
  const char* cls;
  HWND found;
};

static BOOL CALLBACK VisitAnyOfClass(HWND hwnd, LPARAM lp) {
  ClassSearch* search = reinterpret_cast<ClassSearch*>(lp);
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, search->cls) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

static HWND HiddenWindow(const char* className) {
  ClassSearch s{className, nullptr};
  EnumWindows(VisitAnyOfClass, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

static int PageVerb(const char* verb, HWND main, int argc, char** argv) {
  constexpr DWORD kPatience = 10000;
  if (std::strcmp(verb, "tab") == 0 && argc == 5)
    return probe::PickTab(main, std::atoi(argv[3]), std::strtoul(argv[4], nullptr, 10)) ? 0 : 1;
  HWND page = probe::CurrentPage(main);
  if (!page || argc < 4) return 1;
  int id = std::atoi(argv[3]);
  if (std::strcmp(verb, "click") == 0 && argc == 4) {
    probe::Click(page, id);
    return 0;
  }
  if (std::strcmp(verb, "check") == 0 && argc == 5)
    return probe::SetCheck(page, id, std::atoi(argv[4]) != 0, kPatience) ? 0 : 1;
  if (std::strcmp(verb, "settext") == 0 && argc == 5) return probe::SetItemText(page, id, argv[4]) ? 0 : 1;
  if (std::strcmp(verb, "text") == 0 && argc == 4) {
    std::printf("%s\n", probe::ItemText(page, id).c_str());
    return 0;
  }
  if (std::strcmp(verb, "rows") == 0 && argc == 4) {
    for (std::string row : probe::ListRows(page, id)) {
      while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
      std::printf("%s\n", row.c_str());
    }
    return 0;
  }
  if (std::strcmp(verb, "select") == 0 && argc == 5) {
    std::string row = RowReading(page, id, argv[4]);
    return !row.empty() && probe::SelectRow(page, id, row) ? 0 : 1;
  }
  return Usage();
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
  if (std::strcmp(verb, "post") == 0 && argc == 6) {
    if (!hwnd) hwnd = HiddenWindow(argv[2]);  // a window never shown
    if (!hwnd) return 1;
    UINT msg = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
    WPARAM wp = static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0));
    LPARAM lp = static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0));
    return PostMessageA(hwnd, msg, wp, lp) ? 0 : 1;
  }
  for (const char* pageVerb : {"tab", "click", "check", "settext", "text", "rows", "select"})
    if (std::strcmp(verb, pageVerb) == 0) return hwnd ? PageVerb(verb, hwnd, argc, argv) : 1;
  return Usage();
}
