// The news and mail steps of the clean run. Their cleaners are not built
// yet: a checked box is remembered, and its caption is left as it is
// rather than report work that was not done.
#include "cleaners.h"

void CleanNewsTracks(HWND) {}
void CleanNewsDatabases(HWND) {}
void CleanMail(HWND) {}
