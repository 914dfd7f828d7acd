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

}  // namespace wipe
