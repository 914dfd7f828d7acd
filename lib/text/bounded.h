// Size-checked copies into the program-wide fixed-size character buffers,
// and the few text comparisons the configuration rules need. Every copy
// into a fixed buffer goes through these helpers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Copies at most dstSize-1 characters of src and terminates. Returns true
// when the whole of src fitted. A dstSize of 0 writes nothing.
bool CopyCut(char* dst, std::size_t dstSize, std::string_view src);

// Copies src only when the whole of it fits; otherwise leaves dst empty
// (a cut path would name another place). Returns true when copied.
bool CopyWhole(char* dst, std::size_t dstSize, std::string_view src);

// Appends src to the terminated text in dst, cutting at dstSize-1.
bool AppendCut(char* dst, std::size_t dstSize, std::string_view src);

template <std::size_t N>
bool CopyCut(char (&dst)[N], std::string_view src) { return CopyCut(dst, N, src); }
template <std::size_t N>
bool CopyWhole(char (&dst)[N], std::string_view src) { return CopyWhole(dst, N, src); }
template <std::size_t N>
bool AppendCut(char (&dst)[N], std::string_view src) { return AppendCut(dst, N, src); }

// ASCII case-insensitive comparisons (the configuration files are ANSI).
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

// Length of a terminated text held in a buffer of `size` bytes, never
// reading past the buffer.
std::size_t BoundedLen(const char* s, std::size_t size);

}  // namespace text
