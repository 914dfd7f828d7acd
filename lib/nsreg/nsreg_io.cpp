// File layer of the registry library: opening the stream, bounded reads
// and writes, the header, descriptors, names and appends.
//
// The stream is unbuffered so that what another opener of the same file
// wrote is seen at the next operation; reads go through one block of our
// own, which is forgotten at the start of every operation.
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "nsreg/nsreg_hooks.h"
#include "nsreg/nsreg_internal.h"

namespace {

NR_FileOpener g_opener = nullptr;

FILE* DefaultOpen(const char* path, const char* mode) { return std::fopen(path, mode); }

bool IsAccessDenied(int e) {
  if (e == EACCES || e == EPERM) return true;
#ifdef EROFS
  if (e == EROFS) return true;
#endif
  return false;
}

// Largest offset a stream position can hold on this platform.
constexpr unsigned long long kMaxPos =
    (static_cast<unsigned long long>(LONG_MAX) < 0xFFFFFFFFull)
        ? static_cast<unsigned long long>(LONG_MAX)
        : 0xFFFFFFFFull;

}  // namespace

extern "C" NR_FileOpener NR_SetFileOpener(NR_FileOpener opener) {
  NR_FileOpener prev = g_opener;
  g_opener = opener;
  return prev;
}

namespace nsreg {

REGERR OpenStream(RegFile* f) {
  NR_FileOpener open = g_opener ? g_opener : &DefaultOpen;
  errno = 0;
  FILE* fh = open(f->filename, "rb+");
  if (!fh) {
    int e = errno;
    if (e == ENOENT) return REGERR_NOFILE;
    if (!IsAccessDenied(e)) return REGERR_FAIL;
    fh = open(f->filename, "rb");
    if (!fh) return REGERR_FAIL;
    f->readOnly = true;
  }
  std::setvbuf(fh, nullptr, _IONBF, 0);
  f->cache = new (std::nothrow) unsigned char[kCacheBlock];
  if (!f->cache) {
    std::fclose(fh);
    return REGERR_MEMORY;
  }
  f->cacheLen = 0;
  f->fh = fh;
  return REGERR_OK;
}

void CloseStream(RegFile* f) {
  if (f->fh) std::fclose(f->fh);
  f->fh = nullptr;
  delete[] f->cache;
  f->cache = nullptr;
  f->cacheLen = 0;
}

REGERR BeginOp(RegFile* f) {
  f->cacheLen = 0;
  if (std::fseek(f->fh, 0, SEEK_END) != 0) return REGERR_FAIL;
  long end = std::ftell(f->fh);
  if (end < 0) return REGERR_FAIL;
  unsigned long long len = static_cast<unsigned long long>(end);
  f->fileLen = static_cast<uint32_t>(len > kMaxPos ? kMaxPos : len);
  return REGERR_OK;
}

REGERR BeginChange(RegFile* f) {
  if (f->readOnly) return REGERR_READONLY;
  if (f->hdrDirty) {
    REGERR err = WriteHdr(f);
    if (err != REGERR_OK) return err;
  }
  return ReadHdr(f);
}

REGERR EndChange(RegFile* f, REGERR err) {
  if (std::fflush(f->fh) != 0 && err == REGERR_OK) err = REGERR_FAIL;
  return err;
}

REGERR ReadAt(RegFile* f, uint32_t off, void* buf, uint32_t len) {
  if (len == 0) return REGERR_OK;
  if (off > f->fileLen || len > f->fileLen - off) return REGERR_BADREAD;
  unsigned char* out = static_cast<unsigned char*>(buf);
  while (len > 0) {
    bool cached = f->cacheLen > 0 && off >= f->cacheOff && off - f->cacheOff < f->cacheLen;
    if (!cached) {
      uint32_t block = off - off % kCacheBlock;
      uint32_t want = f->fileLen - block < kCacheBlock ? f->fileLen - block : kCacheBlock;
      f->cacheLen = 0;
      if (std::fseek(f->fh, static_cast<long>(block), SEEK_SET) != 0) return REGERR_BADREAD;
      size_t got = std::fread(f->cache, 1, want, f->fh);
      if (got <= off - block) return REGERR_BADREAD;  // the file shrank
      f->cacheOff = block;
      f->cacheLen = static_cast<uint32_t>(got);
    }
    uint32_t at = off - f->cacheOff;
    uint32_t n = f->cacheLen - at < len ? f->cacheLen - at : len;
    std::memcpy(out, f->cache + at, n);
    out += n;
    off += n;
    len -= n;
  }
  return REGERR_OK;
}

REGERR WriteAt(RegFile* f, uint32_t off, const void* buf, uint32_t len) {
  if (f->readOnly) return REGERR_READONLY;
  if (len == 0) return REGERR_OK;
  if (static_cast<unsigned long long>(off) + len > kMaxPos) return REGERR_FAIL;
  if (std::fseek(f->fh, static_cast<long>(off), SEEK_SET) != 0) return REGERR_FAIL;
  size_t put = std::fwrite(buf, 1, len, f->fh);
  // Keep the cached block in step with what reached the file.
  if (f->cacheLen > 0 && put > 0) {
    uint32_t lo = off > f->cacheOff ? off : f->cacheOff;
    uint32_t hiWrite = off + static_cast<uint32_t>(put);
    uint32_t hiCache = f->cacheOff + f->cacheLen;
    uint32_t hi = hiWrite < hiCache ? hiWrite : hiCache;
    if (lo < hi)
      std::memcpy(f->cache + (lo - f->cacheOff),
                  static_cast<const unsigned char*>(buf) + (lo - off), hi - lo);
  }
  uint32_t end = off + static_cast<uint32_t>(put);
  if (end > f->fileLen) f->fileLen = end;
  return put == len ? REGERR_OK : REGERR_FAIL;
}

namespace {

// A new registry in an empty or short file: header, the root's name "/"
// at 128 and the root descriptor at 130.
REGERR CreateRegistry(RegFile* f) {
  if (f->readOnly) return REGERR_READONLY;
  f->hdr = Header();
  f->hdr.magic = kMagic;
  f->hdr.verMajor = kMajorVersion;
  f->hdr.verMinor = kMinorVersion;
  f->hdr.avail = kFirstObject;
  f->hdr.root = 0;
  Desc root;
  root.type = REGTYPE_KEY;
  REGERR err = AppendName(f, "/", &root.name, &root.namelen);
  if (err == REGERR_OK) err = AppendDesc(f, &root);
  if (err != REGERR_OK) return err;
  f->hdr.root = root.location;
  return WriteHdr(f);
}

}  // namespace

REGERR ReadHdr(RegFile* f) {
  f->hdrDirty = false;
  REGERR err = BeginOp(f);
  if (err != REGERR_OK) return err;
  if (f->fileLen < kHeaderSize) return CreateRegistry(f);
  unsigned char b[kHeaderSize];
  if (ReadAt(f, 0, b, kHeaderSize) != REGERR_OK) return REGERR_FAIL;
  Header h;
  h.magic = Get32(b);
  h.verMajor = Get16(b + 4);
  h.verMinor = Get16(b + 6);
  h.avail = Get32(b + 8);
  h.root = Get32(b + 12);
  if (h.magic != kMagic) return REGERR_BADMAGIC;
  if (h.verMajor > kMajorVersion) return REGERR_REGVERSION;
  f->hdr = h;
  // New objects go at the end of the file. A header written before the
  // last appends (a writer that stopped early, or another opener whose
  // header is still in its memory) would otherwise hand out space that is
  // in use.
  if (!f->readOnly && f->hdr.avail != f->fileLen) {
    f->hdr.avail = f->fileLen;
    f->hdrDirty = true;
  }
  return REGERR_OK;
}

REGERR WriteHdr(RegFile* f) {
  unsigned char b[kHeaderSize];
  Put32(b, f->hdr.magic);
  Put16(b + 4, f->hdr.verMajor);
  Put16(b + 6, f->hdr.verMinor);
  Put32(b + 8, f->hdr.avail);
  Put32(b + 12, f->hdr.root);
  REGERR err = WriteAt(f, 0, b, kHeaderSize);
  if (err == REGERR_OK) f->hdrDirty = false;
  return err;
}

REGERR ReadDesc(RegFile* f, uint32_t off, Desc* d) {
  // No descriptor lies in the header area; small key values are codes.
  if (off < kFirstObject) return REGERR_BADLOCN;
  unsigned char b[kDescSize];
  REGERR err = ReadAt(f, off, b, kDescSize);
  if (err != REGERR_OK) return err;
  Desc r;
  r.location = Get32(b);
  r.name = Get32(b + 4);
  r.namelen = Get16(b + 8);
  r.type = Get16(b + 10);
  r.left = Get32(b + 12);
  uint32_t word16 = Get32(b + 16);
  r.value = Get32(b + 20);
  r.valuelen = Get32(b + 24);
  r.parent = Get32(b + 28);
  if (r.location != off) return REGERR_BADLOCN;
  if (r.type & REGTYPE_DELETED) return REGERR_DELETED;
  if (r.IsEntry())
    r.valuebuf = word16;
  else
    r.down = word16;
  *d = r;
  return REGERR_OK;
}

namespace {

void EncodeDesc(const Desc& d, unsigned char* b) {
  Put32(b, d.location);
  Put32(b + 4, d.name);
  Put16(b + 8, d.namelen);
  Put16(b + 10, d.type);
  Put32(b + 12, d.left);
  Put32(b + 16, d.IsEntry() ? d.valuebuf : d.down);
  Put32(b + 20, d.value);
  Put32(b + 24, d.valuelen);
  Put32(b + 28, d.parent);
}

}  // namespace

REGERR WriteDesc(RegFile* f, const Desc& d) {
  if (d.location < kFirstObject) return REGERR_BADLOCN;
  unsigned char b[kDescSize];
  EncodeDesc(d, b);
  return WriteAt(f, d.location, b, kDescSize);
}

REGERR ReadName(RegFile* f, const Desc& d, char* buf, uint32_t bufsize) {
  if (d.namelen > bufsize) return REGERR_BUFTOOSMALL;
  if (d.namelen < 2) return REGERR_FAIL;  // no name is empty
  REGERR err = ReadAt(f, d.name, buf, d.namelen);
  if (err != REGERR_OK) return err;
  buf[d.namelen - 1] = '\0';
  buf[bufsize - 1] = '\0';
  return REGERR_OK;
}

REGERR AppendData(RegFile* f, const void* data, uint32_t len, uint32_t* off) {
  if (f->readOnly) return REGERR_READONLY;
  uint32_t at = f->hdr.avail;
  if (at < kFirstObject || len > 0xFFFFFFFFu - at) return REGERR_FAIL;
  REGERR err = WriteAt(f, at, data, len);
  if (err != REGERR_OK) return err;
  f->hdr.avail = at + len;
  f->hdrDirty = true;
  *off = at;
  return REGERR_OK;
}

REGERR AppendName(RegFile* f, const char* name, uint32_t* off, uint16_t* namelen) {
  size_t len = std::strlen(name) + 1;
  if (len > kMaxName) return REGERR_NAMETOOLONG;
  REGERR err = AppendData(f, name, static_cast<uint32_t>(len), off);
  if (err == REGERR_OK) *namelen = static_cast<uint16_t>(len);
  return err;
}

REGERR AppendDesc(RegFile* f, Desc* d) {
  if (f->readOnly) return REGERR_READONLY;
  Desc copy = *d;
  copy.location = f->hdr.avail;
  if (copy.location < kFirstObject) return REGERR_FAIL;
  unsigned char b[kDescSize];
  EncodeDesc(copy, b);
  uint32_t at = 0;
  REGERR err = AppendData(f, b, kDescSize, &at);
  if (err != REGERR_OK) return err;
  *d = copy;
  return REGERR_OK;
}

uint32_t WalkLimit(const RegFile* f) {
  uint32_t room = f->fileLen > kFirstObject ? f->fileLen - kFirstObject : 0;
  return room / kDescSize + 1;
}

WalkGuard::WalkGuard(const RegFile* f) : limit_(WalkLimit(f)) {}

WalkGuard::~WalkGuard() {
  if (table_ != inline_) delete[] table_;
}

bool WalkGuard::Visit(uint32_t off) {
  if (++steps_ > limit_) return false;
  if (tracking_) return Remember(off);
  // Without the table: an offset is kept and compared with every step
  // after it; it is taken anew at twice the distance each time, so a loop
  // is met within a few rounds of it.
  if (off == mark_) return false;
  if (++sinceMark_ == span_) {
    mark_ = off;
    sinceMark_ = 0;
    span_ = span_ < 0x80000000u ? span_ * 2 : span_;
  }
  return true;
}

namespace {

uint32_t Place(uint32_t off, uint32_t bits) { return (off * 0x9E3779B1u) >> (32 - bits); }

}  // namespace

bool WalkGuard::Remember(uint32_t off) {
  if ((used_ + 1) * 2 > (1u << bits_) && !Grow()) {
    // Out of memory: carry on with the offset-behind check from here.
    tracking_ = false;
    mark_ = off;
    return true;
  }
  const uint32_t mask = (1u << bits_) - 1;
  for (uint32_t i = Place(off, bits_);; i = (i + 1) & mask) {
    if (table_[i] == off) return false;
    if (table_[i] == 0) {
      table_[i] = off;
      ++used_;
      return true;
    }
  }
}

bool WalkGuard::Grow() {
  if (bits_ >= 31) return false;
  const uint32_t bits = bits_ + 1;
  uint32_t* table = new (std::nothrow) uint32_t[1u << bits]();
  if (!table) return false;
  const uint32_t mask = (1u << bits) - 1;
  for (uint32_t j = 0; j < (1u << bits_); ++j) {
    if (table_[j] == 0) continue;
    uint32_t i = Place(table_[j], bits);
    while (table[i] != 0) i = (i + 1) & mask;
    table[i] = table_[j];
  }
  if (table_ != inline_) delete[] table_;
  table_ = table;
  bits_ = bits;
  return true;
}

}  // namespace nsreg
