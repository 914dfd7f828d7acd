// Public operations of the registry library: handles, the list of open
// files, argument checks, and the value coding of the entry operations.
#include <cstdlib>
#include <cstring>
#include <new>

#include "nsreg/nsreg.h"
#include "nsreg/nsreg_internal.h"

using namespace nsreg;

namespace {

// One per successful open. The caller's HREG is the handle's number, never
// a pointer, so that a closed handle can be refused without keeping its
// storage: numbers are not reused while a handle with them is open.
struct RegHandle {
  uint32_t magic = 0;
  RegFile* pReg = nullptr;
  uintptr_t id = 0;
  RegHandle* next = nullptr;
};

RegFile* g_regList = nullptr;    // open files, newest first
RegHandle* g_handles = nullptr;  // open handles
uintptr_t g_lastId = 0;
char* g_userName = nullptr;             // NULL: "default"
const char* g_globalRegName = nullptr;  // default registry path: never set

RegHandle* FindHandle(HREG h) {
  uintptr_t id = reinterpret_cast<uintptr_t>(h);
  for (RegHandle* p = g_handles; p; p = p->next)
    if (p->id == id) return p;
  return nullptr;
}

uintptr_t NewHandleId() {
  for (;;) {
    ++g_lastId;
    if (g_lastId == 0) continue;
    if (!FindHandle(reinterpret_cast<HREG>(g_lastId))) return g_lastId;
  }
}

REGERR CheckHandle(HREG h, RegFile** f) {
  if (!h) return REGERR_PARAM;
  RegHandle* rh = FindHandle(h);
  if (!rh || rh->magic != kMagic) return REGERR_BADMAGIC;
  *f = rh->pReg;
  return REGERR_OK;
}

char* CopyText(const char* s) {
  size_t n = std::strlen(s) + 1;
  char* c = static_cast<char*>(std::malloc(n));
  if (c) std::memcpy(c, s, n);
  return c;
}

void FreeFile(RegFile* f) {
  CloseStream(f);
  std::free(f->filename);
  delete f;
}

void ListInsert(RegFile* f) {
  f->prev = nullptr;
  f->next = g_regList;
  if (g_regList) g_regList->prev = f;
  g_regList = f;
}

void ListRemove(RegFile* f) {
  if (f->prev)
    f->prev->next = f->next;
  else
    g_regList = f->next;
  if (f->next) f->next->prev = f->prev;
  f->next = f->prev = nullptr;
}

// Opens the file and builds its record; the record is not yet listed.
REGERR OpenFile(const char* name, RegFile** out) {
  RegFile* f = new (std::nothrow) RegFile;
  if (!f) return REGERR_MEMORY;
  f->inInit = true;
  f->filename = CopyText(name);
  if (!f->filename) {
    delete f;
    return REGERR_MEMORY;
  }
  REGERR err = OpenStream(f);
  if (err == REGERR_OK) err = ReadHdr(f);
  if (err != REGERR_OK) {
    FreeFile(f);
    return err;
  }
  f->refCount = 0;
  f->inInit = false;
  if (f->hdr.verMajor == kMajorVersion && f->hdr.verMinor < kMinorVersion) Upgrade(f);
  FindStdKeys(f);
  *out = f;
  return REGERR_OK;
}

// A string value as stored: its last byte should be its NUL. When it is
// not, the copy still ends right after the value.
void TerminateString(char* buffer, uint32_t valuelen, uint32_t bufsize) {
  if (buffer[valuelen - 1] != '\0' && valuelen < bufsize) buffer[valuelen] = '\0';
  buffer[bufsize - 1] = '\0';
}

// Looks up the entry `name` of the key at offset `key`.
REGERR FindEntry(RegFile* f, RKEY key, const char* name, Desc* e) {
  REGERR err = BeginOp(f);
  Desc k;
  if (err == REGERR_OK) err = ReadDesc(f, key, &k);
  if (err != REGERR_OK) return err;
  FindResult r;
  err = FindAtLevel(f, k.value, name, &r);
  if (err == REGERR_OK) *e = r.desc;
  return err;
}

}  // namespace

