// Destroying files: overwrite with the marker block through to the disk,
// then delete.
#pragma once

// Destroys one file. Nothing is reported; callers go on regardless.
// A missing path, a folder and a read-only file are left as they are.
void nukeIt(const char* path);

// Destroys the viewer page's dump files in the working directory.
void WipeDumpFiles();

// Called after the overwrite has reached the disk and before the file is
// renamed and deleted (tests look at the file at that moment).
using WipeObserver = void (*)(const char* path, void* context);
void SetWipeObserver(WipeObserver observer, void* context);
