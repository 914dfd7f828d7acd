#include <string>

#include "config/diag_switch.h"
#include "clean_engine.h"
#include "config/names.h"
#include "ini.h"
#include "engine.h"
#include "text/bounded.h"

void ReadDiagnosticsSwitch() {
  std::string cow = ini::GetString(szIniFile, kSecOptions, kKeyCow, kNotSet, 150);
  text::CopyCut(szCommand, diag::SwitchFromCow(cow));
}

namespace {
bool g_muted = false;
}  // namespace

bool MuteTrace(bool muted) {
  bool was = g_muted;
  g_muted = muted;
  return was;
}

void Trace(const char* key, const char* value) {
  if (g_muted || !DiagnosticsOn()) return;
  ini::Write(szIniFile, kSecDiagnostics, key, value ? value : "");
}