extern "C" {

REGERR NR_RegOpen(const char* filename, HREG* hReg) {
  if (!hReg) return REGERR_PARAM;
  *hReg = nullptr;
  const char* name = filename;
  if (!name || !*name) name = g_globalRegName ? g_globalRegName : "";
  RegFile* f = nullptr;
  for (RegFile* p = g_regList; p; p = p->next)
    if (std::strcmp(p->filename, name) == 0) {
      f = p;
      break;
    }
  if (!f) {
    if (!*name) return REGERR_NOFILE;
    REGERR err = OpenFile(name, &f);
    if (err != REGERR_OK) return err;
    ListInsert(f);
  }
  RegHandle* h = new (std::nothrow) RegHandle;
  if (!h) {
    if (f->refCount < 1) {
      if (f->hdrDirty) WriteHdr(f);
      ListRemove(f);
      FreeFile(f);
    }
    return REGERR_MEMORY;
  }
  h->magic = kMagic;
  h->pReg = f;
  h->id = NewHandleId();
  h->next = g_handles;
  g_handles = h;
  ++f->refCount;
  *hReg = reinterpret_cast<HREG>(h->id);
  return REGERR_OK;
}

REGERR NR_RegClose(HREG hReg) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (--f->refCount < 1) {
    if (f->hdrDirty) WriteHdr(f);
    ListRemove(f);
    FreeFile(f);
  }
  RegHandle** link = &g_handles;
  while (*link && (*link)->id != reinterpret_cast<uintptr_t>(hReg)) link = &(*link)->next;
  RegHandle* h = *link;
  *link = h->next;
  h->magic = 0;
  delete h;
  return REGERR_OK;
}

REGERR NR_RegGetKey(HREG hReg, RKEY key, const char* path, RKEY* result) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!path || !result) return REGERR_PARAM;
  uint32_t start = TranslateKey(f, key);
  if (start == 0) return REGERR_PARAM;
  err = BeginOp(f);
  if (err != REGERR_OK) return err;
  FindResult r;
  err = Find(f, start, path, &r);
  if (err == REGERR_OK) *result = r.desc.location;
  return err;
}

REGERR NR_RegGetEntryString(HREG hReg, RKEY key, const char* name, char* buffer,
                            uint32_t bufsize) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name || !buffer || bufsize == 0) return REGERR_PARAM;
  Desc e;
  err = FindEntry(f, key, name, &e);
  if (err != REGERR_OK) return err;
  if (e.type != REGTYPE_ENTRY_STRING_UTF) return REGERR_BADTYPE;
  if (e.valuelen == 0) return REGERR_FAIL;  // leaves the buffer as it was
  if (e.valuelen > bufsize) {
    buffer[bufsize - 1] = '\0';
    return REGERR_BUFTOOSMALL;
  }
  err = ReadAt(f, e.value, buffer, e.valuelen);
  if (err != REGERR_OK) return err;
  TerminateString(buffer, e.valuelen, bufsize);
  return REGERR_OK;
}

REGERR NR_RegGetEntryInfo(HREG hReg, RKEY key, const char* name, REGINFO* info) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name || !info || info->size != sizeof(REGINFO)) return REGERR_PARAM;
  Desc e;
  err = FindEntry(f, key, name, &e);
  if (err != REGERR_OK) return err;
  info->entryType = e.type;
  info->entryLength = e.valuelen;
  return REGERR_OK;
}

REGERR NR_RegGetEntry(HREG hReg, RKEY key, const char* name, void* buffer, uint32_t* size) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name || !buffer || !size || *size == 0) return REGERR_PARAM;
  Desc e;
  err = FindEntry(f, key, name, &e);
  if (err != REGERR_OK) return err;
  const uint32_t cap = *size;
  *size = e.valuelen;
  if (e.valuelen > cap) return REGERR_BUFTOOSMALL;
  if (e.valuelen == 0) return REGERR_FAIL;
  if (!e.IsEntry()) return REGERR_BADTYPE;
  err = ReadAt(f, e.value, buffer, e.valuelen);
  if (err != REGERR_OK) return err;
  if (e.type == REGTYPE_ENTRY_STRING_UTF) {
    TerminateString(static_cast<char*>(buffer), e.valuelen, cap);
  } else if (e.type == REGTYPE_ENTRY_INT32_ARRAY) {
    unsigned char* p = static_cast<unsigned char*>(buffer);
    for (uint32_t i = 0; i + 4 <= e.valuelen; i += 4) {
      uint32_t v = Get32(p + i);
      std::memcpy(p + i, &v, 4);
    }
  }
  return REGERR_OK;
}

