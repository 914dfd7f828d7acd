#include "gate/place_rule.h"

#include <cstring>
#include <optional>

#include "text/bounded.h"
#include "text/paths.h"

namespace gate {

const char kLinkRefusal[] = "it is a link or mount point, or lies behind one";
const char kNotNamedCache[] = "not in a folder named CACHE";
const char kNotNamedRecent[] = "not in a folder named RECENT";

namespace {

// The parts of a resolved path without the refusals of paths::Components
// (a file's own name may be anything Windows can hold): split at
// backslashes, the drive first. Nothing for a path that is not "X:\...".
std::optional<std::vector<std::string>> Parts(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return std::nullopt;
  char drive = path[0];
  if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return std::nullopt;
  std::vector<std::string> parts{path.substr(0, 2)};
  std::string part;
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\' || path[i] == '/') {
      if (part == "." || part == "..") return std::nullopt;  // not resolved: no place to judge
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  return parts;
}

// `inner` is `outer` (same) or lies below it, by whole names, case ignored.
enum class Relation { None, Same, Inside, Holds };

Relation RelationOf(const std::vector<std::string>& place, const std::vector<std::string>& kept) {
  std::size_t common = place.size() < kept.size() ? place.size() : kept.size();
  for (std::size_t i = 0; i < common; ++i)
    if (!text::EqualsNoCase(place[i], kept[i])) return Relation::None;
  if (place.size() == kept.size()) return Relation::Same;
  return place.size() > kept.size() ? Relation::Inside : Relation::Holds;
}

bool Holds(const std::vector<PlaceId>& above, const std::optional<PlaceId>& id) {
  if (!id) return false;
  for (const PlaceId& a : above)
    if (a == *id) return true;
  return false;
}

// The relation of `place` to `kept` (Inside: `place` lies inside `kept`),
// by their paths or, where those do not tell, by their identities.
Relation Relate(const std::optional<std::vector<std::string>>& place, const Identity& placeId,
                const std::string& keptPath, const Identity& keptId) {
  std::optional<std::vector<std::string>> other = Parts(keptPath);
  if (place && other && other->size() >= 2) {
    Relation r = RelationOf(*place, *other);
    if (r != Relation::None) return r;
  }
  if (placeId.self && keptId.self && *placeId.self == *keptId.self) return Relation::Same;
  if (Holds(placeId.above, keptId.self)) return Relation::Inside;
  if (Holds(keptId.above, placeId.self)) return Relation::Holds;
  return Relation::None;
}

bool HasAny(const std::string& path, const char* a, const char* b, const char* c) {
  return path.find(a) != std::string::npos || path.find(b) != std::string::npos ||
         path.find(c) != std::string::npos;
}

}  // namespace

void DropFalseStores(std::vector<Kept>& kept) {
  auto isStore = [](const Kept& k) { return k.role == Role::Closed && k.owners != 0; };
  std::vector<Kept> out;
  for (const Kept& store : kept) {
    bool bogus = false;
    std::optional<std::vector<std::string>> parts = Parts(store.path);
    for (const Kept& other : kept) {
      if (!isStore(store) || bogus) break;
      if (other.owners != 0) continue;  // another store, or a store's file
      Relation r = Relate(parts, store.identity, other.path, other.identity);
      bogus = r == Relation::Same || r == Relation::Holds;
    }
    if (!bogus) out.push_back(store);
  }
  kept.swap(out);
}

bool PassesNameRule(Use use, const std::string& path) {
  switch (use) {
    case Use::Cache: return HasAny(path, "CACHE", "cache", "Cache");
    case Use::Recent: return HasAny(path, "RECENT", "recent", "Recent");
    default: return true;
  }
}

std::string Judge(Use use, const Candidate& place, const std::vector<Kept>& kept, bool nameRuleOff) {
  std::optional<std::vector<std::string>> parts = Parts(place.path);
  if (!parts) return "no such folder is known (no full path names it)";
  if (parts->size() < 2) return "it is the root of a drive";
  bool storeFile = use == Use::HistoryFile || use == Use::CookieFile || use == Use::BookmarkFile;
  if (storeFile && parts->size() < 3) return "it lies at the root of a drive";
  if (place.viaLink) return kLinkRefusal;
  if (!(nameRuleOff && use == Use::Cache) && !PassesNameRule(use, place.path))
    return use == Use::Cache ? kNotNamedCache : kNotNamedRecent;

  for (const Kept& k : kept) {
    if (k.owners & Bit(use)) continue;  // the step's own store
    Relation r = Relate(parts, place.identity, k.path, k.identity);
    if (r == Relation::None) continue;
    if (r == Relation::Same) return "it is " + k.name;
    if (r == Relation::Holds) {
      // A folder a step works in holds nothing that is kept, but for the
      // browser's own folder, which holds its stores by nature (the
      // summary files are taken there by name).
      if (use != Use::BrowserFiles) return "it holds " + k.name;
      continue;
    }
    // Inside a kept place.
    switch (k.role) {
      case Role::Closed: return "it lies inside " + k.name;
      case Role::Windows:
        if (use != Use::Recent) return "it lies inside " + k.name;
        break;
      case Role::Holder:
      case Role::File: break;
    }
  }
  return std::string();
}

}  // namespace gate
