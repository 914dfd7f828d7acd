// Tree operations of the registry library: name and path rules, lookups,
// creating keys and entries, deleting, and the layout upgrade.
#include <cstring>

#include "nsreg/nsreg_internal.h"

namespace nsreg {

bool IsValidUTF8(const char* s, uint32_t len) {
  int need = 0;  // continuation bytes still expected
  for (uint32_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (need > 0) {
      if ((c & 0xC0) != 0x80) return false;
      --need;
    } else if (c < 0x80) {
      // stands alone
    } else if ((c & 0xE0) == 0xC0) {
      need = 1;
    } else if ((c & 0xF0) == 0xE0) {
      need = 2;
    } else {
      return false;  // stray continuation byte, or a lead byte of 0xF0 and up
    }
  }
  return need == 0;
}

bool IsValidUTF8(const char* s) {
  if (!s) return false;
  return IsValidUTF8(s, static_cast<uint32_t>(std::strlen(s)));
}

REGERR CheckNewName(const char* name) {
  if (!name || !*name) return REGERR_PARAM;
  if (!IsValidUTF8(name)) return REGERR_BADUTF8;
  size_t len = std::strlen(name);
  if (len + 1 > kMaxName) return REGERR_NAMETOOLONG;
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == '=') return REGERR_BADNAME;
  }
  return REGERR_OK;
}

namespace {

// Takes the next component of a path into comp (kMaxName bytes).
// REGERR_NOMORE when the path is used up.
REGERR NextComponent(const char** pp, char* comp) {
  const char* p = *pp;
  if (*p == '\0') return REGERR_NOMORE;
  const char* start = p;
  while (*p != '\0' && *p != '/') ++p;
  size_t n = static_cast<size_t>(p - start);
  if (n == 0) return REGERR_BADNAME;  // two slashes in a row
  if (n >= kMaxName) return REGERR_NAMETOOLONG;
  if (start[0] == ' ' || start[n - 1] == ' ') return REGERR_BADNAME;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(start[i]);
    if (c >= 0x01 && c <= 0x1F) return REGERR_BADNAME;
  }
  std::memcpy(comp, start, n);
  comp[n] = '\0';
  if (*p == '/') ++p;  // a trailing "/" simply ends the path
  *pp = p;
  return REGERR_OK;
}

const char* SkipLeadingSlash(const char* path) { return *path == '/' ? path + 1 : path; }

}  // namespace

REGERR CheckPath(const char* path, bool forWrite) {
  if (!path) return REGERR_PARAM;
  if (forWrite && !IsValidUTF8(path)) return REGERR_BADUTF8;
  const char* p = SkipLeadingSlash(path);
  char comp[kMaxName];
  for (;;) {
    REGERR err = NextComponent(&p, comp);
    if (err == REGERR_NOMORE) return REGERR_OK;
    if (err != REGERR_OK) return err;
    if (forWrite && std::strchr(comp, '=')) return REGERR_BADNAME;
  }
}

uint32_t TranslateKey(const RegFile* f, RKEY key) {
  if (key >= kFirstObject) return key;
  switch (key) {
    case ROOTKEY_USERS: return f->rkeys.users;
    case ROOTKEY_COMMON: return f->rkeys.common;
    case ROOTKEY_PRIVATE: return f->rkeys.privarea;
    case ROOTKEY_ROOT: return f->hdr.root;
    case ROOTKEY_VERSIONS: return f->rkeys.versions;
    default: return 0;
  }
}

REGERR FindAtLevel(RegFile* f, uint32_t first, const char* name, FindResult* r) {
  char buf[kMaxName];
  uint32_t off = first;
  uint32_t prev = 0;
  WalkGuard walk(f);
  while (off != 0) {
    if (!walk.Visit(off)) return REGERR_FAIL;  // the list runs in a circle
    Desc d;
    REGERR err = ReadDesc(f, off, &d);
    if (err != REGERR_OK) return err;
    err = ReadName(f, d, buf, sizeof buf);
    if (err != REGERR_OK) return err;
    if (std::strcmp(buf, name) == 0) {
      r->desc = d;
      r->prev = prev;
      return REGERR_OK;
    }
    prev = off;
    off = d.left;
  }
  return REGERR_NOFIND;
}

