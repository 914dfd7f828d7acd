// nsregtool: looks into and edits a browser profile registry (nsreg.dat).
//
//   nsregtool FILE [print [KEY]]     the tree below KEY (default: the root)
//   nsregtool FILE get KEY NAME      one entry's value
//   nsregtool FILE set KEY NAME TEXT set a string entry, making KEY if needed
//   nsregtool FILE del KEY NAME      delete an entry
//   nsregtool FILE addkey KEY        make KEY and the keys above it
//   nsregtool FILE delkey KEY        delete KEY (it must have no subkeys)
//   nsregtool FILE create            make FILE an empty registry if missing
//
// KEY is a path from the root: "/Users/alice", "Common/Netscape/ProfileManager".
// Exit status: 0 done, 1 the registry refused or failed, 2 bad arguments.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "nsreg/nsreg.h"

namespace {

const char* ErrorText(REGERR err) {
  switch (err) {
    case REGERR_FAIL: return "failed (or the file is damaged)";
    case REGERR_NOMORE: return "no more";
    case REGERR_NOFIND: return "not found";
    case REGERR_BADREAD: return "short read: the file is damaged";
    case REGERR_BADLOCN: return "bad descriptor location: the file is damaged";
    case REGERR_PARAM: return "bad parameter";
    case REGERR_BADMAGIC: return "not a registry file";
    case REGERR_NOFILE: return "the file does not exist";
    case REGERR_MEMORY: return "out of memory";
    case REGERR_BUFTOOSMALL: return "buffer too small";
    case REGERR_NAMETOOLONG: return "name or value too long";
    case REGERR_REGVERSION: return "registry version too new";
    case REGERR_DELETED: return "deleted descriptor in use: the file is damaged";
    case REGERR_BADTYPE: return "wrong entry type";
    case REGERR_BADNAME: return "bad name";
    case REGERR_READONLY: return "the file is read-only";
    case REGERR_BADUTF8: return "not valid UTF-8";
    default: return "unknown error";
  }
}

int Fail(const char* what, REGERR err) {
  std::fprintf(stderr, "nsregtool: %s: %s (code %d)\n", what, ErrorText(err), static_cast<int>(err));
  return 1;
}

int Usage() {
  std::fputs(
      "usage: nsregtool FILE [print [KEY]]\n"
      "       nsregtool FILE get KEY NAME\n"
      "       nsregtool FILE set KEY NAME TEXT\n"
      "       nsregtool FILE del KEY NAME\n"
      "       nsregtool FILE addkey KEY\n"
      "       nsregtool FILE delkey KEY\n"
      "       nsregtool FILE create\n"
      "KEY is a path from the root, e.g. /Users/alice\n",
      stderr);
  return 2;
}

const char* TypeName(uint16_t type) {
  switch (type) {
    case REGTYPE_ENTRY_STRING_UTF: return "string";
    case REGTYPE_ENTRY_INT32_ARRAY: return "int32[]";
    case REGTYPE_ENTRY_BYTES: return "bytes";
    default: return "unknown";
  }
}

void PutText(const char* s, size_t n) {
  for (size_t i = 0; i < n && s[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F)
      std::printf("\\x%02x", c);
    else
      std::putchar(c);
  }
}

// Prints the value of one entry. Values longer than any the format allows
// are not read.
REGERR PrintValue(HREG h, RKEY key, const char* name, bool quoted) {
  REGINFO info = {sizeof(REGINFO), 0, 0};
  REGERR err = NR_RegGetEntryInfo(h, key, name, &info);
  if (err != REGERR_OK) return err;
  if (info.entryLength == 0 || info.entryLength > REG_MAX_VALUE) {
    std::printf("<%lu bytes>", static_cast<unsigned long>(info.entryLength));
    return REGERR_OK;
  }
  std::vector<unsigned char> buf(info.entryLength + 1);
  uint32_t size = info.entryLength;
  err = NR_RegGetEntry(h, key, name, buf.data(), &size);
  if (err != REGERR_OK) return err;
  if (info.entryType == REGTYPE_ENTRY_STRING_UTF) {
    if (quoted) std::putchar('"');
    PutText(reinterpret_cast<const char*>(buf.data()), size);
    if (quoted) std::putchar('"');
  } else if (info.entryType == REGTYPE_ENTRY_INT32_ARRAY) {
    for (uint32_t i = 0; i + 4 <= size; i += 4) {
      uint32_t v;
      std::memcpy(&v, buf.data() + i, 4);
      std::printf(i ? ", %lu" : "%lu", static_cast<unsigned long>(v));
    }
  } else {
    for (uint32_t i = 0; i < size; ++i) std::printf(i ? " %02x" : "%02x", buf[i]);
  }
  return REGERR_OK;
}

REGERR PrintEntries(HREG h, RKEY key, int depth) {
  REGENUM st = 0;
  char name[REG_MAX_NAME];
  REGINFO info = {sizeof(REGINFO), 0, 0};
  REGERR err;
  while ((err = NR_RegEnumEntries(h, key, &st, name, sizeof name, &info)) == REGERR_OK) {
    std::printf("%*s", depth * 2, "");
    PutText(name, sizeof name);
    std::printf(" (%s) = ", TypeName(info.entryType));
    err = PrintValue(h, key, name, true);
    std::putchar('\n');
    if (err != REGERR_OK) return err;
  }
  return err == REGERR_NOMORE ? REGERR_OK : err;
}

int Print(HREG h, const char* keyPath) {
  RKEY top = 0;
  REGERR err = NR_RegGetKey(h, ROOTKEY_ROOT, keyPath, &top);
  if (err != REGERR_OK) return Fail(keyPath, err);
  std::printf("%s\n", *keyPath ? keyPath : "/");
  err = PrintEntries(h, top, 1);
  if (err != REGERR_OK) return Fail("entries", err);
  REGENUM st = 0;
  std::vector<char> path(64 * 1024);
  while ((err = NR_RegEnumSubkeys(h, top, &st, path.data(), uint32_t(path.size()),
                                  REGENUM_DESCEND)) == REGERR_OK) {
    const char* last = std::strrchr(path.data(), '/');
    int depth = 1;
    for (const char* p = path.data(); *p; ++p) depth += *p == '/';
    std::printf("%*s", depth * 2, "");
    PutText(last ? last + 1 : path.data(), path.size());
    std::putchar('\n');
    err = PrintEntries(h, st, depth + 1);
    if (err != REGERR_OK) return Fail(path.data(), err);
  }
  return err == REGERR_NOMORE ? 0 : Fail("keys", err);
}

int Create(const char* file) {
  if (std::FILE* f = std::fopen(file, "rb")) {
    std::fclose(f);
  } else if (std::FILE* n = std::fopen(file, "wb")) {
    std::fclose(n);
  } else {
    std::perror(file);
    return 1;
  }
  HREG h = nullptr;
  REGERR err = NR_RegOpen(file, &h);
  if (err != REGERR_OK) return Fail(file, err);
  err = NR_RegClose(h);
  return err == REGERR_OK ? 0 : Fail(file, err);
}

int Run(HREG h, const std::string& cmd, int argc, char** args) {
  RKEY key = 0;
  REGERR err;
  if (cmd == "print") {
    if (argc > 1) return Usage();
    return Print(h, argc ? args[0] : "");
  }
  if (cmd == "get" && argc == 2) {
    err = NR_RegGetKey(h, ROOTKEY_ROOT, args[0], &key);
    if (err != REGERR_OK) return Fail(args[0], err);
    err = PrintValue(h, key, args[1], false);
    if (err != REGERR_OK) return Fail(args[1], err);
    std::putchar('\n');
    return 0;
  }
  if (cmd == "set" && argc == 3) {
    err = NR_RegAddKey(h, ROOTKEY_ROOT, args[0], &key);
    if (err != REGERR_OK) return Fail(args[0], err);
    err = NR_RegSetEntryString(h, key, args[1], args[2]);
    return err == REGERR_OK ? 0 : Fail(args[1], err);
  }
  if (cmd == "del" && argc == 2) {
    err = NR_RegGetKey(h, ROOTKEY_ROOT, args[0], &key);
    if (err != REGERR_OK) return Fail(args[0], err);
    err = NR_RegDeleteEntry(h, key, args[1]);
    return err == REGERR_OK ? 0 : Fail(args[1], err);
  }
  if (cmd == "addkey" && argc == 1) {
    err = NR_RegAddKey(h, ROOTKEY_ROOT, args[0], nullptr);
    return err == REGERR_OK ? 0 : Fail(args[0], err);
  }
  if (cmd == "delkey" && argc == 1) {
    err = NR_RegDeleteKey(h, ROOTKEY_ROOT, args[0]);
    return err == REGERR_OK ? 0 : Fail(args[0], err);
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '\0') return Usage();
  const char* file = argv[1];
  std::string cmd = argc > 2 ? argv[2] : "print";
  if (cmd == "create") return argc == 3 ? Create(file) : Usage();
  HREG h = nullptr;
  REGERR err = NR_RegOpen(file, &h);
  if (err == REGERR_NOFILE) std::fprintf(stderr, "nsregtool: make it with: nsregtool FILE create\n");
  if (err != REGERR_OK) return Fail(file, err);
  int rc = Run(h, cmd, argc > 3 ? argc - 3 : 0, argv + 3);
  err = NR_RegClose(h);
  if (err != REGERR_OK && rc == 0) rc = Fail(file, err);
  return rc;
}
