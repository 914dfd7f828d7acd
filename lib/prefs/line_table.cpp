#include "prefs/line_table.h"

#include <climits>
#include <utility>

namespace prefs {

namespace {

const std::string kEmpty;

// Text mode: every LF goes to disk as CR LF.
void PutText(std::string& out, const std::string& text) {
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

std::size_t LineFeeds(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

LineTable::LineTable() { Clear(); }

void LineTable::Clear() {
  slots_.clear();
  slots_.emplace_back();
  count_ = 0;
}

bool LineTable::Load(std::string_view bytes) {
  Clear();
  if (bytes.size() > kMaxFileBytes) return false;
  std::size_t pos = 0;
  for (;;) {
    std::size_t cr = bytes.find('\r', pos);
    if (cr == std::string_view::npos) {
      slots_.back().text.append(bytes.substr(pos));
      break;
    }
    slots_.back().text.append(bytes.substr(pos, cr - pos));
    Slot next;
    // A CR at the very end is taken up by the line end the writer closes
    // the file with, so only a CR with something other than an LF after it
    // has to be written on its own.
    next.bareCr = cr + 1 < bytes.size() && bytes[cr + 1] != '\n';
    slots_.push_back(std::move(next));
    ++count_;
    pos = cr + 1;
  }
  return true;
}

const std::string& LineTable::operator[](int slot) const {
  if (slot < 0 || slot > count_) return kEmpty;
  return slots_[static_cast<std::size_t>(slot)].text;
}

int LineTable::Find(std::string_view key) const {
  for (int slot = 1; slot <= count_; ++slot)
    if (slots_[static_cast<std::size_t>(slot)].text.find(key) != std::string::npos) return slot;
  return count_ + 1;
}

bool LineTable::Replace(int slot, std::string_view line) {
  if (slot < 0 || slot > count_) return false;
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  s.text.assign(line.data(), line.size());
  s.bareCr = false;  // the new line brings its own line end
  return true;
}

bool LineTable::Append(std::string_view view) {
  if (count_ > INT_MAX - 2) return false;
  std::string line(view);  // the text may be a slot's own, changed below
  Slot& tail = slots_.back();
  // The tail normally holds only the LF of the last line end, which the new
  // line's own leading LF takes over. A tail with text in it (a last line
  // without a line end, or lines ended by LF alone) is kept as a line of
  // its own, less a final LF for the same reason. Slot 0 is kept too, even
  // empty: finds never look there, so a line put into it could not be
  // found again; the bytes written are the same either way.
  if (!tail.text.empty() && tail.text.back() == '\n') tail.text.pop_back();
  if (tail.text.empty() && count_ > 0) {
    tail.text = std::move(line);
    tail.bareCr = false;
    slots_.emplace_back();
    count_ += 1;
  } else {
    Slot added;
    added.text = std::move(line);
    slots_.push_back(std::move(added));
    slots_.emplace_back();
    count_ += 2;
  }
  return true;
}

std::string LineTable::Serialize() const {
  std::size_t size = 2;
  for (const Slot& s : slots_) size += s.text.size() + LineFeeds(s.text) + 1;
  std::string out;
  out.reserve(size);
  for (int slot = 0; slot <= count_; ++slot) {
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (slot > 0 && s.bareCr) out += '\r';
    PutText(out, s.text);
  }
  // The file always ends in a line end.
  const std::string& tail = slots_.back().text;
  if (tail.empty() || tail.back() != '\n') out += "\r\n";
  return out;
}

}  // namespace prefs

prefs::LineTable PrefsLines;
const int& LineCount = PrefsLines.CountRef();

int FindPrefLine(const char* key) {
  if (key == nullptr) return LineCount + 1;
  return PrefsLines.Find(key);
}

bool ReplacePrefLine(int slot, const char* line) {
  if (line == nullptr) return false;
  return PrefsLines.Replace(slot, line);
}

bool AppendPrefLine(const char* line) {
  if (line == nullptr) return false;
  return PrefsLines.Append(line);
}