REGERR Find(RegFile* f, uint32_t start, const char* path, FindResult* r) {
  if (!path) return REGERR_PARAM;
  Desc cur;
  REGERR err = ReadDesc(f, start, &cur);
  if (err != REGERR_OK) return err;
  uint32_t parent = 0;
  uint32_t prev = 0;
  const char* p = SkipLeadingSlash(path);
  char comp[kMaxName];
  for (;;) {
    err = NextComponent(&p, comp);
    if (err == REGERR_NOMORE) break;
    if (err != REGERR_OK) return err;
    FindResult level;
    err = FindAtLevel(f, cur.down, comp, &level);
    if (err != REGERR_OK) return err;
    parent = cur.location;
    prev = level.prev;
    cur = level.desc;
  }
  r->desc = cur;
  r->prev = prev;
  r->parent = parent;
  return REGERR_OK;
}

namespace {

REGERR AddKeyWalk(RegFile* f, uint32_t start, const char* path, uint32_t* result) {
  Desc cur;
  REGERR err = ReadDesc(f, start, &cur);
  if (err != REGERR_OK) return err;
  const char* p = SkipLeadingSlash(path);
  char comp[kMaxName];
  for (;;) {
    err = NextComponent(&p, comp);
    if (err == REGERR_NOMORE) break;
    if (err != REGERR_OK) return err;
    FindResult level;
    err = FindAtLevel(f, cur.down, comp, &level);
    if (err == REGERR_OK) {
      cur = level.desc;
      continue;
    }
    if (err != REGERR_NOFIND) return err;
    // An entry keeps its value where a key keeps its first child: a key
    // hung on it would be written nowhere, yet reported made.
    if (cur.IsEntry()) return REGERR_FAIL;
    // New key at the head of the parent's child list.
    Desc key;
    key.type = REGTYPE_KEY;
    key.left = cur.down;
    key.parent = cur.location;
    err = AppendName(f, comp, &key.name, &key.namelen);
    if (err == REGERR_OK) err = AppendDesc(f, &key);
    if (err != REGERR_OK) return err;
    cur.down = key.location;
    err = WriteDesc(f, cur);
    if (err != REGERR_OK) return err;
    cur = key;
  }
  *result = cur.location;
  return REGERR_OK;
}

}  // namespace

REGERR AddKey(RegFile* f, uint32_t start, const char* path, uint32_t* result) {
  // The whole path is checked first so that a bad component further on
  // does not leave the keys before it behind.
  REGERR err = CheckPath(path, true);
  if (err != REGERR_OK) return err;
  if (f->readOnly) {
    // Existing keys are still found; creating one is refused by the append.
    err = BeginOp(f);
    return err == REGERR_OK ? AddKeyWalk(f, start, path, result) : err;
  }
  err = BeginChange(f);
  if (err != REGERR_OK) return err;
  return EndChange(f, AddKeyWalk(f, start, path, result));
}

REGERR Upgrade(RegFile* f) {
  static const char* const kOld[3] = {"ROOTKEY_VERSIONS", "ROOTKEY_USERS", "ROOTKEY_COMMON"};
  static const char* const kNew[3] = {"Version Registry", "Users", "Common"};
  REGERR err = BeginOp(f);
  if (err != REGERR_OK) return err;
  Desc root;
  err = ReadDesc(f, f->hdr.root, &root);
  for (int i = 0; i < 3 && err == REGERR_OK; ++i) {
    FindResult r;
    err = FindAtLevel(f, root.down, kOld[i], &r);
    if (err == REGERR_NOFIND) {
      err = REGERR_OK;
      continue;
    }
    if (err == REGERR_OK) err = AppendName(f, kNew[i], &r.desc.name, &r.desc.namelen);
    if (err == REGERR_OK) err = WriteDesc(f, r.desc);
  }
  if (err == REGERR_OK) {
    uint16_t was = f->hdr.verMinor;
    f->hdr.verMinor = kMinorVersion;
    err = WriteHdr(f);
    if (err != REGERR_OK) f->hdr.verMinor = was;
  }
  if (!f->readOnly) std::fflush(f->fh);
  return err;
}

