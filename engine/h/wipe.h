// Destroying files: overwrite with the marker block through to the disk,
// then delete.
#pragma once
#include <cstdint>
#include <string>

// What became of a file handed to the wipe.
enum class WipeOutcome {
  Destroyed,  // overwritten through to the disk, then removed
  NameOnly,   // a link: the link is removed, what it leads to stays
  Unshared,   // one of several names of a file: this name is removed,
              // the content stays under the others (it is theirs too, so
              // it is never written through this one)
  Missing,    // nothing there, or a folder: nothing changed
  Left,       // could not be overwritten (read-only, held open): the file
              // stays exactly as it was, name and content
};

// Destroys one file. A file that cannot be overwritten is never deleted
// unwiped: its name would go while its bytes stay on the disk.
WipeOutcome nukeIt(const char* path);
// The same, telling the file's length as found and (for Left and
// NameOnly and Unshared, and for a Destroyed file whose name could not be removed) a
// short reason.
WipeOutcome nukeIt(const char* path, std::uint64_t* size, const char** why);

// The same for a file reached by its wide name, the "\\?\" form included:
// the clean run's walks reach every name of a folder that way, also those
// that the ANSI names cannot (a device name, a trailing dot, characters
// outside the code page, a path past MAX_PATH). `shown` is how the file is
// named in the trace and to the observers.
WipeOutcome WipeFile(const std::wstring& path, const std::string& shown, std::uint64_t* size, const char** why);

// What nukeIt would do to the file, without changing it: `size` receives
// the file's length, `why` (for Left, NameOnly and Unshared) a short reason.
// `markCleared`: the caller clears a read-only mark before the wipe.
WipeOutcome WouldWipe(const char* path, std::uint64_t* size, const char** why, bool markCleared = false);
WipeOutcome WouldWipeFile(const std::wstring& path, std::uint64_t* size, const char** why, bool markCleared = false);

// The viewer page's dump files (kDumpFiles) by full path in `folder`, the
// program's own, formed once at start: later changes of the working
// directory can neither move the copies nor turn the wipe on files of
// those names elsewhere.
void FormDumpFilePaths(const std::string& folder);
// Full path of dump file `index` of kDumpFiles; empty before they are
// formed or for an index out of range.
std::string DumpFilePath(int index);

// Destroys the viewer page's dump files (nothing before their paths are
// formed).
void WipeDumpFiles();

// Called after the overwrite has reached the disk and before the file is
// renamed and deleted (tests look at the file at that moment).
using WipeObserver = void (*)(const char* path, void* context);
void SetWipeObserver(WipeObserver observer, void* context);

// Called after the overwritten file has been renamed (`renamed` is its
// name now) and before that name is deleted.
using RenameObserver = void (*)(const char* path, const char* renamed, void* context);
void SetRenameObserver(RenameObserver observer, void* context);
