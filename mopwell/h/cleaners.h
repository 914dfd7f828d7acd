// The steps of the clean run as the clean page runs them one by one (what
// the page reads for them at set-up is in step_settings.h). Each runs the
// engine's step (clean_engine.h) with the page as its front end: the
// step's status texts go into its own check box on the clean page (`page`). The run driver
// writes a step's "Options" key: "1" before calling a checked step, "0"
// (and the left-alone text) for an unchecked one; the identity switch and
// the bookmark step write theirs themselves.
#pragma once
#include <windows.h>

#include "step_settings.h"

// ---- Status texts ----
// Sets a box's caption and repaints it at once, without taking any input
// message, so a long step shows its progress.
void SetStatus(HWND page, int box, const char* text);

// ---- Identity switch (box 125) ----
// Step 1 of every run, checked or not: the alias when `alias`, else the
// real identity.
void SwitchIdentity(HWND page, bool alias);

// ---- News and mail (boxes 107, 108, 150) ----
void CleanNewsTracks(HWND page);
void CleanNewsDatabases(HWND page);
void CleanMail(HWND page);

// ---- History, typed addresses, cookies and Java (boxes 109, 110, 111) ----
void CleanHistory(HWND page);
void CleanTypedUrls(HWND page);
void CleanCookiesAndJava(HWND page);

// ---- Bookmarks, cache and archive, recent documents (112, 113, 153) ----
// Asks first; on Yes writes its key and rebuilds the bookmark file. False
// when the run must stop here (template missing, file not writable).
bool CleanBookmarks(HWND page);
void CleanCache(HWND page);
void CleanRecentDocuments(HWND page);
