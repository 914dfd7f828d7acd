#include <string>

#include "config/diag_switch.h"
#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "text/bounded.h"

void ReadDiagnosticsSwitch() {
  std::string cow = ini::GetString(szIniFile, kSecOptions, kKeyCow, kNotSet, 150);
  text::CopyCut(szCommand, diag::SwitchFromCow(cow));
}

void Trace(const char* key, const char* value) {
  if (!DiagnosticsOn()) return;
  ini::Write(szIniFile, kSecDiagnostics, key, value ? value : "");
}
