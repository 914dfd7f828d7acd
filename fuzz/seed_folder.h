// What the seed programs share: the corpus folder named on the command
// line, and files written into it whole, every failure said and counted so
// the program can end with a failing status.
#pragma once
#include <cstdio>
#include <string>

class SeedFolder {
 public:
  explicit SeedFolder(const char* program) : program_(program) {}

  // Takes the folder from the arguments; false (after saying how the
  // program is used) when there is not exactly one.
  bool Open(int argc, char** argv) {
    if (argc != 2) {
      std::fprintf(stderr, "usage: %s DIR\n", program_);
      return false;
    }
    dir_ = argv[1];
    return true;
  }

  void Write(const char* name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
      std::fprintf(stderr, "%s: cannot write %s\n", program_, path.c_str());
      ++failures_;
      return;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
      std::fprintf(stderr, "%s: short write to %s\n", program_, path.c_str());
      ++failures_;
    }
  }

  // The program's exit status: 0 when every file was written.
  int Status() const { return failures_ == 0 ? 0 : 1; }

 private:
  const char* program_;
  std::string dir_;
  int failures_ = 0;
};
