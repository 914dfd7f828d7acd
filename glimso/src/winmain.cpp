#include <windows.h>

#include "glimso.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int) {
  glimso::hInstance = instance;
  char name[64] = "";
  if (LoadStringA(instance, IDS_APPNAME, name, sizeof name) > 0) glimso::AppName = name;
  if (!previous && !glimso::RegisterViewerClass(instance)) return 0;
  if (!glimso::CreateViewerWindow(instance)) return 0;
  // The whole command line names the file: no quotes removed, nothing
  // split. Command 103, posted at creation, opens it from the loop.
  glimso::FileName = cmdLine ? cmdLine : "";
  return glimso::RunMessageLoop();
}
