// The rule every place the clean run destroys in must pass: a folder it
// empties, or the folder of a file it destroys. The rule works on path
// texts the caller has already resolved (full, long form, "." and ".."
// gone); it touches no file, so every case of it is tested natively.
//
// A place is refused when it is no folder at all (empty, relative, a
// drive's root), when it is a link or is reached through one (it leads
// somewhere the text does not say), when it is, holds or lies inside a
// place that must be kept, or when its own kind's name rule fails (a disk
// cache must be named as one).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gate {

// What a step does in the place it names.
enum class Use {
  Cache,        // empties the disk cache folder
  Archive,      // empties the offline archive folder
  Recent,       // empties the Windows list of recent documents
  NewsFolder,   // destroys the subscription files the news map names
  NewsServer,   // empties a server folder one level below the news folder
  MailFiles,    // destroys the mail folders' files by their names
  BrowserFiles, // destroys the summary files in the browser's folder
  HistoryFile,  // destroys the history database
  CookieFile,   // destroys (or replaces) the cookie file
  BookmarkFile, // destroys (and rebuilds) the bookmark file
};
constexpr int kUses = 10;
inline unsigned Bit(Use use) { return 1u << static_cast<int>(use); }

// What a kept place is.
enum class Role {
  // Nothing inside is ever destroyed, and no emptied folder is, or holds,
  // one of these: Windows and its system folder, this program's folder,
  // the user's own folders (desktop, documents, ...), and every store of
  // the browser other than the one the step works on.
  Closed,
  // The Windows folder: closed, except that the recent-documents folder
  // lies inside it on some systems.
  Windows,
  // Folders that hold the browser's stores (the profile folder, the
  // browser's main and install folders, the user's profile): a store may
  // lie inside one, but no emptied folder is, or holds, one of them.
  Holder,
  // A file no step may take other than its own: prefs.js, MPW-ID.INI,
  // MOPWELL.INI, a signature file, another store file.
  File,
};

// A folder or file as the disk knows it (its volume and its index there),
// whatever name reaches it.
struct PlaceId {
  std::uint32_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const PlaceId& o) const { return volume == o.volume && index == o.index; }
};

// Where a place is on the disk: itself (when it exists) and every existing
// folder above it, nearest first. Two names of one place (another drive
// letter for the same disk, a short name, a different case) have the same
// identity where their texts differ.
struct Identity {
  std::optional<PlaceId> self;
  std::vector<PlaceId> above;
};

struct Kept {
  std::string path;   // resolved
  Role role;
  std::string name;   // for the reason: "the profile folder"
  unsigned owners = 0;  // the uses whose own store this is (Bit(use) | ...)
  Identity identity;
};

// A store the browser's settings place where no store can be (it is, or
// holds, a folder that holds stores, Windows, a folder that is closed to
// every step, or a kept file that is no store's own) is no store: it protects nothing,
// so that a bogus cache setting naming the profile folder does not shut
// the other steps out of the profile. Its own step is refused all the
// same, by the places it is or holds. Removes such stores from `kept`.
void DropFalseStores(std::vector<Kept>& kept);

struct Candidate {
  // The place as named, made full and long, "." and ".." resolved, links
  // not followed. For a use that destroys one named file, the file's path.
  std::string path;
  // A link (junction, symbolic link, mount point) is, or lies on the way
  // to, the place.
  bool viaLink = false;
  Identity identity;
};

// The refusal of a place that is a link (or a folder another volume is
// mounted in, which Windows reports the same way), or lies behind one.
extern const char kLinkRefusal[];
// The refusals of the name rules.
extern const char kNotNamedCache[];
extern const char kNotNamedRecent[];

// The name rule of the cache and the recent-documents folder: one of the
// three spellings "CACHE", "cache", "Cache" (or "RECENT", "recent",
// "Recent") as written anywhere in the path. Other uses have none.
bool PassesNameRule(Use use, const std::string& path);

// A place is the same as, holds or lies inside a kept one when their paths
// say so (whole names, case ignored) or their identities do.
// Empty when the place may be used as `use` says; otherwise the reason,
// worded to follow "refused: " ("it is the profile folder"). `nameRuleOff`
// switches the cache's name rule off (its FAT-database option), never the
// rest of the rule and never another use's name rule.
std::string Judge(Use use, const Candidate& place, const std::vector<Kept>& kept, bool nameRuleOff = false);

}  // namespace gate
