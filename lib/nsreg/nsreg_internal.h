// Internals of the registry library: file layout, in-memory records and the
// operations the public functions are built from. Not for callers.
#pragma once

#include <cstdint>
#include <cstdio>

#include "nsreg/nsreg.h"

namespace nsreg {

// ---- File layout --------------------------------------------------------
constexpr uint32_t kMagic = 0x76644441u;  // "ADdv" in file order
constexpr uint16_t kMajorVersion = 1;
constexpr uint16_t kMinorVersion = 2;
constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kFirstObject = 128;  // offsets below are header/reserved
constexpr uint32_t kDescSize = 32;
constexpr uint32_t kMaxName = REG_MAX_NAME;    // with NUL
constexpr uint32_t kMaxValue = REG_MAX_VALUE;

struct Header {
  uint32_t magic = 0;
  uint16_t verMajor = 0;
  uint16_t verMinor = 0;
  uint32_t avail = 0;  // first free byte: where the next object goes
  uint32_t root = 0;   // offset of the root key's descriptor
};

// A key or entry descriptor. The word at offset 16 is `down` for a key and
// `valuebuf` for an entry; the one not belonging to the type is 0.
struct Desc {
  uint32_t location = 0;
  uint32_t name = 0;
  uint16_t namelen = 0;
  uint16_t type = 0;
  uint32_t left = 0;
  uint32_t down = 0;
  uint32_t valuebuf = 0;
  uint32_t value = 0;
  uint32_t valuelen = 0;
  uint32_t parent = 0;

  bool IsEntry() const { return (type & REGTYPE_ENTRY) != 0; }
};

// Offsets of the standard keys, 0 while absent. current_user is never set.
struct StdNodes {
  uint32_t versions = 0;
  uint32_t users = 0;
  uint32_t common = 0;
  uint32_t current_user = 0;
  uint32_t privarea = 0;
};

// One per open file name, shared by all handles on that name.
struct RegFile {
  FILE* fh = nullptr;
  Header hdr;
  int refCount = 0;
  bool hdrDirty = false;
  bool inInit = false;
  bool readOnly = false;
  char* filename = nullptr;
  StdNodes rkeys;
  RegFile* next = nullptr;  // RegList links
  RegFile* prev = nullptr;

  // Length of the file, measured at the start of each operation and grown
  // by our own appends. Reads beyond it are short reads; walks are bounded
  // by the number of descriptors it can hold.
  uint32_t fileLen = 0;

  // One block of the file, kept only within one operation.
  unsigned char* cache = nullptr;
  uint32_t cacheOff = 0;
  uint32_t cacheLen = 0;  // 0: nothing cached
};

constexpr uint32_t kCacheBlock = 8192;

// ---- Little-endian coding ------------------------------------------------
inline uint16_t Get16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void Put32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// ---- File layer (nsreg_io.cpp) -----------------------------------------
// Opens f->filename: "rb+", else "rb" read-only on access denied.
REGERR OpenStream(RegFile* f);
void CloseStream(RegFile* f);

// Starts a read operation: forgets cached bytes and measures the file.
REGERR BeginOp(RegFile* f);
// Starts a changing operation: refuses a read-only file, writes a dirty
// header, then re-reads the header from the file.
REGERR BeginChange(RegFile* f);
// Ends a changing operation by flushing; a failed flush turns success into
// REGERR_FAIL.
REGERR EndChange(RegFile* f, REGERR err);

REGERR ReadAt(RegFile* f, uint32_t off, void* buf, uint32_t len);
REGERR WriteAt(RegFile* f, uint32_t off, const void* buf, uint32_t len);

REGERR ReadHdr(RegFile* f);
REGERR WriteHdr(RegFile* f);

REGERR ReadDesc(RegFile* f, uint32_t off, Desc* d);
REGERR WriteDesc(RegFile* f, const Desc& d);
// Reads the name of d into buf (bufsize >= namelen), NUL-terminated.
REGERR ReadName(RegFile* f, const Desc& d, char* buf, uint32_t bufsize);

REGERR AppendData(RegFile* f, const void* data, uint32_t len, uint32_t* off);
REGERR AppendName(RegFile* f, const char* name, uint32_t* off, uint16_t* namelen);
REGERR AppendDesc(RegFile* f, Desc* d);  // sets d->location

// Most descriptors a single walk may visit before it is taken as a loop:
// as many as the file can hold side by side, plus one.
uint32_t WalkLimit(const RegFile* f);

// Keeps one walk along a chain of descriptors (a list, a line of first
// children, a line of parents) from going round a damaged file. Each step
// of a walk depends only on the descriptor it stands on, so a walk that
// comes back to an offset would go round forever: it ends there, as it
// ends after WalkLimit steps. Offsets met are kept in a small table of
// our own that grows as needed; should memory run out, the walk still
// ends within a few rounds of the loop by a check against an offset
// taken at growing distances behind it.
class WalkGuard {
 public:
  explicit WalkGuard(const RegFile* f);
  ~WalkGuard();
  WalkGuard(const WalkGuard&) = delete;
  WalkGuard& operator=(const WalkGuard&) = delete;

