#include "hlp_reader.h"

#include <algorithm>
#include <map>
#include <set>

namespace hlp {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kBlockSize = 4096;
constexpr std::uint32_t kBlockHeader = 12;

[[noreturn]] void Fail(const std::string& what) { throw Fault(what); }

// Bounds-checked little-endian reads over one span of bytes.
class Span {
 public:
  Span() = default;
  Span(std::string_view bytes, std::string what) : bytes_(bytes), what_(std::move(what)) {}
  std::size_t size() const { return bytes_.size(); }
  std::string_view bytes() const { return bytes_; }
  void Need(std::size_t at, std::size_t n) const {
    if (at > bytes_.size() || n > bytes_.size() - at)
      Fail(what_ + ": " + std::to_string(n) + " bytes at " + std::to_string(at) + " run past its end (" +
           std::to_string(bytes_.size()) + " bytes)");
  }
  std::uint8_t U8(std::size_t at) const {
    Need(at, 1);
    return static_cast<std::uint8_t>(bytes_[at]);
  }
  std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(U8(at) | U8(at + 1) << 8); }
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  Span Sub(std::size_t at, std::size_t n, const std::string& what) const {
    Need(at, n);
    return Span(bytes_.substr(at, n), what);
  }
  // A NUL-terminated string starting at `at`; `at` moves past the NUL.
  std::string CString(std::size_t& at) const {
    std::size_t end = bytes_.find('\0', at);
    if (at > bytes_.size() || end == std::string_view::npos) Fail(what_ + ": a string without its end");
    std::string s(bytes_.substr(at, end - at));
    at = end + 1;
    return s;
  }

 private:
  std::string_view bytes_;
  std::string what_;
};

// Compressed numbers: the low bit of the first byte chooses the long form.
std::uint32_t CompressedUShort(const Span& s, std::size_t& at) {
  std::uint8_t first = s.U8(at);
  if (first & 1) {
    std::uint32_t v = s.U16(at) / 2u;
    at += 2;
    return v;
  }
  at += 1;
  return first / 2u;
}
std::int32_t CompressedShort(const Span& s, std::size_t& at) {
  std::uint8_t first = s.U8(at);
  if (first & 1) {
    std::int32_t v = static_cast<std::int32_t>(s.U16(at) / 2u) - 0x4000;
    at += 2;
    return v;
  }
  at += 1;
  return static_cast<std::int32_t>(first / 2u) - 0x40;
}
std::int32_t CompressedLong(const Span& s, std::size_t& at) {
  std::uint16_t first = s.U16(at);
  if (first & 1) {
    std::int64_t v = static_cast<std::int64_t>(s.U32(at) / 2u) - 0x40000000;
    at += 4;
    return static_cast<std::int32_t>(v);
  }
  at += 2;
  return static_cast<std::int32_t>(first / 2u) - 0x4000;
}

// An internal file: its 9-byte header at `offset`, then `used` bytes.
Span InternalFile(const Span& whole, std::uint32_t offset, const std::string& name) {
  std::uint32_t reserved = whole.U32(offset);
  std::uint32_t used = whole.U32(offset + 4);
  if (static_cast<std::uint64_t>(used) + 9 > reserved)
    Fail(name + ": reserved size " + std::to_string(reserved) + " does not hold the 9-byte header and " +
         std::to_string(used) + " bytes");
  whole.Need(offset, reserved);
  return whole.Sub(offset + 9, used, name);
}

struct Tree {
  std::uint16_t pageSize = 0, root = 0, pages = 0, levels = 0;
  std::uint32_t entries = 0;
  std::string layout;
  Span pagesSpan;
};

Tree ReadTree(const Span& file, const std::string& name) {
  Tree t;
  if (file.U16(0) != 0x293B) Fail(name + ": no B+ tree magic");
  t.pageSize = file.U16(4);
  std::size_t at = 6;
  t.layout = file.CString(at);
  t.root = file.U16(26);
  t.pages = file.U16(30);
  t.levels = file.U16(32);
  t.entries = file.U32(34);
  if (t.pageSize < 16 || t.levels == 0 || t.root >= t.pages) Fail(name + ": a B+ tree header that names no page");
  t.pagesSpan = file.Sub(38, static_cast<std::size_t>(t.pageSize) * t.pages, name + " pages");
  return t;
}

