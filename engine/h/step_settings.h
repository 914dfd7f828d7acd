// What the steps of the clean run keep between a front end's set-up and
// the run: the identities the identity switch sets, the path of the
// profile's MPW-ID.INI, the bookmark template, and the text of a step left
// alone.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

extern const char kLeftAlone[];  // fourteen blanks, then "Left alone."

// ---- Identity switch ----
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
// Whether set-up read the identities (it does not before setup).
extern bool IdentitiesRead;

// Set-up: both records from MOPWELL.INI (with the "(empty!)"
// defaults), or, with `fromProfile`, from MPW-ID.INI over what is held.
void ReadIdentities(bool fromProfile);
// Set-up: forms szProFile from RegProfileDir.
void FormIdFilePath();

// ---- Bookmarks ----
// Path of the bookmark template, read at set-up.
extern char szFixBookmark[MAX_PATH];
void ReadBookmarkTemplatePath();
