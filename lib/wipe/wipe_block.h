// The marker block with which every destroyed file is overwritten, and the
// arithmetic of how much of a file the overwrite has to cover.
#pragma once
#include <cstddef>
#include <cstdint>

namespace wipe {

constexpr std::size_t kBlockSize = 65535;
// Two blanks before "Moo!": the marker is always spelled this way.
constexpr char kMarker[] = "This file was Mopwelled for your protection.  Moo!";
constexpr std::size_t kMarkerLen = sizeof(kMarker) - 1;  // 50

// Fills `block` (kBlockSize bytes): the marker, its zero terminator, then
// full stops up to the last byte.
void FillBlock(unsigned char* block);

// How many whole blocks, written from offset 0, cover a file of `size`
// bytes. Always at least one, so that even an empty file receives the marker.
std::uint64_t BlocksToCover(std::uint64_t size);

// The length the file has after the overwrite: BlocksToCover(size) blocks.
std::uint64_t CoveredLength(std::uint64_t size);

}  // namespace wipe