void FindStdKeys(RegFile* f) {
  struct Std {
    const char* name;
    uint32_t* slot;
  };
  const Std keys[4] = {{"Users", &f->rkeys.users},
                       {"Common", &f->rkeys.common},
                       {"Version Registry", &f->rkeys.versions},
                       {"Private Arenas", &f->rkeys.privarea}};
  for (const Std& k : keys) {
    uint32_t off = 0;
    *k.slot = AddKey(f, f->hdr.root, k.name, &off) == REGERR_OK ? off : 0;
  }
}

namespace {

bool Overlap(uint32_t a, uint32_t alen, uint32_t b, uint32_t blen) {
  return uint64_t{a} < uint64_t{b} + blen && uint64_t{b} < uint64_t{a} + alen;
}

// An entry's value area may be rewritten in place only when it lies wholly
// in the object area of the file and clear of everything a lookup of the
// entry reads on its way: the key's descriptor, the descriptors and names
// of the entries in front of it in the list, its own descriptor and name.
// Otherwise the write would lose the entry (or the ones before it) while
// it reports success.
REGERR ValueAreaUsable(RegFile* f, const Desc& key, const Desc& e, bool* usable) {
  *usable = false;
  if (!e.IsEntry() || e.value < kFirstObject) return REGERR_OK;
  if (e.valuebuf > f->fileLen || e.value > f->fileLen - e.valuebuf) return REGERR_OK;
  auto clear = [&](const Desc& d) {
    return !Overlap(e.value, e.valuebuf, d.location, kDescSize) &&
           !Overlap(e.value, e.valuebuf, d.name, d.namelen);
  };
  if (!clear(e) || Overlap(e.value, e.valuebuf, key.location, kDescSize)) return REGERR_OK;
  WalkGuard walk(f);
  for (uint32_t off = key.value; off != e.location; ) {
    if (off == 0 || !walk.Visit(off)) return REGERR_FAIL;  // not where it was found
    Desc d;
    REGERR err = ReadDesc(f, off, &d);
    if (err != REGERR_OK) return err;
    if (!clear(d)) return REGERR_OK;
    off = d.left;
  }
  *usable = true;
  return REGERR_OK;
}

REGERR SetValueIn(RegFile* f, uint32_t keyOff, const char* name, uint16_t type,
                  const unsigned char* data, uint32_t len) {
  Desc key;
  REGERR err = ReadDesc(f, keyOff, &key);
  if (err != REGERR_OK) return err;
  FindResult r;
  err = FindAtLevel(f, key.value, name, &r);
  if (err == REGERR_OK) {
    Desc e = r.desc;
    e.type = type;  // before the area check: a key found here is no entry
    bool inPlace = false;
    if (len <= e.valuebuf) err = ValueAreaUsable(f, key, e, &inPlace);
    if (err != REGERR_OK) return err;
    if (inPlace) {
      err = WriteAt(f, e.value, data, len);
    } else {
      uint32_t at = 0;
      err = AppendData(f, data, len, &at);
      e.value = at;
      e.valuebuf = len;
    }
    if (err != REGERR_OK) return err;
    e.valuelen = len;
    return WriteDesc(f, e);
  }
  if (err != REGERR_NOFIND) return err;
  // An entry has no entry list: the offset of its value would be
  // overwritten by the new entry's.
  if (key.IsEntry()) return REGERR_FAIL;
  // New entry at the head of the key's entry list: name, value, descriptor.
  Desc e;
  e.type = type;
  e.left = key.value;
  e.parent = key.location;
  err = AppendName(f, name, &e.name, &e.namelen);
  if (err == REGERR_OK) err = AppendData(f, data, len, &e.value);
  if (err != REGERR_OK) return err;
  e.valuebuf = len;
  e.valuelen = len;
  err = AppendDesc(f, &e);
  if (err != REGERR_OK) return err;
  key.value = e.location;
  return WriteDesc(f, key);
}

// Finds the predecessor of `target` in the list starting at `first`.
REGERR FindPrev(RegFile* f, uint32_t first, uint32_t target, uint32_t* prev) {
  uint32_t off = first;
  uint32_t before = 0;
  WalkGuard walk(f);
  while (off != 0) {
    if (off == target) {
      *prev = before;
      return REGERR_OK;
    }
    if (!walk.Visit(off)) return REGERR_FAIL;  // the list runs in a circle
    Desc d;
    REGERR err = ReadDesc(f, off, &d);
    if (err != REGERR_OK) return err;
    before = off;
    off = d.left;
  }
  return REGERR_FAIL;  // not in the list its parent names
}

// Takes `d` out of its list, whose owner keeps the head in `down` (keys)
// or `value` (entries), then marks it deleted.
REGERR Unlink(RegFile* f, Desc d, uint32_t owner, uint32_t prev, bool isKey) {
  REGERR err;
  if (prev == 0) {
    Desc o;
    err = ReadDesc(f, owner, &o);
    if (err != REGERR_OK) return err;
    uint32_t& head = isKey ? o.down : o.value;
    if (head != d.location) return REGERR_FAIL;
    head = d.left;
    err = WriteDesc(f, o);
  } else {
    Desc p;
    err = ReadDesc(f, prev, &p);
    if (err != REGERR_OK) return err;
    if (p.left != d.location) return REGERR_FAIL;
    p.left = d.left;
    err = WriteDesc(f, p);
  }
  if (err != REGERR_OK) return err;
  d.type = static_cast<uint16_t>(d.type | REGTYPE_DELETED);
  return WriteDesc(f, d);
}

REGERR DeleteKeyIn(RegFile* f, uint32_t start, const char* path) {
  FindResult r;
  REGERR err = Find(f, start, path, &r);
  if (err != REGERR_OK) return err;
  uint32_t off = r.desc.location;
  if (off == f->hdr.root || off == f->rkeys.users || off == f->rkeys.common ||
      off == f->rkeys.versions)
    return REGERR_FAIL;
  if (r.desc.down != 0) return REGERR_FAIL;  // has subkeys
  uint32_t owner = r.parent;
  uint32_t prev = r.prev;
  if (owner == 0) {
    // The path named the start key itself: look it up in its parent's list.
    owner = r.desc.parent;
    Desc o;
    err = ReadDesc(f, owner, &o);
    if (err == REGERR_OK) err = FindPrev(f, o.down, off, &prev);
    if (err != REGERR_OK) return err;
  }
  return Unlink(f, r.desc, owner, prev, true);
}

REGERR DeleteEntryIn(RegFile* f, uint32_t keyOff, const char* name) {
  Desc key;
  REGERR err = ReadDesc(f, keyOff, &key);
  if (err != REGERR_OK) return err;
  FindResult r;
  err = FindAtLevel(f, key.value, name, &r);
  if (err != REGERR_OK) return err;
  return Unlink(f, r.desc, keyOff, r.prev, false);
}

}  // namespace

REGERR SetValue(RegFile* f, uint32_t key, const char* name, uint16_t type,
                const unsigned char* data, uint32_t len) {
  REGERR err = BeginChange(f);
  if (err != REGERR_OK) return err;
  return EndChange(f, SetValueIn(f, key, name, type, data, len));
}

REGERR DeleteKey(RegFile* f, uint32_t start, const char* path) {
  REGERR err = BeginChange(f);
  if (err != REGERR_OK) return err;
  return EndChange(f, DeleteKeyIn(f, start, path));
}

REGERR DeleteEntry(RegFile* f, uint32_t key, const char* name) {
  REGERR err = BeginChange(f);
  if (err != REGERR_OK) return err;
  return EndChange(f, DeleteEntryIn(f, key, name));
}

}  // namespace nsreg
