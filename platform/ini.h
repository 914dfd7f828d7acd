// Reading and writing INI files through the Windows profile functions.
// Files named without a folder (MOPWELL.INI) live in the Windows directory
// that the platform seam reports; full paths are used as they are.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ini {

// Full path of a file: a bare name is placed in the Windows directory.
std::string PathOf(const char* file);

// Reads a text value as GetPrivateProfileStringA does into a buffer of
// `size` bytes: at most size-1 characters, `def` when the key is absent.
std::string GetString(const char* file, const char* section, const char* key,
                      const char* def, DWORD size);
// Same, into a caller's fixed buffer; returns the count copied.
DWORD GetString(const char* file, const char* section, const char* key, const char* def,
                char* buffer, DWORD size);
template <DWORD N>
DWORD GetString(const char* file, const char* section, const char* key, const char* def,
                char (&buffer)[N]) {
  return GetString(file, section, key, def, buffer, N);
}

int GetInt(const char* file, const char* section, const char* key, int def);
bool GetOnOff(const char* file, const char* section, const char* key);

// The form to write `value` in so that reading it gives back exactly
// `value`: the profile functions drop blanks around a value and one pair
// of quotes around it, so a value with either gets a pair of double quotes
// of its own. (A line break cannot be kept at all.)
std::string Kept(const std::string& value);

// Writes a value; a null value deletes the key. False when the file could
// not be written. A write that changes nothing is not made (and gets
// through); a read-only file is not written, as Windows judges it (Wine
// running as root would write it).
bool Write(const char* file, const char* section, const char* key, const char* value);
// Whether Write would get through now, changing nothing: the value is
// already there, or the file can be opened for writing as the profile
// functions open it (not read-only, no program holding it shut), or it is
// not there yet and its folder is.
bool CanWrite(const char* file, const char* section, const char* key, const char* value);
void WriteOnOff(const char* file, const char* section, const char* key, bool on);
void WriteInt(const char* file, const char* section, const char* key, int value);
void DeleteSection(const char* file, const char* section);

// While writes are held, Write, WriteOnOff, WriteInt and DeleteSection
// change no file: what they would have written is kept in memory, and the
// reads above see it, so a run that reads back what it wrote earlier goes
// on as it would with the file written. Ending the hold forgets it all.
// A preview holds the writes of the whole program (discovery records what
// it found in MOPWELL.INI, the trace writes as it goes) so that the INI
// files keep every byte.
void HoldWrites(bool hold);
bool WritesHeld();
// What is held, a line a key: `file [section] key = "value"`, or
// `... key: deleted`.
std::vector<std::string> HeldWrites();

}  // namespace ini
