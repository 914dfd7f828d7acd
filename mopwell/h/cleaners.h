// The steps of the clean run as the clean page runs them one by one, and
// what the page reads for them at set-up. Each runs the engine's step
// (clean_engine.h) with the page as its front end: the step's status texts
// go into its own check box on the clean page (`page`). The run driver
// writes a step's "Options" key: "1" before calling a checked step, "0"
// (and the left-alone text) for an unchecked one; the identity switch and
// the bookmark step write theirs themselves.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// ---- Status texts ----
extern const char kLeftAlone[];  // fourteen blanks, then "Left alone."
// Sets a box's caption and repaints it at once, without taking any input
// message, so a long step shows its progress.
void SetStatus(HWND page, int box, const char* text);

// ---- Identity switch (box 125) ----
// The identity preferences of prefs.js, in the order of
// IdentityRecord::held.
constexpr int kIdentityPrefs = 6;
extern const char* const kIdentityPrefKeys[kIdentityPrefs];

struct IdentityRecord {
  char sigFile[150];
  char organization[150];
  char address[150];
  char user[150];
  char replyTo[150];
  // The mail login prefs.js gets: "(empty!)" (not stored) for the e-mail
  // address. Only the real identity taken from the browser keeps one of its
  // own.
  char popName[150];
  // The browser's own lines of the identity preferences (without their
  // line end), kept with the real identity taken from it, so that a real
  // run writes each back byte for byte while the record still says what
  // the line says. Empty for none.
  char held[kIdentityPrefs][600];
};
extern IdentityRecord AliasIdentity;
extern IdentityRecord RealIdentity;
// Navigator 3's own identity, kept apart (section "Realid3" of MOPWELL.INI)
// for a user of both generations: its registry key and settings file get
// it back on a real run, rather than the Communicator identity.
extern IdentityRecord Navigator3Identity;
extern bool Navigator3Known;

// Writes a record into `section` of `file`, every value so that the INI
// file gives it back as it went in; with `held` the browser's own lines
// too (and none of them is left over without). False when a key could not
// be written.
bool WriteIdentityRecord(const char* file, const char* section, const IdentityRecord& r, bool held);
// Full path of the profile's MPW-ID.INI; empty while no Communicator 4
// profile is in use.
extern char szProFile[MAX_PATH];
// Whether page set-up read the identities (it does not before setup).
extern bool IdentitiesRead;

// Page set-up: both records from MOPWELL.INI (with the "(empty!)"
// defaults), or, with `fromProfile`, from MPW-ID.INI over what is held.
void ReadIdentities(bool fromProfile);
// Page set-up: forms szProFile from RegProfileDir.
void FormIdFilePath();
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
// Path of the bookmark template, read at page set-up.
extern char szFixBookmark[MAX_PATH];
void ReadBookmarkTemplatePath();
// Asks first; on Yes writes its key and rebuilds the bookmark file. False
// when the run must stop here (template missing, file not writable).
bool CleanBookmarks(HWND page);
void CleanCache(HWND page);
void CleanRecentDocuments(HWND page);
