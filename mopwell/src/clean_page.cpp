#include "mopwell.h"

INT_PTR CALLBACK DlgProc1(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}
