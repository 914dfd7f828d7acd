/* Reader and writer of the browser's binary profile registry (nsreg.dat).
 *
 * The file is a tree of named keys; each key holds named, typed entries.
 * Every operation returns a REGERR code and shows nothing to the user.
 * Portable: no platform headers, files are handled through <cstdio>.
 *
 * Handles: NR_RegOpen hands out an opaque HREG. All handles on the same
 * file name share one open file; the file is closed when the last handle
 * is closed. A closed (stale) handle is refused with REGERR_BADMAGIC.
 *
 * Keys: an RKEY is the file offset of a key's descriptor, or (for the key
 * operations NR_RegGetKey, NR_RegAddKey, NR_RegDeleteKey and
 * NR_RegEnumSubkeys only) one of the ROOTKEY_* codes below. The entry
 * operations take a descriptor offset only.
 *
 * Damaged or hostile files end an operation with an error code; no walk
 * along a chain of the file runs without bound.
 *
 * One thread: the library keeps process-wide state without locking.
 */
#ifndef MOPWELL_NSREG_H
#define MOPWELL_NSREG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t REGERR;
typedef uint32_t RKEY;
typedef uint32_t REGENUM; /* enumeration state: 0 starts */
typedef void* HREG;

/* Result codes. 8 and 16 are never produced. */
#define REGERR_OK           0  /* success */
#define REGERR_FAIL         1  /* failure, also a damaged file structure */
#define REGERR_NOMORE       2  /* end of a path or of an enumeration */
#define REGERR_NOFIND       3  /* not found */
#define REGERR_BADREAD      4  /* short read */
#define REGERR_BADLOCN      5  /* descriptor location differs from its offset */
#define REGERR_PARAM        6  /* bad parameter */
#define REGERR_BADMAGIC     7  /* bad file header or stale handle */
#define REGERR_NOFILE       9  /* the file does not exist */
#define REGERR_MEMORY       10 /* out of memory */
#define REGERR_BUFTOOSMALL  11 /* buffer too small */
#define REGERR_NAMETOOLONG  12 /* name or value too long */
#define REGERR_REGVERSION   13 /* file version too new */
#define REGERR_DELETED      14 /* descriptor marked deleted */
#define REGERR_BADTYPE      15 /* wrong entry type */
#define REGERR_BADNAME      17 /* bad name */
#define REGERR_READONLY     18 /* file is read-only */
#define REGERR_BADUTF8      19 /* name or string is not valid UTF-8 */

/* Standard keys, accepted in place of a key offset by the key operations. */
#define ROOTKEY_USERS     0x01 /* "Users": one subkey per profile */
#define ROOTKEY_COMMON    0x02 /* "Common": shared settings */
#define ROOTKEY_PRIVATE   0x04 /* "Private Arenas" */
#define ROOTKEY_ROOT      0x20 /* the root key "/" */
#define ROOTKEY_VERSIONS  0x21 /* "Version Registry" */

/* Descriptor types (REGINFO.entryType). */
#define REGTYPE_KEY                0x0001
#define REGTYPE_ENTRY              0x0010 /* bit: the descriptor is an entry */
#define REGTYPE_ENTRY_STRING_UTF   0x0011
#define REGTYPE_ENTRY_INT32_ARRAY  0x0012
#define REGTYPE_ENTRY_BYTES        0x0013
#define REGTYPE_DELETED            0x0080 /* bit: the descriptor is deleted */

/* NR_RegEnumSubkeys styles. */
#define REGENUM_CHILDREN    0 /* immediate children, buffer gets the name */
#define REGENUM_DESCEND     1 /* whole subtree, parent before children */
#define REGENUM_DEPTH_FIRST 2 /* whole subtree, children before parent */

/* Limits. */
#define REG_MAX_NAME   512   /* a name with its NUL */
#define REG_MAX_VALUE  32767 /* bytes of one value */

typedef struct REGINFO {
  uint16_t size;        /* set by the caller to sizeof(REGINFO), i.e. 8 */
  uint16_t entryType;   /* REGTYPE_ENTRY_... */
  uint32_t entryLength; /* bytes in use (a string counts its NUL) */
} REGINFO;

/* ---- Read path -------------------------------------------------------- */

