// Identifiers shared by vesko's code and its resource script.
#pragma once

// The dialog the icon's double-click opens, and its buttons (Cancel is
// IDCANCEL, 2).
#define IDD_VESKO 100
#define IDC_RUN_MOPWELL 105
#define IDC_REMOVE_ICON 106

// The notification icon: its id and the message it sends to the main
// window, whose last parameter carries the mouse message.
#define VESKO_ICON_ID 199
#define WM_VESKO_ICON 301
