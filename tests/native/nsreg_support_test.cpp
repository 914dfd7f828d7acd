// Scratch files and byte helpers shared by the registry tests. Each test
// file declares the few it uses; the scratch folder goes at the end of the
// run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace nsregtest {

namespace {

fs::path& ScratchDir() {
  static fs::path dir;
  if (dir.empty()) {
    std::random_device rd;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir = fs::temp_directory_path() /
          ("mopwell-nsreg-" + std::to_string(rd()) + "-" + std::to_string(stamp));
    fs::create_directories(dir);
  }
  return dir;
}

class ScratchCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ec;
    if (!ScratchDir().empty()) fs::remove_all(ScratchDir(), ec);
  }
};

const ::testing::Environment* const kCleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

}  // namespace

// A fresh path (no file yet) in the scratch folder.
std::string ScratchPath(const std::string& stem) {
  static unsigned counter = 0;
  return (ScratchDir() / (stem + "-" + std::to_string(++counter) + ".dat")).string();
}

// A fresh path holding an empty file.
std::string EmptyFile(const std::string& stem) {
  std::string p = ScratchPath(stem);
  std::ofstream(p, std::ios::binary).close();
  return p;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

uint32_t Le32(const std::vector<unsigned char>& b, size_t off) {
  return uint32_t(b.at(off)) | uint32_t(b.at(off + 1)) << 8 | uint32_t(b.at(off + 2)) << 16 |
         uint32_t(b.at(off + 3)) << 24;
}

uint16_t Le16(const std::vector<unsigned char>& b, size_t off) {
  return uint16_t(b.at(off) | b.at(off + 1) << 8);
}

void SetLe32(std::vector<unsigned char>& b, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(off + i) = static_cast<unsigned char>(v >> (8 * i));
}

void SetLe16(std::vector<unsigned char>& b, size_t off, uint16_t v) {
  b.at(off) = static_cast<unsigned char>(v);
  b.at(off + 1) = static_cast<unsigned char>(v >> 8);
}

// The name stored for the descriptor at `desc`.
std::string NameAt(const std::vector<unsigned char>& b, uint32_t desc) {
  uint32_t name = Le32(b, desc + 4);
  uint16_t len = Le16(b, desc + 8);
  return std::string(reinterpret_cast<const char*>(&b.at(name)), len ? len - 1 : 0);
}

}  // namespace nsregtest
