// What a viewer window shows in one of its text rows, read off the screen
// and compared with the same text drawn here in the viewer's display font
// on white. Works from another process as well as from inside one: the
// screen holds what every program painted.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "glimso.h"

namespace shown {

// The viewer's display font: glimso's own choice (that it is fixed-pitch
// is tested on its own).
inline HFONT DisplayFont() { return glimso::CreateDisplayFont(); }

inline TEXTMETRICA Metrics() {
  HFONT font = DisplayFont();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return tm;
}

// Pixels of a w x h picture: taken from the screen at (x, y), or drawn
// with `text` at the top left.
inline std::vector<COLORREF> Pixels(int w, int h, int x, int y, const std::string* text) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
  if (text) {
    RECT all{0, 0, w, h};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = DisplayFont();
    HGDIOBJ oldFont = SelectObject(mem, font);
    TextOutA(mem, 0, 0, text->data(), static_cast<int>(text->size()));
    SelectObject(mem, oldFont);
    DeleteObject(font);
  } else {
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
  }
  std::vector<COLORREF> pixels;
  pixels.reserve(static_cast<size_t>(w) * h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) pixels.push_back(GetPixel(mem, i, j));
  SelectObject(mem, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Whether text row `row` of the window's client area (78 columns from the
// left edge, or as many as the client area is wide; one line high) shows
// exactly `text`. What a program paints reaches the screen a moment later
// (Wine copies window contents out on its own schedule, as the program
// next looks for messages): the row is read again for up to two seconds
// before it counts as showing something else.
inline bool RowShows(HWND hwnd, int row, const std::string& text) {
  TEXTMETRICA tm = Metrics();
  RECT client{};
  GetClientRect(hwnd, &client);
  int w = 78 * tm.tmAveCharWidth, h = tm.tmHeight;
  if (client.right < w) w = client.right;
  POINT origin{0, row * (tm.tmHeight + tm.tmExternalLeading)};
  ClientToScreen(hwnd, &origin);
  const std::vector<COLORREF> want = Pixels(w, h, 0, 0, &text);
  DWORD start = GetTickCount();
  for (;;) {
    if (Pixels(w, h, origin.x, origin.y, nullptr) == want) return true;
    if (GetTickCount() - start > 2000) return false;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // lets this program's own paint out
    Sleep(20);
  }
}

// A display line of the test files: "line 000123" padded with dots to 78.
inline std::string NumberedLine(long n) {
  char head[32];
  wsprintfA(head, "line %06ld", n);
  std::string line = head;
  line.resize(78, '.');
  return line;
}

}  // namespace shown
