// The line table of prefs.js: the file held as raw lines, searched by a
// substring, edited by whole lines and turned back into the file's bytes.
//
// A line is ended by CR LF, by LF alone or by a lone CR, whichever comes
// first: files edited by hand or by other programs mix them. Slot layout:
//   slot 0            the first line, without its line end
//   slots 1..n-1      an LF followed by the next line, without its line end
//   slot n (tail)     an LF followed by what comes after the last line
//                     end: normally nothing, so the tail is a single LF
// where n = Count() is the number of line ends read. The LF that starts a
// slot stands for the line end in front of it, whichever kind that was in
// the file. Every line the program writes into a slot begins with an LF
// as well.
//
// Writing puts each line end back as the file had it, so a file that is
// loaded and written back unchanged comes out byte for byte the same, and
// so do the lines an edit does not touch; a replaced line keeps the line
// end in front of it and its own. Beyond that:
//   - any other LF in a slot's text (one the program wrote) goes to disk
//     as CR LF, as the browser writes it; so does the line end of every
//     appended line;
//   - the tail slot is written, so a last line without a line end (or an
//     edit made to it) survives; the written file always ends in a line
//     end, and gets a CR LF when it had none;
//   - a slot whose text does not begin with an LF continues the line in
//     front of it, whose line end is then not written;
//   - appending never overwrites a tail that holds text: the new line goes
//     after it. Nor does it go into slot 0 (the first append to an empty
//     table), where a find would never see it.
//
// Any number of lines of any length is held whole, up to kMaxFileBytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace prefs {

// A prefs.js is a few kilobytes; anything larger than this is not loaded
// (and is therefore never rewritten either).
constexpr std::size_t kMaxFileBytes = 16u << 20;

enum class LineEnd : unsigned char { CrLf, Lf, Cr };

class LineTable {
 public:
  LineTable();

  // Empties the table: no lines, slot 0 empty, Count() 0. This is also
  // the state after a file that could not be loaded.
  void Clear();

  // Fills the table from the bytes of a file. Refuses (and leaves the
  // table cleared) when there are more than kMaxFileBytes.
  bool Load(std::string_view bytes);

  // The number of line ends read plus the lines appended since: the
  // number of the tail slot.
  int Count() const { return count_; }
  const int& CountRef() const { return count_; }

  // The text of a slot; empty for every slot outside 0..Count().
  const std::string& operator[](int slot) const;

  // The first slot from 1 to Count() whose text contains key (case
  // matters, anywhere in the line); Count() + 1 when there is none. Slot 0
  // is never examined.
  int Find(std::string_view key) const;

  // Overwrites the whole text of a slot. Slots outside 0..Count() are
  // refused and nothing changes.
  bool Replace(int slot, std::string_view line);

  // Adds a line after the last complete line of the file. The line is
  // expected to begin with an LF.
  bool Append(std::string_view line);

  // The bytes of the file as they are written to disk.
  std::string Serialize() const;

 private:
  struct Slot {
    std::string text;
    LineEnd before = LineEnd::CrLf;  // the line end in front of this slot
  };
  std::vector<Slot> slots_;  // always Count() + 1 entries
  int count_ = 0;
};

}  // namespace prefs

// ---- The program-wide table of prefs.js and its operations ----
// Loading from and writing to disk are the program's (prefs_file.h).

extern prefs::LineTable PrefsLines;
// The number of the tail slot; read-only, kept by the operations.
extern const int& LineCount;

// Slot of the first line from 1 to LineCount containing key; LineCount + 1
// (an empty slot) when none does. The line is found when the slot is not
// empty. A null key is never found.
int FindPrefLine(const char* key);

// The slots from 0 to LineCount of every line that sets the preference
// `key` (by its exact name, prefs::PrefKeyOf), in file order: the browser
// takes the last of them.
std::vector<int> PrefLinesOf(const char* key);

// Overwrites slot `slot` with `line`; false (and no change) for a slot
// outside 0..LineCount or a null line. The LF a line begins with is left
// out in slot 0, which has no line end in front of it.
bool ReplacePrefLine(int slot, const char* line);

// Adds `line` as the new last line. False only for a null line.
bool AppendPrefLine(const char* line);
