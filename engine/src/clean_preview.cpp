// The preview front end of the clean run: a list of what the run would do
// (the window the clean page shows it in is the page's own).
#include "clean_preview.h"

#include <windows.h>

#include <string>

#include "engine.h"
#include "globals.h"

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

void PreviewList::Discovered(const std::vector<std::string>& iniKeys,
                             const std::vector<std::pair<std::string, std::string>>& prefsChanges) {
  if (iniKeys.empty() && prefsChanges.empty()) return;
  Line("[Before the steps: what finding the browser's files records]");
  for (const std::string& key : iniKeys) Line("  set       " + key);
  for (const auto& change : prefsChanges) PrefsLine(CleanStep::Identity, change.first, change.second);
}

void PreviewList::StepStarted(CleanStep step) { Line(std::string("[") + StepTitle(step) + "]"); }

void PreviewList::File(CleanStep, const FileEvent& e) {
  files.push_back(e);
  switch (e.kind) {
    case FileEvent::Destroyed:
      Line("  destroy   " + e.path + "  (" + Grouped(e.size) + " bytes)" + (e.note.empty() ? "" : "; " + e.note));
      break;
    case FileEvent::NameRemoved: Line("  unlink    " + e.path + "  (" + e.note + ")"); break;
    case FileEvent::Replaced: Line("  replace   " + e.path + "  with " + e.note); break;
    case FileEvent::Left: Line("  left      " + e.path + ": " + e.note); break;
  }
}

void PreviewList::Setting(CleanStep, const SettingEvent& e) {
  settings.push_back(e);
  std::string where = e.kind == SettingEvent::RegistrySet ? "HKEY_CURRENT_USER\\" + e.where
                                                          : e.where + " [" + e.section + "]";
  if (e.kind == SettingEvent::IniDeleted) {
    Line("  delete    " + where + " " + e.name + "  (now " + Quoted(e.previous) + ")");
    return;
  }
  std::string was = e.previous == "<absent>" ? "not there yet" : "now " + Quoted(e.previous);
  Line("  set       " + where + " " + e.name + " = " + Quoted(e.value) + "  (" + was + ")");
}

void PreviewList::PrefsLine(CleanStep, const std::string& before, const std::string& after) {
  prefsLines.emplace_back(before, after);
  Line("  prefs.js  - " + (before.empty() ? std::string("(new line)") : before));
  Line("            + " + after);
}

void PreviewList::Notice(CleanStep, const char* text, const char* title) {
  std::string flat = text;
  for (char& c : flat)
    if (c == '\n' || c == '\r') c = ' ';
  Line(std::string("  message   ") + title + ": " + flat);
}

bool PreviewList::Ask(CleanStep, const CleanQuestion& q) {
  std::string flat = q.text;
  for (char& c : flat)
    if (c == '\n' || c == '\r') c = ' ';
  if (!canAsk_) {
    if (yesBookmarks_)
      Line(std::string("  answered  ") + Quoted(flat) + ": Yes by /yes-bookmarks: " + q.onYes);
    else
      Line(std::string("  not asked ") + Quoted(flat) + ": without /yes-bookmarks " + q.onNo);
    return yesBookmarks_;
  }
  Line(std::string("  question  ") + Quoted(flat) + " (" + q.title + ")");
  Line(std::string("            on No:  ") + q.onNo + ", and nothing below happens");
  Line(std::string("            on Yes: ") + q.onYes + ", as listed below");
  return answer;
}

void PreviewList::StepFinished(CleanStep step, const std::string& status, StepResult result) {
  results[static_cast<int>(step)] = result;
  const char* how = result == StepResult::Done        ? "done"
                    : result == StepResult::Unchecked ? "not chosen"
                    : result == StepResult::Refused   ? "refused"
                                                      : "fails";
  Line(std::string("  => ") + how + ": " + status);
}

std::size_t PreviewList::destroyedFiles() const {
  std::size_t n = 0;
  for (const FileEvent& e : files) n += e.kind == FileEvent::Destroyed;
  return n;
}

std::uint64_t PreviewList::destroyedBytes() const {
  std::uint64_t n = 0;
  for (const FileEvent& e : files)
    if (e.kind == FileEvent::Destroyed) n += e.size;
  return n;
}

std::string PreviewList::Totals() const {
  std::size_t replaced = 0, left = 0;
  for (const FileEvent& e : files) {
    replaced += e.kind == FileEvent::Replaced;
    left += e.kind == FileEvent::Left;
  }
  std::size_t n = destroyedFiles();
  return Grouped(n) + (n == 1 ? " file" : " files") + " (" + Grouped(destroyedBytes()) +
         " bytes) would be destroyed, " + Grouped(replaced) + " replaced, " + Grouped(left) + " left; " +
         Grouped(settings.size()) + " settings and " + Grouped(prefsLines.size()) + " prefs.js lines changed.";
}

std::string PreviewList::Text(bool crlf) const {
  const char* end = crlf ? "\r\n" : "\n";
  std::string text = std::string("Preview of the clean run: nothing has been changed.") + end;
  for (const std::string& line : lines_) text += line + end;
  text += Totals() + end;
  return text;
}

PreviewList PreviewClean(const CleanChoices& choices) {
  PreviewList list;
  RunClean(choices, list);
  return list;
}
