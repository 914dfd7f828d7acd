// The clean run's one gate: every folder a step empties and every file it
// destroys is judged here, by one rule (gate/place_rule.h), against the
// places that must be kept as they are now, and held while the step works
// inside. The engine (clean_engine.h) is its only caller; steps reach it
// through CleanRun.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gate/place_rule.h"
#include "places.h"

// The places no step may touch, each resolved (links followed): Windows
// and its system folder, this program's folder, the user's own folders,
// the browser's profile, main and install folders, every store the browser
// keeps (each the own store of its step) and the files a step must leave
// (prefs.js, MPW-ID.INI, MOPWELL.INI, the signature files, the bookmark
// template, the browser's settings file, the store files).
std::vector<gate::Kept> KeptPlaces();

// A file or folder as the disk knows it, by its "\\?\" form; nothing when
// it cannot be opened.
std::optional<gate::PlaceId> PlaceIdOf(const std::wstring& reach);

// Where a place is on the disk (gate::Identity): itself and each folder
// above it, by volume and index, whatever name reaches them.
gate::Identity IdentityOf(const std::string& path);

// A place as its text names it: full, long form, "." and ".." resolved,
// links not followed; and whether a link lies on the way. An empty,
// relative or other than local path gives an empty path (no place).
gate::Candidate Examine(const std::string& named);

// A folder that passed the gate, held (with every folder above it) for as
// long as the object lives, so that nothing on the way can be renamed or
// swapped for a link while a step works inside.
class HeldPlace {
 public:
  // `path`: the examined full path (no link on the way).
  explicit HeldPlace(const std::string& path);
  // A folder below a held one, by its wide name (which the ANSI code page
  // may not hold).
  HeldPlace(const HeldPlace& parent, const std::wstring& name);
  HeldPlace(const HeldPlace&) = delete;
  HeldPlace& operator=(const HeldPlace&) = delete;

  // As shown to the user (ANSI, "?" for what the code page lacks).
  const std::string& path() const { return path_; }
  // As reached: the "\\?\" form of the full path, which takes every name as
  // written.
  const std::wstring& reach() const { return reach_; }
  PlacePin::State state() const { return pin_->state(); }

 private:
  std::string path_;
  std::wstring reach_;
  std::unique_ptr<PlacePin> pin_;
};

// One entry of a held folder's listing.
struct FolderEntry {
  std::wstring name;  // as the folder holds it
  std::string shown;  // in the ANSI code page, "?" for what it lacks
  DWORD attributes;
};

// Every entry of the folder ("." and ".." left out) by its wide name.
// False when the folder cannot be listed (it is there, but the listing is
// refused or breaks off): then nothing may be claimed of it.
bool ListFolder(const HeldPlace& folder, std::vector<FolderEntry>& entries);

// Makes the new file `name` in a held folder from `bytes`, through to the
// disk: a replacement written once the old file is gone. Never over a
// file that is there (anything at the name now is not ours to write
// into); a file that could not be written whole is removed again.
bool CreateWhole(const HeldPlace& folder, const std::wstring& name, const std::string& bytes);

// Wide and ANSI forms of names (the ANSI code page).
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
