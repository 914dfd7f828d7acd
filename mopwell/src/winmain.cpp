#include <windows.h>
#include <commdlg.h>

#include "mopwell.h"
#include "platform.h"
#include "text/bounded.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int nCmdShow) {
  hInstance = instance;
  plat::UseFileDialog(GetOpenFileNameA);  // the viewer page chooses files with it
  text::CopyCut(szAppName, "Mopwell");
  text::CopyCut(szCommand, cmdLine ? cmdLine : "");
  if (!previous && !RegisterMainClass(instance)) return 0;
  if (!CreateMainWindow(nCmdShow)) return 0;
  return RunMessageLoop();
}
