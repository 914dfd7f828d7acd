// Where a path named from outside the program really leads. Every folder a
// clean step empties and every store path discovery takes from the
// browser's files, the registry or a setting passes through here before
// any guard looks at it, so a guard judges the place that will be touched
// and not the text that named it.
#pragma once
#include <optional>
#include <string>
#include <vector>

// The full, long-form path of `path` with "." and ".." resolved and every
// link (reparse point) on the way replaced by where it finally leads; the
// part that does not exist yet is kept as written behind the resolved part
// that does. Nothing when the path is empty, relative, not on a local
// drive ("C:\..."), or is (or leads to) the root of a drive.
std::optional<std::string> ResolvePlace(const std::string& path);

// A store's folder or file as its text names it: full, long form, "." and
// ".." resolved, but links not followed, so that the clean run's gate sees
// a link on the way and refuses it. Nothing when the path is empty,
// relative, not on a local drive, or a drive's root.
std::optional<std::string> NamedPlace(const std::string& path);

// Full path with "." and ".." resolved and in long form, links not
// followed; empty when Windows cannot form one.
std::string FullLongPath(const std::string& path);
// The full path as GetFullPathName forms it ("." and ".." taken out by
// their text), with no look at the disk; empty when it cannot be formed.
std::string FullPath(const std::string& path);

// Whether two resolved paths name the same place, by whole folder names,
// letter case ignored.
bool SamePlace(const std::string& a, const std::string& b);

// Whether the name `path` is a link, or one of several names of one file
// (or cannot be told): then what is done to the file through it is done to
// what the other names stand for as well.
bool HasOtherNames(const char* path);

// Makes sure the name `path` belongs to a file of its own before a writer
// replaces or rewrites it: a name that is a link, or one of several names
// of one file, is removed (writing through it would change the file the
// other name stands for). Its attributes are left alone: they are the
// other file's as well. True when the name is now missing or a file's
// only name; false when a shared name could not be removed (read-only, or
// held by a program that does not share its deletion) — then nothing may
// be written there.
bool UnshareName(const char* path);
// What UnshareName would do, changing nothing: true when it would return
// true; `removes` tells whether it would remove the name to get there.
bool WouldUnshare(const char* path, bool* removes);

// Holds every folder of a resolved place open, from the one below the
// drive's root down to the place itself, so that while a step works inside
// none of them can be renamed, removed or swapped for a link: the names the
// step forms below the place keep meaning what the guard judged. Each
// folder is opened as itself (a link is not followed) and must be a plain
// folder.
class PlacePin {
 public:
  enum class State { Held, Missing, Refused };
  explicit PlacePin(const std::string& place);
  // The same for a full path in wide characters ("X:\...", no prefix),
  // which may hold names the ANSI code page cannot.
  explicit PlacePin(const std::wstring& place);
  ~PlacePin();
  PlacePin(const PlacePin&) = delete;
  PlacePin& operator=(const PlacePin&) = delete;

  // Held: every folder is there and held. Missing: the place (or a folder
  // on the way) does not exist, so it holds nothing. Refused: a folder on
  // the way is a link, no folder, or cannot be held.
  State state() const { return state_; }

 private:
  void Hold(const std::wstring& place);
  std::vector<void*> handles_;
  State state_ = State::Refused;
};
