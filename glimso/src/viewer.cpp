// The viewer window: opening the file (command 103), the scroll ranges,
// scrolling by bar and by key, and the paint that reads the visible lines.
#include <new>

#include "glimso.h"

namespace glimso {

HINSTANCE hInstance = nullptr;
std::string AppName = "glimso";
std::string FileName;
std::uint64_t FileLength = 0;
dump::View View;
dump::FontMetrics Metrics;
HFONT DisplayFont = nullptr;

static_assert(dump::kLineUp == SB_LINEUP && dump::kLineDown == SB_LINEDOWN && dump::kPageUp == SB_PAGEUP &&
                  dump::kPageDown == SB_PAGEDOWN && dump::kThumbPosition == SB_THUMBPOSITION &&
                  dump::kThumbTrack == SB_THUMBTRACK && dump::kTop == SB_TOP && dump::kBottom == SB_BOTTOM,
              "scroll requests are numbered as the scroll messages number them");

namespace {

const char kErrorTitle[] = "ERROR: File could not be located.";

// The keys, searched in this order; a key not listed does nothing.
struct KeyAction {
  WPARAM key;
  UINT message;
  WPARAM param;
};
const KeyAction kKeys[] = {
    {VK_HOME, WM_COMMAND, IDM_HOME},      {VK_END, WM_VSCROLL, SB_BOTTOM},
    {VK_PRIOR, WM_VSCROLL, SB_PAGEUP},    {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
    {VK_UP, WM_VSCROLL, SB_LINEUP},       {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
    {VK_LEFT, WM_HSCROLL, SB_PAGEUP},     {VK_RIGHT, WM_HSCROLL, SB_PAGEDOWN},
};

void MeasureFont(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, DisplayFont);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  // A font that could not be measured is drawn as the layout reckons it:
  // one pixel a column and a line, never all lines at one place.
  Metrics.charWidth = tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 1;
  Metrics.charHeight = tm.tmHeight > 0 ? tm.tmHeight : 1;
  Metrics.lineHeight = tm.tmHeight + tm.tmExternalLeading > 0 ? tm.tmHeight + tm.tmExternalLeading : 1;
}

void RecomputeScrollRanges(HWND hwnd) {
  dump::RecomputeRanges(View, Metrics);
  // Setting a range can show or hide a bar, which resizes the client area
  // and comes back here through WM_SIZE: read the view afresh each time.
  SetScrollRange(hwnd, SB_VERT, 0, dump::BarMax(View.lastFirstLine), FALSE);
  SetScrollPos(hwnd, SB_VERT, dump::ToBar(View.firstLine, View.lastFirstLine), TRUE);
  SetScrollRange(hwnd, SB_HORZ, 0, dump::BarMax(View.lastFirstColumn), FALSE);
  SetScrollPos(hwnd, SB_HORZ, dump::ToBar(View.firstColumn, View.lastFirstColumn), TRUE);
}

void OpenFile(HWND hwnd) {
  SetWindowTextA(hwnd, ("Glimso: " + FileName).c_str());
  std::uint64_t length = 0;
  if (OpenForShowing(FileName, &length)) {
    FileLength = length;
    View.lineCount = static_cast<std::int64_t>(dump::LineCount(length));
    View.lineWidth = dump::kLineWidth;
    View.firstLine = 0;
    View.firstColumn = 0;
  } else {
    SetWindowTextA(hwnd, kErrorTitle);
    View.lineCount = 0;
    View.lineWidth = 0;
  }
  RecomputeScrollRanges(hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
}

// Where the thumb is asked to go. The scroll message carries only 16 bits
// of it; while the user drags, the bar holds the whole int, whose low 16
// bits are the message's. A thumb message that comes from no drag (sent by
// another program, say) is taken as it says.
int TrackPosition(HWND hwnd, int bar, WPARAM wParam) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (GetScrollInfo(hwnd, bar, &info) && (info.nTrackPos & 0xFFFF) == HIWORD(wParam)) return info.nTrackPos;
  return HIWORD(wParam);
}

void Scroll(HWND hwnd, int bar, WPARAM wParam) {
  int request = LOWORD(wParam);
  bool vertical = bar == SB_VERT;
  std::int64_t position = vertical ? View.firstLine : View.firstColumn;
  std::int64_t last = vertical ? View.lastFirstLine : View.lastFirstColumn;
  std::int64_t thumb = 0;
  if (request == SB_THUMBPOSITION || request == SB_THUMBTRACK)
    thumb = dump::FromBar(TrackPosition(hwnd, bar, wParam), last);
  std::int64_t step = vertical ? dump::VerticalStep(request, View, Metrics, thumb)
                               : dump::HorizontalStep(request, View, thumb);
  step = dump::ClampStep(step, position, last);
  if (step == 0) return;
  position += step;
  int shift;
  if (vertical) {
    View.firstLine = position;
    shift = dump::ScrollPixels(step, Metrics.lineHeight, View.clientHeight);
    if (shift) ScrollWindow(hwnd, 0, shift, nullptr, nullptr);
  } else {
    View.firstColumn = static_cast<int>(position);
    shift = dump::ScrollPixels(step, Metrics.charWidth, View.clientWidth);
    if (shift) ScrollWindow(hwnd, shift, 0, nullptr, nullptr);
  }
  // A step past the whole client area has nothing left to move.
  if (!shift) InvalidateRect(hwnd, nullptr, TRUE);
  SetScrollPos(hwnd, bar, dump::ToBar(position, last), TRUE);
  UpdateWindow(hwnd);
}

void PaintLines(HDC dc) {
  std::int64_t lines = View.visibleLines;
  if (lines <= 0) return;
  DWORD size = static_cast<DWORD>(lines * dump::kLineWidth);
  unsigned char* buffer = new (std::nothrow) unsigned char[size];
  if (!buffer) return;
  DWORD got = 0;
  if (ReadAt(FileName, dump::LineOffset(static_cast<std::uint64_t>(View.firstLine)), buffer, size, &got)) {
    char text[dump::kLineWidth];
    int x = -View.firstColumn * Metrics.charWidth;
    DWORD at = 0;
    for (std::int64_t i = 0; i < lines; ++i) {
      std::size_t n = dump::FormatLine(buffer + at, got - at, text);
      at += static_cast<DWORD>(n);
      TextOutA(dc, x, static_cast<int>(i) * Metrics.lineHeight, text, static_cast<int>(n));
    }
  }
  delete[] buffer;
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  // A session end that was called off took the font with it.
  if (!DisplayFont) DisplayFont = CreateDisplayFont();
  HGDIOBJ old = SelectObject(dc, DisplayFont);
  if (View.lineCount != 0) PaintLines(dc);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

void DeleteDisplayFont() {
  if (DisplayFont) DeleteObject(DisplayFont);
  DisplayFont = nullptr;
}

}  // namespace

namespace {

bool IsFixedPitch(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  BOOL measured = GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The flag's name is the wrong way round: set means variable pitch.
  return measured && (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

}  // namespace

// Columns are placed at multiples of the average character width, so the
// font must be fixed-pitch. "System" asked for with fixed pitch gives one
// on most systems, but where a variable-pitch font of that name is
// installed the face name wins and the columns of a scrolled view no
// longer line up: then any fixed-pitch face of the same size is taken.
HFONT CreateDisplayFont() {
  HFONT font = CreateFontA(14, 9, 0, 0, 400, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, FIXED_PITCH, "System");
  if (!font || IsFixedPitch(font)) return font;
  for (const char* face : {"", "Courier New", "Courier"}) {
    HFONT other = CreateFontA(14, 9, 0, 0, 400, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face);
    if (other && IsFixedPitch(other)) {
      DeleteObject(font);
      return other;
    }
    if (other) DeleteObject(other);
  }
  return font;
}

LRESULT CALLBACK ViewerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // The font is measured before the first WM_SIZE, which creating the
      // window sends and which divides by the character height.
      if (!DisplayFont) DisplayFont = CreateDisplayFont();
      MeasureFont(hwnd);
      PostMessageA(hwnd, WM_COMMAND, IDM_OPEN, 0);
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_RETURN:
          PostMessageA(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case IDM_OPEN:
          OpenFile(hwnd);
          return 0;
        case IDM_HOME:
          // The horizontal bar ignores SB_TOP: only the vertical one moves.
          SendMessageA(hwnd, WM_HSCROLL, SB_TOP, 0);
          SendMessageA(hwnd, WM_VSCROLL, SB_TOP, 0);
          return 0;
      }
      break;
    case WM_SIZE: {
      int width = LOWORD(lParam), height = HIWORD(lParam);
      if (width == 0 && height == 0) return 0;
      View.clientWidth = width;
      View.clientHeight = dump::RoundedHeight(height, Metrics.charHeight);
      RecomputeScrollRanges(hwnd);
      break;
    }
    case WM_VSCROLL:
      Scroll(hwnd, SB_VERT, wParam);
      return 0;
    case WM_HSCROLL:
      Scroll(hwnd, SB_HORZ, wParam);
      return 0;
    case WM_KEYDOWN:
      for (const KeyAction& k : kKeys) {
        if (k.key == wParam) {
          SendMessageA(hwnd, k.message, k.param, 0);
          break;
        }
      }
      return 0;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      DeleteDisplayFont();
      PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      DeleteDisplayFont();
      return TRUE;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterViewerClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ViewerWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, AppName.c_str());
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = AppName.c_str();
  wc.lpszClassName = AppName.c_str();
  return RegisterClassA(&wc) != 0;
}

HWND CreateViewerWindow(HINSTANCE instance) {
  HWND hwnd = CreateWindowExA(0, AppName.c_str(), AppName.c_str(), WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                              nullptr);
  if (!hwnd) return nullptr;
  // The first ShowWindow of a process may take the show state its starter
  // asked for instead; the window is maximized whatever that was.
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  if (!IsZoomed(hwnd) || !IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  UpdateWindow(hwnd);
  return hwnd;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace glimso