// Walks the tree from the root down to its leftmost leaf, then the leaves
// in order; `entry` reads one entry at `at` and moves past it.
template <typename Entry>
void WalkLeaves(const Tree& t, const std::string& name, Entry entry) {
  std::uint16_t page = t.root;
  for (int level = t.levels; level > 1; --level) {
    Span p = t.pagesSpan.Sub(static_cast<std::size_t>(page) * t.pageSize, t.pageSize, name + " index page");
    page = p.U16(4);
    if (page >= t.pages) Fail(name + ": an index page leads to no page");
  }
  std::set<std::uint16_t> seen;
  std::uint32_t count = 0;
  while (page != 0xFFFF) {
    if (page >= t.pages || !seen.insert(page).second) Fail(name + ": the leaf chain leads nowhere or in a circle");
    Span p = t.pagesSpan.Sub(static_cast<std::size_t>(page) * t.pageSize, t.pageSize, name + " leaf page");
    std::int16_t n = static_cast<std::int16_t>(p.U16(2));
    if (n < 0) Fail(name + ": a negative entry count");
    std::size_t at = 8;
    for (int i = 0; i < n; ++i) entry(p, at);
    count += static_cast<std::uint32_t>(n);
    page = p.U16(6);
  }
  if (count != t.entries) Fail(name + ": the header counts " + std::to_string(t.entries) + " entries, the leaves " +
                               std::to_string(count));
}

// LZ77 as the help viewer expands topic blocks: a control byte for every
// eight items, low bit first; a set bit is a back-reference of two bytes
// (low 12 bits the distance less one, high 4 bits the length less three).
std::string Expand(std::string_view in) {
  std::string out;
  std::size_t i = 0;
  while (i < in.size()) {
    std::uint8_t control = static_cast<std::uint8_t>(in[i++]);
    for (int bit = 0; bit < 8 && i < in.size(); ++bit) {
      if (control & (1u << bit)) {
        if (i + 1 >= in.size()) Fail("|TOPIC: a back-reference cut off at the block's end");
        unsigned code = static_cast<std::uint8_t>(in[i]) | static_cast<std::uint8_t>(in[i + 1]) << 8;
        i += 2;
        std::size_t distance = (code & 0x0FFF) + 1, length = (code >> 12) + 3;
        if (distance > out.size()) Fail("|TOPIC: a back-reference before the block's start");
        for (std::size_t k = 0; k < length; ++k) out += out[out.size() - distance];
      } else {
        out += in[i++];
      }
    }
  }
  return out;
}

void ReadParagraph(const Span& record, std::uint32_t data1Size, std::uint32_t data2Size, Paragraph& p,
                   HelpFile& file) {
  Span d1 = record.Sub(21, data1Size - 21, "text record LinkData1");
  Span d2 = record.Sub(data1Size, data2Size, "text record LinkData2");
  std::size_t at = 0;
  CompressedLong(d1, at);
  p.topicLength = CompressedUShort(d1, at);
  at += 4;  // unknown byte, 0x80, paragraph id
  std::uint16_t flags = d1.U16(at);
  at += 2;
  if (flags & 0x0001) CompressedLong(d1, at);
  for (std::uint16_t bit : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040})
    if (flags & bit) CompressedShort(d1, at);
  if (flags & 0x0100) at += 3;
  if (flags & 0x0200) {
    std::int32_t stops = CompressedShort(d1, at);
    for (std::int32_t i = 0; i < stops; ++i)
      if (CompressedUShort(d1, at) & 0x4000) CompressedUShort(d1, at);
  }
  std::size_t textAt = 0;
  Jump* open = nullptr;
  auto printed = [&]() {
    std::string s = d2.CString(textAt);
    p.text += s;
    if (open) open->text += s;
  };
  for (;;) {
    printed();
    std::uint8_t command = d1.U8(at++);
    switch (command) {
      case 0xFF: goto done;
      case 0x80:
        p.fonts.push_back(d1.U16(at));
        at += 2;
        break;
      case 0x81:
      case 0x82:
        p.text += '\n';
        break;
      case 0x83: p.text += '\t'; break;
      case 0x89: open = nullptr; break;
      case 0xE2:
      case 0xE3:
      case 0xE6:
      case 0xE7:
        p.jumps.push_back(Jump{command, d1.I32(at), std::string()});
        open = &p.jumps.back();
        at += 4;
        break;
      default: Fail("text record at " + std::to_string(p.pos) + ": unknown format command " + std::to_string(command));
    }
  }
done:
  if (textAt != d2.size())
    file.notes.push_back("text record at " + std::to_string(p.pos) + ": " + std::to_string(d2.size() - textAt) +
                         " bytes of LinkData2 left over after its commands");
  while (!p.text.empty() && p.text.back() == '\n') p.text.pop_back();
}