/* Opens the registry file `filename` and stores a handle in *hReg (NULL on
   failure). A missing file gives REGERR_NOFILE: no file is ever created, but
   an existing empty file becomes a new registry. A file that can only be read
   opens read-only: reads work, every change gives REGERR_READONLY. */
REGERR NR_RegOpen(const char* filename, HREG* hReg);

/* Releases the handle; the file is written back and closed with its last
   handle. A second close of the same handle gives REGERR_BADMAGIC. */
REGERR NR_RegClose(HREG hReg);

/* Finds the key at `path` ("a/b/c", relative to `key`; "" or "/" is `key`
   itself) and stores its offset in *result, which is left alone on failure. */
REGERR NR_RegGetKey(HREG hReg, RKEY key, const char* path, RKEY* result);

/* Copies the string entry `name` of the key at offset `key` into `buffer`.
   A value longer than bufsize gives REGERR_BUFTOOSMALL and copies nothing.
   On success and on REGERR_BUFTOOSMALL buffer[bufsize-1] is set to NUL. */
REGERR NR_RegGetEntryString(HREG hReg, RKEY key, const char* name,
                            char* buffer, uint32_t bufsize);

/* ---- The rest of the library ------------------------------------------ */

/* Type and length of an entry. info->size must be exactly 8. */
REGERR NR_RegGetEntryInfo(HREG hReg, RKEY key, const char* name, REGINFO* info);

/* Copies the value of any type into buffer of *size bytes. An integer array
   comes back as host-order uint32_t elements. *size receives the value's
   length whenever the entry was found (also with REGERR_BUFTOOSMALL). */
REGERR NR_RegGetEntry(HREG hReg, RKEY key, const char* name,
                      void* buffer, uint32_t* size);

/* Sets (overwrites or creates) the string entry `name` of key `key`. */
REGERR NR_RegSetEntryString(HREG hReg, RKEY key, const char* name,
                            const char* buffer);

/* Sets an entry of the given type: REGTYPE_ENTRY_STRING_UTF (the buffer's
   last byte must be NUL), REGTYPE_ENTRY_INT32_ARRAY (size a multiple of 4,
   host-order uint32_t elements), REGTYPE_ENTRY_BYTES (raw). */
REGERR NR_RegSetEntry(HREG hReg, RKEY key, const char* name, uint16_t type,
                      const void* buffer, uint32_t size);

/* Creates every missing key along `path` below `key` and stores the offset
   of the last one in *newKey (which may be NULL). Existing keys are reused.
   The whole path is checked before anything is written. */
REGERR NR_RegAddKey(HREG hReg, RKEY key, const char* path, RKEY* newKey);

/* Unlinks the key at `path` below `key` and marks it deleted. REGERR_FAIL if
   it has subkeys or is the root, "Users", "Common" or "Version Registry". */
REGERR NR_RegDeleteKey(HREG hReg, RKEY key, const char* path);

/* Unlinks the entry `name` of key `key` and marks it deleted. */
REGERR NR_RegDeleteEntry(HREG hReg, RKEY key, const char* name);

/* Next subkey of `key`. *state is 0 to start and receives the offset of the
   key returned; REGERR_NOMORE at the end. Style REGENUM_CHILDREN puts the
   child's name in buffer, the other two the path relative to `key`. */
REGERR NR_RegEnumSubkeys(HREG hReg, RKEY key, REGENUM* state, char* buffer,
                         uint32_t bufsize, uint32_t style);

/* Next entry name of key `key`; *state as above. Fills *info when info is
   given and info->size is at least 8. */
REGERR NR_RegEnumEntries(HREG hReg, RKEY key, REGENUM* state, char* buffer,
                         uint32_t bufsize, REGINFO* info);

/* Stores in *name a newly allocated copy of the user name ("default" while
   unset). The caller must release it with NR_RegFreeUsername. */
REGERR NR_RegGetUsername(char** name);

/* Releases a copy returned by NR_RegGetUsername. NULL is allowed. */
void NR_RegFreeUsername(char* name);

/* Replaces the user name with a copy of `name`. */
REGERR NR_RegSetUsername(const char* name);

#ifdef __cplusplus
}
#endif

#endif /* MOPWELL_NSREG_H */
