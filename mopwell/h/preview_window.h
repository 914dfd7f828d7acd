// The clean page's window for the preview of a clean run.
#pragma once
#include <windows.h>

#include "clean_preview.h"

// The clean page's preview window: the list in a scrollable read-only
// text field and the totals under it. One window at a time; a second call
// replaces its text. Returns the window.
HWND ShowPreviewWindow(HWND owner, const PreviewList& list);
// The class name of that window, for whoever looks for it.
extern const char kPreviewWindowClass[];