void ReadTopics(const Span& topic, int flags, HelpFile& file) {
  if (flags != 0 && flags != 4) Fail("|SYSTEM: topic storage " + std::to_string(flags) + " is not read here");
  if (topic.size() % kBlockSize != 0)
    file.notes.push_back("|TOPIC: " + std::to_string(topic.size()) + " bytes, not whole 4096-byte blocks");
  std::vector<std::string> blocks;
  for (std::size_t at = 0; at < topic.size(); at += kBlockSize) {
    std::size_t n = std::min<std::size_t>(kBlockSize, topic.size() - at);
    if (n < kBlockHeader) Fail("|TOPIC: a block shorter than its header");
    std::string_view stored = topic.bytes().substr(at + kBlockHeader, n - kBlockHeader);
    std::string data = flags == 4 ? Expand(stored) : std::string(stored);
    if (data.size() >= 0x4000 - kBlockHeader) Fail("|TOPIC: a block expands to 16 KiB or more");
    blocks.push_back(std::move(data));
  }
  std::uint32_t pos = 0x0C, prev = kNone;
  std::uint32_t lastBlock = kNone, chars = 0;
  std::set<std::uint32_t> seen;
  Topic* current = nullptr;
  while (pos != kNone) {
    if (!seen.insert(pos).second) Fail("|TOPIC: the record chain runs in a circle at " + std::to_string(pos));
    std::uint32_t block = pos / 0x4000, inBlock = pos % 0x4000;
    if (block >= blocks.size() || inBlock < kBlockHeader) Fail("|TOPIC: a record position outside the blocks: " + std::to_string(pos));
    Span data(blocks[block], "|TOPIC block " + std::to_string(block));
    std::size_t at = inBlock - kBlockHeader;
    std::uint32_t size = data.U32(at);
    if (size < 21) Fail("|TOPIC: a record of " + std::to_string(size) + " bytes at " + std::to_string(pos));
    if (static_cast<std::uint64_t>(at) + size > data.size())
      file.notes.push_back("|TOPIC: the record at " + std::to_string(pos) + " crosses its block's end");
    Span record = data.Sub(at, std::min<std::size_t>(size, data.size() - at), "|TOPIC record");
    std::uint32_t data2Size = record.U32(4), prevField = record.U32(8), next = record.U32(12);
    std::uint32_t data1Size = record.U32(16);
    std::uint8_t type = record.U8(20);
    if (prevField != prev) file.notes.push_back("|TOPIC: the record at " + std::to_string(pos) + " names " +
                                                std::to_string(prevField) + " as the previous one");
    if (data1Size < 21 || data1Size > size || size - data1Size != data2Size)
      Fail("|TOPIC: the record at " + std::to_string(pos) + " has sizes that do not add up (phrase compression?)");
    // Each block counts its own characters, from the block's topic base.
    if (block != lastBlock) {
      lastBlock = block;
      chars = 0;
    }
    if (type == 0x02) {
      Topic t;
      t.pos = pos;
      t.offset = block * 0x8000 + chars;
      if (data1Size < 21 + 28) Fail("|TOPIC: a topic header too short");
      t.number = record.U32(21 + 12);
      t.scrollPos = record.U32(21 + 20);
      t.nextTopic = record.U32(21 + 24);
      std::string_view title = record.bytes().substr(data1Size, data2Size);
      t.title = std::string(title.substr(0, title.find('\0')));
      file.topics.push_back(std::move(t));
      current = &file.topics.back();
    } else if (type == 0x20) {
      if (!current) Fail("|TOPIC: text before the first topic header");
      Paragraph p;
      p.pos = pos;
      ReadParagraph(record, data1Size, data2Size, p, file);
      if (p.topicLength == 0 && data2Size > 0)
        file.notes.push_back("|TOPIC: the text record at " + std::to_string(pos) + " adds nothing to the topic offsets");
      chars += p.topicLength;
      current->paragraphs.push_back(std::move(p));
    } else {
      Fail("|TOPIC: record type " + std::to_string(type) + " at " + std::to_string(pos) + " is not read here");
    }
    prev = pos;
    pos = next;
  }
}

}  // namespace

std::int32_t ContextHash(std::string_view name) {
  std::uint32_t h = 0;
  for (char c : name) {
    std::uint32_t v = 0;
    if (c >= 'A' && c <= 'Z') v = static_cast<std::uint32_t>(c - 'A') + 17;
    else if (c >= 'a' && c <= 'z') v = static_cast<std::uint32_t>(c - 'a') + 17;
    else if (c >= '1' && c <= '9') v = static_cast<std::uint32_t>(c - '0');
    else if (c == '0') v = 10;
    else if (c == '.') v = 12;
    else if (c == '_') v = 13;
    h = h * 43 + v;
  }
  return static_cast<std::int32_t>(h);
}

