// What a destroyed file must hold between its overwrite and its deletion,
// written out here byte by byte so that the program's own block-filling
// code is checked, never used, by the tests.
#pragma once
#include <cstddef>
#include <string>

namespace wipe_marker {

constexpr std::size_t kBlockSize = 65535;

// The marker text (two blanks before "Moo!"), its zero terminator, and
// full stops up to the block's last byte.
inline const std::string& Block() {
  static const std::string block = [] {
    std::string b = "This file was Mopwelled for your protection.  Moo!";
    b.push_back('\0');
    b.append(kBlockSize - b.size(), '.');
    return b;
  }();
  return block;
}

// True when `bytes` is one or more whole copies of the block and nothing
// else.
inline bool IsWholeBlocks(const std::string& bytes) {
  if (bytes.empty() || bytes.size() % kBlockSize != 0) return false;
  for (std::size_t off = 0; off < bytes.size(); off += kBlockSize)
    if (bytes.compare(off, kBlockSize, Block()) != 0) return false;
  return true;
}

}  // namespace wipe_marker
