// Enumeration of subkeys (three styles) and of entries.
//
// An enumeration keeps no state of its own: each call continues from the
// descriptor the caller hands back. To make sure a caller's loop ends even
// on a damaged file, every call checks what it follows:
//  - Lists are built by inserting at the head of the file's newest object,
//    so offsets fall along a list. A step to a higher offset is accepted
//    only when the rest of that list ends without coming back to an
//    offset it has met (and within the walk limit); a list that circles
//    therefore cannot be followed round.
//  - In the two subtree styles a child must name as parent the key it was
//    reached from, a sibling the same parent as its neighbour, and no step
//    may come back to the enumerated key. The keys met then form a true
//    tree, which a traversal visits once each.
//  - Every climb and every descent within one call ends where it comes
//    back to a key it has met, and is bounded by the walk limit.
#include <cstring>

#include "nsreg/nsreg_internal.h"

namespace nsreg {

namespace {

// Checks that the list from `from` onwards ends within the walk limit.
REGERR ListEnds(RegFile* f, uint32_t from) {
  uint32_t off = from;
  WalkGuard walk(f);
  while (off != 0) {
    if (!walk.Visit(off)) return REGERR_FAIL;
    Desc d;
    REGERR err = ReadDesc(f, off, &d);
    if (err != REGERR_OK) return err;
    off = d.left;
  }
  return REGERR_OK;
}

// Allows the step from d to d.left (see above).
REGERR CheckSiblingStep(RegFile* f, const Desc& d) {
  if (d.left == 0 || d.left < d.location) return REGERR_OK;
  return ListEnds(f, d.location);
}

// The first child of `p`, which must name `p` as its parent.
REGERR ReadChild(RegFile* f, uint32_t key, const Desc& p, Desc* c) {
  REGERR err = ReadDesc(f, p.down, c);
  if (err != REGERR_OK) return err;
  if (c->parent != p.location || c->location == key) return REGERR_FAIL;
  return REGERR_OK;
}

// The next sibling of `n`, which must share its parent.
REGERR ReadSibling(RegFile* f, uint32_t key, const Desc& n, Desc* s) {
  REGERR err = CheckSiblingStep(f, n);
  if (err == REGERR_OK) err = ReadDesc(f, n.left, s);
  if (err != REGERR_OK) return err;
  if (s->parent != n.parent || s->location == key) return REGERR_FAIL;
  return REGERR_OK;
}

// Follows first children down from `d` to the deepest one.
REGERR DescendFirst(RegFile* f, uint32_t key, Desc* d) {
  WalkGuard walk(f);
  walk.Start(d->location);
  while (d->down != 0) {
    if (!walk.Visit(d->down)) return REGERR_FAIL;
    Desc c;
    REGERR err = ReadChild(f, key, *d, &c);
    if (err != REGERR_OK) return err;
    *d = c;
  }
  return REGERR_OK;
}

// Copies the name of d into buffer.
REGERR PutName(RegFile* f, const Desc& d, char* buffer, uint32_t bufsize) {
  char name[kMaxName];
  REGERR err = ReadName(f, d, name, sizeof name);
  if (err != REGERR_OK) return err;
  size_t len = std::strlen(name);
  if (len + 1 > bufsize) return REGERR_BUFTOOSMALL;
  std::memcpy(buffer, name, len + 1);
  return REGERR_OK;
}

// Writes the path of `node` relative to `key` ("a/b/c") into buffer. The
// names are gathered from the end of the buffer up the parent chain, which
// must reach `key`.
REGERR PutPath(RegFile* f, uint32_t key, uint32_t node, char* buffer, uint32_t bufsize) {
  if (node == key) return REGERR_FAIL;
  uint32_t pos = bufsize - 1;
  buffer[pos] = '\0';
  char name[kMaxName];
  WalkGuard walk(f);
  uint32_t cur = node;
  bool last = true;
  while (cur != key) {
    if (cur == 0 || !walk.Visit(cur)) return REGERR_FAIL;  // not below key
    Desc d;
    REGERR err = ReadDesc(f, cur, &d);
    if (err == REGERR_OK) err = ReadName(f, d, name, sizeof name);
    if (err != REGERR_OK) return err;
    uint32_t n = static_cast<uint32_t>(std::strlen(name));
    uint32_t need = n + (last ? 0 : 1);
    if (need > pos) return REGERR_BUFTOOSMALL;
    if (!last) buffer[--pos] = '/';
    pos -= n;
    std::memcpy(buffer + pos, name, n);
    last = false;
    cur = d.parent;
  }
  std::memmove(buffer, buffer + pos, bufsize - pos);
  return REGERR_OK;
}

REGERR NextChild(RegFile* f, const Desc& k, REGENUM state, Desc* next) {
  uint32_t off = k.down;
  if (state != 0) {
    Desc x;
    REGERR err = ReadDesc(f, state, &x);
    if (err == REGERR_OK) err = CheckSiblingStep(f, x);
    if (err != REGERR_OK) return err;
    off = x.left;
  }
  if (off == 0) return REGERR_NOMORE;
  return ReadDesc(f, off, next);
}

// Parent before children.
REGERR NextDescend(RegFile* f, const Desc& k, REGENUM state, Desc* next) {
  const uint32_t key = k.location;
  if (state == 0) {
    if (k.down == 0) return REGERR_NOMORE;
    return ReadChild(f, key, k, next);
  }
  Desc x;
  REGERR err = ReadDesc(f, state, &x);
  if (err != REGERR_OK) return err;
  if (x.location == key) return REGERR_FAIL;
  if (x.down != 0) return ReadChild(f, key, x, next);
  // No children: the next sibling of x or of its nearest ancestor.
  WalkGuard walk(f);
  walk.Start(x.location);
  for (;;) {
    if (x.left != 0) return ReadSibling(f, key, x, next);
    if (x.parent == key) return REGERR_NOMORE;
    if (x.parent == 0 || !walk.Visit(x.parent)) return REGERR_FAIL;
    err = ReadDesc(f, x.parent, &x);
    if (err != REGERR_OK) return err;
  }
}

// Children before parent.
REGERR NextDepthFirst(RegFile* f, const Desc& k, REGENUM state, Desc* next) {
  const uint32_t key = k.location;
  REGERR err;
  if (state == 0) {
    if (k.down == 0) return REGERR_NOMORE;
    err = ReadChild(f, key, k, next);
    return err == REGERR_OK ? DescendFirst(f, key, next) : err;
  }
  Desc x;
  err = ReadDesc(f, state, &x);
  if (err != REGERR_OK) return err;
  if (x.location == key) return REGERR_FAIL;
  if (x.left != 0) {
    err = ReadSibling(f, key, x, next);
    return err == REGERR_OK ? DescendFirst(f, key, next) : err;
  }
  if (x.parent == key) return REGERR_NOMORE;
  if (x.parent == 0) return REGERR_FAIL;
  err = ReadDesc(f, x.parent, next);
  if (err == REGERR_OK && next->location == key) return REGERR_FAIL;
  return err;
}

}  // namespace

REGERR EnumSubkeys(RegFile* f, uint32_t key, REGENUM* state, char* buffer,
                   uint32_t bufsize, uint32_t style) {
  Desc k;
  REGERR err = ReadDesc(f, key, &k);
  if (err != REGERR_OK) return err;
  Desc next;
  switch (style) {
    case REGENUM_CHILDREN: err = NextChild(f, k, *state, &next); break;
    case REGENUM_DESCEND: err = NextDescend(f, k, *state, &next); break;
    case REGENUM_DEPTH_FIRST: err = NextDepthFirst(f, k, *state, &next); break;
    default: return REGERR_PARAM;
  }
  if (err != REGERR_OK) return err;
  err = style == REGENUM_CHILDREN ? PutName(f, next, buffer, bufsize)
                                  : PutPath(f, key, next.location, buffer, bufsize);
  if (err != REGERR_OK) return err;
  *state = next.location;
  return REGERR_OK;
}

REGERR EnumEntries(RegFile* f, uint32_t key, REGENUM* state, char* buffer,
                   uint32_t bufsize, REGINFO* info) {
  Desc k;
  REGERR err = ReadDesc(f, key, &k);
  if (err != REGERR_OK) return err;
  uint32_t off = k.value;
  if (*state != 0) {
    Desc x;
    err = ReadDesc(f, *state, &x);
    if (err == REGERR_OK) err = CheckSiblingStep(f, x);
    if (err != REGERR_OK) return err;
    off = x.left;
  }
  if (off == 0) return REGERR_NOMORE;
  Desc e;
  err = ReadDesc(f, off, &e);
  if (err == REGERR_OK) err = PutName(f, e, buffer, bufsize);
  if (err != REGERR_OK) return err;
  if (info && info->size >= sizeof(REGINFO)) {
    info->entryType = e.type;
    info->entryLength = e.valuelen;
  }
  *state = e.location;
  return REGERR_OK;
}

}  // namespace nsreg
