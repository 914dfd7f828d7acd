// The news reader's map file "FAT" and the choice of the server folder
// whose databases the viewer shows. Both repairs are called by pages that
// retry their own open after each call, a bounded number of times.
#pragma once
#include <optional>
#include <string>
#include <vector>

// How often a page lets the map repair (or the subscription repair) try
// before it gives up: a repair either makes what is missing at once (the
// map built, or written by the browser) or cannot make it at all, so a
// second try is only for a map the browser finishes late.
constexpr int kMapRepairs = 2;

// A "customs" folder override of the news folder ("news", "fat"): taken
// into szNewsLoc unless it holds "*" (not overridden, as for every other
// path override), is empty, or is too long for the field (cut short it
// would name another folder).
void ApplyNewsFolderOverride(const char* key);

// A subscription-file path as the news steps compare and trace it: in
// upper case (".rcg" files are told by ".RCG").
std::string UpperCase(std::string path);

// Makes sure the map file exists in the news folder: creates a missing
// news (and mail) folder in the profile, offers to let the browser write
// the map, and otherwise builds one from the server folders it finds.
void FixFat();

// Chooses the last server folder of the news folder and stores its name
// as ("customs", "subs"), or "host-news" when none qualifies.
void FixSubs();

// Full path of the map file of the news folder in use (szNewsLoc + "\FAT"),
// held whole however long the folder's name is.
std::string NewsMapPath();

// Names of the server folders of `newsFolder` in listing order: entries
// whose attributes are exactly "directory" (no read-only, archive, hidden
// or link bit beside it), "." and ".." left out. An empty folder path
// lists nothing.
std::vector<std::string> ListServerFolders(const std::string& newsFolder);

// Where the map repair may build a map: the news folder `named`, full and
// long, when it passes the clean run's rule for a news folder (no link, no
// drive root, nothing kept in it or around it). Nothing otherwise.
std::optional<std::string> FolderToEmpty(const std::string& named);
