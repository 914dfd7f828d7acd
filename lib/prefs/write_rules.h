// When and how prefs.js may be written back. The rules guard the user's
// file: the table is written only over the file it was loaded from, never
// over a read-only file, and never at a drive root.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace prefs {

// A profile folder path shorter than this is taken as "no profile folder
// known" ("C:\" and the like).
constexpr std::size_t kMinProfileDirLen = 5;

// What lies at the path prefs.js is to be written to.
struct WriteTarget {
  bool unknown = false;  // it could not be examined: it may well exist
  bool exists = false;
  bool folder = false;
  bool readOnly = false;
  bool link = false;  // a reparse point
};

enum class WriteAction {
  Refuse,        // write nothing
  Create,        // nothing there yet: make the file
  Replace,       // write a complete new file beside it, then swap it in
  WriteThrough,  // a link: rewrite the file it leads to, in place
};

// ownsTarget: the table holds this very file (it was loaded from it, or
// was last written to it).
WriteAction PlanWrite(std::size_t profileDirLen, const WriteTarget& target, bool ownsTarget);

// profileDir and "prefs.js" joined by exactly one backslash.
std::string PrefsPathIn(std::string_view profileDir);

// Whether two full paths name the same file as Windows reads them: letters
// without regard to case, '/' as '\', a run of separators as one.
bool SamePath(std::string_view a, std::string_view b);

}  // namespace prefs