  // Notes the offset the walk starts from (never 0); not a step.
  void Start(uint32_t off) { Remember(off); }

  // Takes one step onto `off` (never 0). False when the walk must end:
  // `off` was met before in this walk, or the step is one too many.
  bool Visit(uint32_t off);

 private:
  bool Remember(uint32_t off);  // false: met before
  bool Grow();

  static constexpr uint32_t kInlineBits = 6;
  uint32_t limit_;
  uint32_t steps_ = 0;
  uint32_t inline_[1u << kInlineBits] = {};
  uint32_t* table_ = inline_;  // open addressing, 0 marks a free place
  uint32_t bits_ = kInlineBits;
  uint32_t used_ = 0;
  bool tracking_ = true;  // false once the table could not grow
  uint32_t mark_ = 0;     // the fallback's offset behind the walk
  uint32_t span_ = 1;
  uint32_t sinceMark_ = 0;
};

// ---- Tree (nsreg_tree.cpp) -----------------------------------------------
bool IsValidUTF8(const char* s);
bool IsValidUTF8(const char* s, uint32_t len);

// Name rules for a name about to be written.
REGERR CheckNewName(const char* name);
// Path rules; `forWrite` adds the name rules for every component.
REGERR CheckPath(const char* path, bool forWrite);

// Standard code or offset -> descriptor offset; 0 for an unknown code.
uint32_t TranslateKey(const RegFile* f, RKEY key);

struct FindResult {
  Desc desc;          // the key or entry found
  uint32_t prev = 0;  // its predecessor in its list, 0 at the head
  uint32_t parent = 0;  // the key whose list holds it, 0 for the start key
};

// Searches the list starting at `first` for `name`.
REGERR FindAtLevel(RegFile* f, uint32_t first, const char* name, FindResult* r);
// Follows `path` from the key at `start`.
REGERR Find(RegFile* f, uint32_t start, const char* path, FindResult* r);
// Like Find but creates missing keys; a changing operation of its own.
REGERR AddKey(RegFile* f, uint32_t start, const char* path, uint32_t* result);

REGERR Upgrade(RegFile* f);
void FindStdKeys(RegFile* f);

REGERR SetValue(RegFile* f, uint32_t key, const char* name, uint16_t type,
                const unsigned char* data, uint32_t len);
REGERR DeleteKey(RegFile* f, uint32_t start, const char* path);
REGERR DeleteEntry(RegFile* f, uint32_t key, const char* name);

// ---- Enumeration (nsreg_enum.cpp) ----------------------------------------
REGERR EnumSubkeys(RegFile* f, uint32_t key, REGENUM* state, char* buffer,
                   uint32_t bufsize, uint32_t style);
REGERR EnumEntries(RegFile* f, uint32_t key, REGENUM* state, char* buffer,
                   uint32_t bufsize, REGINFO* info);

}  // namespace nsreg
