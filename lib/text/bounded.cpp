#include "text/bounded.h"

#include <cstring>

namespace text {

bool CopyCut(char* dst, std::size_t dstSize, std::string_view src) {
  if (dstSize == 0) return src.empty();
  std::size_t n = src.size() < dstSize - 1 ? src.size() : dstSize - 1;
  if (n) std::memmove(dst, src.data(), n);
  dst[n] = '\0';
  return n == src.size();
}

bool CopyWhole(char* dst, std::size_t dstSize, std::string_view src) {
  if (dstSize == 0) return false;
  if (src.size() > dstSize - 1) {
    dst[0] = '\0';
    return false;
  }
  return CopyCut(dst, dstSize, src);
}

bool AppendCut(char* dst, std::size_t dstSize, std::string_view src) {
  std::size_t have = BoundedLen(dst, dstSize);
  if (have >= dstSize) return src.empty();  // not terminated: leave it alone
  return CopyCut(dst + have, dstSize - have, src);
}

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > haystack.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i)
    if (EqualsNoCase(haystack.substr(i, needle.size()), needle)) return true;
  return false;
}

std::size_t BoundedLen(const char* s, std::size_t size) {
  const void* z = std::memchr(s, '\0', size);
  return z ? static_cast<std::size_t>(static_cast<const char*>(z) - s) : size;
}

}  // namespace text
