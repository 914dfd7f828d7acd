// help_probe: asks Wine's help viewer for a topic of a help file through
// the real WinHelpA, as the program's Documentation page does, and prints
// what the viewer then shows, read from its window: the caption and the
// text of the topic on show, one line each. The help check script compares
// that text with the topic it asked for.
//
//   help_probe show FILE contents|NUMBER   HELP_CONTENTS or HELP_CONTEXT NUMBER
//   help_probe quit FILE                   HELP_QUIT; waits until the viewer is gone
//
// A help file the viewer refuses makes WinHelpA wait for an answer to a box
// nobody sees: every wait here has a time-out, and a step that runs out of
// time fails (exit 3) instead of hanging the test run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "window_probe.h"

namespace {

constexpr DWORD kPatienceMs = 60000;  // a cold prefix may take long to start the viewer

struct Request {
  HWND owner;
  std::string file;
  UINT command;
  ULONG_PTR data;
  BOOL result;
};

DWORD WINAPI CallHelp(void* p) {
  Request* r = static_cast<Request*>(p);
  r->result = WinHelpA(r->owner, r->file.c_str(), r->command, r->data);
  return 0;
}

// WinHelpA on a thread of its own, so that a call the viewer never answers
// cannot stop the probe. False (with a word on standard error) when it did
// not return in time or returned FALSE.
bool AskViewer(Request& request) {
  HANDLE thread = CreateThread(nullptr, 0, CallHelp, &request, 0, nullptr);
  if (!thread) return false;
  DWORD waited = WaitForSingleObject(thread, kPatienceMs);
  CloseHandle(thread);
  if (waited != WAIT_OBJECT_0) {
    std::fprintf(stderr, "help_probe: WinHelpA did not return within %lu ms (the viewer refused the file?)\n",
                 static_cast<unsigned long>(kPatienceMs));
    return false;
  }
  if (!request.result) std::fprintf(stderr, "help_probe: WinHelpA returned FALSE\n");
  return request.result != FALSE;
}

HWND ViewerWindow() { return FindWindowA("MS_WINHELP", nullptr); }

// The control showing the topic's text: the viewer draws a topic in a rich
// edit control inside its main window.
HWND TopicText(HWND viewer) {
  for (const char* cls : {"RichEdit20A", "RichEdit20W", "RICHEDIT50W"}) {
    HWND text = probe::FindChildByClass(viewer, cls);
    if (text) return text;
  }
  return nullptr;
}

int Show(const std::string& file, const char* what) {
  Request request{nullptr, file, HELP_CONTENTS, 0, FALSE};
  if (std::strcmp(what, "contents") != 0) {
    char* end = nullptr;
    long number = std::strtol(what, &end, 10);
    if (!*what || *end) {
      std::fprintf(stderr, "help_probe: %s is neither \"contents\" nor a context number\n", what);
      return 2;
    }
    request.command = HELP_CONTEXT;
    request.data = static_cast<ULONG_PTR>(number);
  }
  // The owner stands for the Documentation page: a window of this process.
  request.owner = CreateWindowA("STATIC", "help_probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (!AskViewer(request)) return 3;
  // WinHelpA returns once the viewer has taken the request; the topic is
  // on show when its window is visible and holds text.
  DWORD start = GetTickCount();
  for (;;) {
    HWND viewer = ViewerWindow();
    HWND text = viewer && IsWindowVisible(viewer) ? TopicText(viewer) : nullptr;
    std::string shown = text ? probe::WindowText(text) : std::string();
    if (!shown.empty()) {
      std::printf("caption: %s\n", probe::WindowText(viewer).c_str());
      // One line per paragraph, without the rich edit's line ends.
      std::string line;
      for (char c : shown) {
        if (c == '\r' || c == '\n') {
          if (!line.empty()) std::printf("text: %s\n", line.c_str());
          line.clear();
        } else {
          line += c;
        }
      }
      if (!line.empty()) std::printf("text: %s\n", line.c_str());
      return 0;
    }
    if (GetTickCount() - start > kPatienceMs) {
      std::fprintf(stderr, "help_probe: no topic on show within %lu ms (viewer window %s)\n",
                   static_cast<unsigned long>(kPatienceMs), viewer ? "present" : "missing");
      return 3;
    }
    Sleep(100);
  }
}

int Quit(const std::string& file) {
  Request request{nullptr, file, HELP_QUIT, 0, FALSE};
  if (!AskViewer(request)) return 3;
  DWORD start = GetTickCount();
  while (ViewerWindow()) {
    if (GetTickCount() - start > kPatienceMs) {
      std::fprintf(stderr, "help_probe: the viewer did not close within %lu ms\n",
                   static_cast<unsigned long>(kPatienceMs));
      return 3;
    }
    Sleep(100);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "show") == 0) return Show(argv[2], argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "quit") == 0) return Quit(argv[2]);
  std::fprintf(stderr,
               "usage: help_probe show FILE contents|NUMBER\n"
               "       help_probe quit FILE\n");
  return 2;
}
