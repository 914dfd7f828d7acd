// glimso, the file dump viewer: one file shown as lines of 78 bytes in a
// maximized window, every byte outside 0x20..0x7E shown as a blank. The
// viewer reads the file and never writes it; it reads only the lines on
// show, afresh on every paint.
//
// One window per process; its state is program-wide.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "dump/layout.h"
#include "glimso_ids.h"

namespace glimso {

extern HINSTANCE hInstance;
extern std::string AppName;      // string 1
extern std::string FileName;     // the whole command line, unchanged
extern std::uint64_t FileLength; // when it was opened
extern dump::View View;
extern dump::FontMetrics Metrics;
extern HFONT DisplayFont;

// Start: the window class (string 1 names class, icon and menu), and the
// window, shown maximized. False when Windows refused.
bool RegisterViewerClass(HINSTANCE instance);
HWND CreateViewerWindow(HINSTANCE instance);
// Runs until the quit message; returns its code.
int RunMessageLoop();

LRESULT CALLBACK ViewerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The display font: height 14, width 9, weight 400, fixed pitch, "System";
// another fixed-pitch face of that size where "System" is variable-pitch.
HFONT CreateDisplayFont();

// ---- the file ----

// Whether the file may be shown, and then its length. A name that is
// missing, a folder, marked read-only or that cannot be opened is refused.
// The file is opened for reading only, sharing read, write and delete.
bool OpenForShowing(const std::string& name, std::uint64_t* length);

// Reads up to `size` bytes from `offset` into `buffer`; `got` is how many
// came (fewer at the end of the file). False when the file cannot be
// opened or read.
bool ReadAt(const std::string& name, std::uint64_t offset, void* buffer, DWORD size, DWORD* got);

}  // namespace glimso