HelpFile Read(std::string_view bytes) {
  HelpFile file;
  Span whole(bytes, "help file");
  if (whole.U32(0) != 0x00035F3Fu) Fail("no help file magic");
  std::uint32_t directoryAt = whole.U32(4);
  file.fileLength = whole.U32(12);
  if (file.fileLength > bytes.size()) Fail("the header claims " + std::to_string(file.fileLength) + " bytes, the file has " +
                                           std::to_string(bytes.size()));

  Span dirFile = InternalFile(whole, directoryAt, "directory");
  if (bytes[directoryAt + 8] != 4) file.notes.push_back("directory: file flags are not 4");
  Tree dir = ReadTree(dirFile, "directory");
  if (dir.layout != "z4") Fail("directory: layout " + dir.layout);
  WalkLeaves(dir, "directory", [&](const Span& page, std::size_t& at) {
    DirectoryEntry e;
    e.name = page.CString(at);
    e.offset = page.U32(at);
    at += 4;
    file.directory.push_back(e);
  });
  auto find = [&](const std::string& name) -> Span {
    // The viewer's lookup: walk while the key is below the wanted one.
    for (const DirectoryEntry& e : file.directory) {
      if (e.name == name) return InternalFile(whole, e.offset, name);
      if (e.name > name) break;
    }
    Fail("no internal file " + name + " (or the directory is out of order)");
  };

  Span system = find("|SYSTEM");
  if (system.U16(0) != 0x036C) Fail("|SYSTEM: no magic");
  file.minor = system.U16(2);
  file.major = system.U16(4);
  file.created = system.U32(6);
  file.topicFlags = system.U16(10);
  if (file.major != 1) Fail("|SYSTEM: major version " + std::to_string(file.major));
  for (std::size_t at = 12; at < system.size();) {
    std::uint16_t type = system.U16(at), length = system.U16(at + 2);
    Span data = system.Sub(at + 4, length, "|SYSTEM record");
    if (type == 1) {
      std::size_t s = 0;
      file.title = data.CString(s);
    } else if (type == 3) {
      if (length != 4) Fail("|SYSTEM: a contents record of " + std::to_string(length) + " bytes");
      file.hasContents = true;
      file.contentsOffset = data.U32(0);
    }
    at += 4 + length;
  }

  Span font = find("|FONT");
  std::uint16_t faceCount = font.U16(0), descriptorCount = font.U16(2);
  std::uint16_t facesAt = font.U16(4), descriptorsAt = font.U16(6);
  if (faceCount == 0 || descriptorsAt < facesAt) Fail("|FONT: no face names");
  // Version 21 keeps the names right after the header, 20 bytes each: a
  // descriptor list that starts elsewhere is read from the wrong bytes.
  if (facesAt != 8) Fail("|FONT: face names not after the header");
  if (descriptorsAt != 8u + 20u * faceCount) Fail("|FONT: descriptors not after 20-byte face names");
  std::size_t slot = (descriptorsAt - facesAt) / faceCount;
  for (std::uint16_t i = 0; i < faceCount; ++i) {
    std::size_t at = facesAt + i * slot;
    Span name = font.Sub(at, slot, "|FONT face");
    std::string_view raw = name.bytes();
    file.faces.emplace_back(raw.substr(0, raw.find('\0')));
  }
  for (std::uint16_t i = 0; i < descriptorCount; ++i) {
    std::size_t at = descriptorsAt + i * 11u;
    file.fonts.push_back(FontDescriptor{font.U8(at), font.U8(at + 1), font.U8(at + 2), font.U16(at + 3)});
    if (file.fonts.back().face >= faceCount) Fail("|FONT: a descriptor names no face");
  }

  Span topic = find("|TOPIC");
  file.topicBytes = static_cast<std::uint32_t>(topic.size());
  ReadTopics(topic, file.topicFlags, file);

  Span context = find("|CONTEXT");
  Tree contexts = ReadTree(context, "|CONTEXT");
  if (contexts.layout != "L4") Fail("|CONTEXT: layout " + contexts.layout);
  WalkLeaves(contexts, "|CONTEXT", [&](const Span& page, std::size_t& at) {
    file.contexts.emplace_back(page.I32(at), page.U32(at + 4));
    at += 8;
  });

  for (const DirectoryEntry& e : file.directory)
    if (e.name == "|CTXOMAP") {
      Span map = InternalFile(whole, e.offset, e.name);
      std::uint16_t n = map.U16(0);
      for (std::uint16_t i = 0; i < n; ++i) file.contextNumbers.emplace_back(map.I32(2 + i * 8u), map.U32(6 + i * 8u));
    }
  return file;
}

const Topic* TopicAt(const HelpFile& file, std::uint32_t offset) {
  const Topic* best = nullptr;
  for (const Topic& t : file.topics)
    if (t.offset <= offset && (!best || t.offset > best->offset)) best = &t;
  return best;
}

bool LookUpContext(const HelpFile& file, std::int32_t hash, std::uint32_t* offset) {
  // The viewer stops at the first key above the wanted one.
  for (const auto& [key, value] : file.contexts) {
    if (key == hash) {
      *offset = value;
      return true;
    }
    if (key > hash) return false;
  }
  return false;
}

}  // namespace hlp