REGERR NR_RegSetEntryString(HREG hReg, RKEY key, const char* name, const char* buffer) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name || !buffer) return REGERR_PARAM;
  err = CheckNewName(name);
  if (err != REGERR_OK) return err;
  size_t len = std::strlen(buffer) + 1;
  if (len > kMaxValue) return REGERR_NAMETOOLONG;
  if (!IsValidUTF8(buffer)) return REGERR_BADUTF8;
  return SetValue(f, key, name, REGTYPE_ENTRY_STRING_UTF,
                  reinterpret_cast<const unsigned char*>(buffer), static_cast<uint32_t>(len));
}

REGERR NR_RegSetEntry(HREG hReg, RKEY key, const char* name, uint16_t type,
                      const void* buffer, uint32_t size) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name || !buffer || size == 0) return REGERR_PARAM;
  err = CheckNewName(name);
  if (err != REGERR_OK) return err;
  if (type != REGTYPE_ENTRY_STRING_UTF && type != REGTYPE_ENTRY_INT32_ARRAY &&
      type != REGTYPE_ENTRY_BYTES)
    return REGERR_BADTYPE;
  if (size > kMaxValue) return REGERR_NAMETOOLONG;
  const unsigned char* data = static_cast<const unsigned char*>(buffer);
  if (type == REGTYPE_ENTRY_STRING_UTF) {
    if (data[size - 1] != '\0') return REGERR_PARAM;
    if (!IsValidUTF8(static_cast<const char*>(buffer), size - 1)) return REGERR_BADUTF8;
  } else if (type == REGTYPE_ENTRY_INT32_ARRAY) {
    if (size % 4 != 0) return REGERR_PARAM;
    unsigned char* le = new (std::nothrow) unsigned char[size];
    if (!le) return REGERR_MEMORY;
    for (uint32_t i = 0; i < size; i += 4) {
      uint32_t v;
      std::memcpy(&v, data + i, 4);
      Put32(le + i, v);
    }
    err = SetValue(f, key, name, type, le, size);
    delete[] le;
    return err;
  }
  return SetValue(f, key, name, type, data, size);
}

REGERR NR_RegAddKey(HREG hReg, RKEY key, const char* path, RKEY* newKey) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!path || !*path) return REGERR_PARAM;
  uint32_t start = TranslateKey(f, key);
  if (start == 0) return REGERR_PARAM;
  uint32_t off = 0;
  err = AddKey(f, start, path, &off);
  if (err == REGERR_OK && newKey) *newKey = off;
  return err;
}

REGERR NR_RegDeleteKey(HREG hReg, RKEY key, const char* path) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!path || !*path) return REGERR_PARAM;
  uint32_t start = TranslateKey(f, key);
  if (start == 0) return REGERR_PARAM;
  return DeleteKey(f, start, path);
}

REGERR NR_RegDeleteEntry(HREG hReg, RKEY key, const char* name) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!name || !*name) return REGERR_PARAM;
  return DeleteEntry(f, key, name);
}

REGERR NR_RegEnumSubkeys(HREG hReg, RKEY key, REGENUM* state, char* buffer,
                         uint32_t bufsize, uint32_t style) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!state || !buffer || bufsize == 0 || style > REGENUM_DEPTH_FIRST) return REGERR_PARAM;
  uint32_t start = TranslateKey(f, key);
  if (start == 0) return REGERR_PARAM;
  err = BeginOp(f);
  if (err != REGERR_OK) return err;
  return EnumSubkeys(f, start, state, buffer, bufsize, style);
}

REGERR NR_RegEnumEntries(HREG hReg, RKEY key, REGENUM* state, char* buffer,
                         uint32_t bufsize, REGINFO* info) {
  RegFile* f = nullptr;
  REGERR err = CheckHandle(hReg, &f);
  if (err != REGERR_OK) return err;
  if (!state || !buffer || bufsize == 0) return REGERR_PARAM;
  err = BeginOp(f);
  if (err != REGERR_OK) return err;
  return EnumEntries(f, key, state, buffer, bufsize, info);
}

REGERR NR_RegGetUsername(char** name) {
  if (!name) return REGERR_PARAM;
  char* copy = CopyText(g_userName ? g_userName : "default");
  if (!copy) return REGERR_MEMORY;
  *name = copy;
  return REGERR_OK;
}

void NR_RegFreeUsername(char* name) { std::free(name); }

REGERR NR_RegSetUsername(const char* name) {
  if (!name || !*name) return REGERR_PARAM;
  char* copy = CopyText(name);
  if (!copy) return REGERR_MEMORY;
  std::free(g_userName);
  g_userName = copy;
  return REGERR_OK;
}

}  // extern "C"
