// prefs.js on disk: loading it into the program-wide line table and writing
// the table back. The table and its find, replace and append operations
// are in prefs/line_table.h.
#pragma once
#include <string>

#include "prefs/line_table.h"

// Fills PrefsLines and LineCount from the file at `path`. When the file
// cannot be opened or read whole, the table is left empty (LineCount 0)
// and false is returned. `opened`, when given, is called once the file is
// open and before its bytes are read.
bool LoadPrefsFile(const char* path, void (*opened)() = nullptr);

// Writes the table to ProfileDir\prefs.js (the path is formed into
// PrefsFile first). The new file is written complete beside the old one
// and then put in its place, so an interruption never leaves a cut file;
// where another program keeps the file from being replaced, it is
// rewritten in place instead. Nothing is written, and false is returned,
// when no profile folder is known, when the file is read-only, or when a
// prefs.js exists there that the table was not loaded from. The file's
// attributes are kept; a link is written through.
bool WritePrefsFile();

// Where WritePrefsFile would write, without writing: false when it would
// refuse (the reasons above).
bool PrefsWriteTarget(std::string& path);

// Before a step edits the table: when the file the table was loaded from
// (or last written to) has changed on disk since, by its last-write time
// or its size, loads it again, so the edits go over what the browser wrote
// meanwhile. When no file was loaded, loads PrefsFile if there is one.
// A file that has gone away leaves the table as it is. Returns true when
// the table was loaded now.
bool ReloadPrefsIfChanged();
// While held, ReloadPrefsIfChanged loads nothing: a preview that has
// "written" the table keeps it, as the real run keeps the table it wrote.
// Returns the state before.
bool HoldPrefsReload(bool held);

// While held, WritePrefsFile writes nothing: it says whether it would
// have written, and the table keeps what would have gone to the file. A
// preview that starts with discovery (which adds placeholder lines to
// prefs.js) holds them. Returns the state before; ending the hold forgets
// whether anything was held.
bool HoldPrefsWrites(bool held);
// Whether a write was held since the hold began: the table then differs
// from the file.
bool PrefsWritesPending();

// Whether the write PrefsWriteTarget plans would get through now: no
// program holds the file so that it can neither be replaced nor
// rewritten, and the folder is there.
bool PrefsWriteWouldSucceed(const std::string& path);

// Which file the table belongs to and how it looked then. A preview that
// loads a file the browser changed puts this back afterwards, so the run
// after it still sees the change and loads the file again.
struct PrefsFileMark {
  bool owned = false;
  std::string path;
  unsigned long long written = 0, size = 0;
};
PrefsFileMark CurrentPrefsFileMark();
void RestorePrefsFileMark(const PrefsFileMark& mark);

// Puts `bytes` in place of the file at `path` (created when missing): the
// new content is written whole and flushed beside it, then moved over it,
// so an interruption never leaves a cut file and a link or a second name
// at `path` is replaced rather than written through. False, with nothing
// changed, when the file is read-only or a folder, or the write fails.
bool ReplaceFileWhole(const std::string& path, const std::string& bytes);

// Reads a whole file of at most `limit` bytes; false when it cannot be
// opened or read, or is larger.
bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t limit);

// Switching a preference by swapping its line with a placeholder line, so
// the line keeps its place in prefs.js and can be switched back.
// On: the placeholder (the first line holding `placeholderKey`) becomes
// `line`; without one, a line the preference already has is overwritten,
// and only a table with neither gets `line` appended, so switching on
// again never piles up copies that switching off would leave behind.
void SwitchPrefOn(const char* placeholderKey, const char* key, const char* line);
// Off: every line holding `key` becomes `placeholder`, so no copy left
// over from earlier keeps the preference on.
void SwitchPrefOff(const char* key, const char* placeholder);
