// Entry points of the clean engine that the programs call before a run:
// finding the browser's files, and the diagnostics switch and trace.
#pragma once
#include "globals.h"

// ---- Discovery ----
void CheckNSReg();  // last Communicator profile from the browser's registry file
// While set, the lookup opens the browser's registry file read-only (it
// may otherwise set the file's header right). Returns the state before.
bool LookUpReadOnly(bool readOnly);
void getIt();       // every browser location and the identity

// ---- Configuration ----
// Reads "cow" into szCommand by the diagnostics rule.
void ReadDiagnosticsSwitch();
// Writes one trace key, only while diagnostics mode is on.
void Trace(const char* key, const char* value);
