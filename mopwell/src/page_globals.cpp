#include "page_globals.h"

HINSTANCE hInstance;
char szAppName[20];
HWND hWndMain;
HWND htab;
HWND hWndDialog1, hWndDialog2, hWndDialog3, hWndDialog4, hWndDialog5, hWndDialog6;
int CurrentPage;
