/* Test seam of the registry library: how files are opened.
 *
 * The library opens a registry file with mode "rb+" and, when that fails
 * with access denied (errno EACCES, EPERM or EROFS), again with "rb" for a
 * read-only registry. A replacement opener lets tests make the first open
 * fail even when they run with rights that ignore file permissions.
 * The opener must behave like fopen: return NULL and set errno on failure.
 */
#ifndef MOPWELL_NSREG_HOOKS_H
#define MOPWELL_NSREG_HOOKS_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef FILE* (*NR_FileOpener)(const char* path, const char* mode);

/* Installs `opener` (NULL restores fopen) and returns the previous one. */
NR_FileOpener NR_SetFileOpener(NR_FileOpener opener);

#ifdef __cplusplus
}
#endif

#endif /* MOPWELL_NSREG_HOOKS_H */
