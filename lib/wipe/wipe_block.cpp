#include "wipe/wipe_block.h"

#include <cstring>

namespace wipe {

void FillBlock(unsigned char* block) {
  std::memset(block, '.', kBlockSize - 1);
  std::memcpy(block, kMarker, kMarkerLen + 1);  // with its terminator
  block[kBlockSize - 1] = '.';
}

std::uint64_t BlocksToCover(std::uint64_t size) {
  if (size == 0) return 1;
  return size / kBlockSize + (size % kBlockSize != 0 ? 1 : 0);
}

std::uint64_t CoveredLength(std::uint64_t size) {
  return BlocksToCover(size) * kBlockSize;
}

bool IsWipedContent(const unsigned char* data, std::uint64_t len) {
  if (len == 0 || len % kBlockSize != 0) return false;
  unsigned char block[kBlockSize];
  FillBlock(block);
  for (std::uint64_t off = 0; off < len; off += kBlockSize) {
    if (std::memcmp(data + off, block, kBlockSize) != 0) return false;
  }
  return true;
}

}  // namespace wipe
