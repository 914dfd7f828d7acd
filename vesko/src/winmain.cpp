#include <windows.h>

#include "vesko.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
  return vesko::ProgramMain(instance, previous);
}
