// Seeds for dump_layout_fuzz: a few window and file shapes the viewer
// meets (a small file in a maximized window, a 5 GiB file at its middle,
// an unmeasured font) followed by bytes of every kind.
#include <cstdint>
#include <cstring>
#include <string>

#include "seed_folder.h"

namespace {

template <typename T>
void Put(std::string& s, T v) {
  char raw[sizeof v];
  std::memcpy(raw, &v, sizeof v);
  s.append(raw, sizeof v);
}

std::string Seed(std::uint64_t length, std::uint16_t w, std::uint16_t h, std::int8_t cw, std::int8_t ch,
                 std::uint8_t request, std::uint64_t first, std::int32_t bar, std::int64_t thumb,
                 const std::string& bytes) {
  std::string s;
  Put(s, length);
  Put(s, w);
  Put(s, h);
  Put(s, cw);
  Put(s, ch);
  Put<std::int8_t>(s, 0);
  Put(s, request);
  Put(s, first);
  Put<std::uint8_t>(s, 0);
  Put(s, bar);
  Put(s, thumb);
  Put<std::uint8_t>(s, 0);
  return s + bytes;
}

}  // namespace

int main(int argc, char** argv) {
  SeedFolder seeds("dump_layout_fuzz_seeds");
  if (!seeds.Open(argc, argv)) return 2;
  std::string every;
  for (int b = 0; b < 256; ++b) every += char(b);
  seeds.Write("small-maximized", Seed(4096ull << 8, 1272, 900, 9, 16, 3, 0, 10, 10, "# Netscape HTTP Cookie File\r\n"));
  seeds.Write("five-gib-middle", Seed(5ull << 38, 1272, 900, 9, 16, 5, 1ull << 30, 1 << 19, 1 << 20, every));
  seeds.Write("unmeasured-font", Seed(78ull << 8, 300, 0, 0, 0, 2, 5, -1, -1, "a\tb\nc\rd\x7f\xff"));
  seeds.Write("beyond-int-range", Seed(~0ull, 640, 480, 8, 12, 7, ~0ull, 0x7FFFFFFF, INT64_MAX, every + every));
  return seeds.Status();
}
