// A small reader of WinHelp 3.1 files for the tests: it reads a help file
// back the way the help viewer does (directory, |SYSTEM, the |TOPIC record
// chain with its topic offsets, |CONTEXT, |CTXOMAP, |FONT) so that tests can
// check what a user would be shown. It shares nothing with the generator
// that writes the file: it follows the format, not the generator's code.
//
// Faults that make the viewer refuse or misread the file are thrown as
// hlp::Fault with a description; rules that only some readers depend on
// (records within one block, a topic length for every text record) are
// collected in HelpFile::notes, so that a test can require there are none.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hlp {

struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One hotspot of a paragraph: the command that opened it (0xE2, 0xE3,
// 0xE6, 0xE7), the context hash it leads to, and the words shown.
struct Jump {
  int command = 0;
  std::int32_t hash = 0;
  std::string text;
};

struct Paragraph {
  std::uint32_t pos = 0;          // TOPICPOS of its record
  std::uint32_t topicLength = 0;  // what the record adds to the topic offsets
  std::string text;               // the printed strings, in order
  std::vector<int> fonts;         // font descriptor indexes it selects
  std::vector<Jump> jumps;
};

struct Topic {
  std::uint32_t pos = 0;     // TOPICPOS of its topic header
  std::uint32_t offset = 0;  // TOPICOFFSET, as the viewer counts it
  std::string title;
  std::uint32_t number = 0;       // topic number field of the header
  std::uint32_t scrollPos = 0;    // first text record named by the header
  std::uint32_t nextTopic = 0;    // next topic header named by the header
  std::vector<Paragraph> paragraphs;
};

struct DirectoryEntry {
  std::string name;
  std::uint32_t offset = 0;
};

struct FontDescriptor {
  int style = 0, halfPoints = 0, family = 0, face = 0;
};

struct HelpFile {
  std::uint32_t fileLength = 0;
  std::vector<DirectoryEntry> directory;  // in stored (leaf) order
  // |SYSTEM
  int minor = 0, major = 0, topicFlags = 0;
  std::uint32_t created = 0;
  std::string title;
  bool hasContents = false;
  std::uint32_t contentsOffset = 0;
  // |TOPIC
  std::uint32_t topicBytes = 0;  // stored size of |TOPIC
  std::vector<Topic> topics;     // in chain order, the end marker included
  // |CONTEXT and |CTXOMAP, in stored order
  std::vector<std::pair<std::int32_t, std::uint32_t>> contexts;
  std::vector<std::pair<std::int32_t, std::uint32_t>> contextNumbers;
  // |FONT
  std::vector<std::string> faces;
  std::vector<FontDescriptor> fonts;
  // Rule breaks that some readers trip over.
  std::vector<std::string> notes;
};

// Reads a whole help file; throws Fault when the viewer would refuse it.
HelpFile Read(std::string_view bytes);

// The viewer's hash of a context name.
std::int32_t ContextHash(std::string_view name);

// The topic the viewer shows for a topic offset: the one with the largest
// start at or below it (null when there is none).
const Topic* TopicAt(const HelpFile& file, std::uint32_t offset);

// The topic offset the |CONTEXT tree gives a hash, looked up as the viewer
// does; false when it has none.
bool LookUpContext(const HelpFile& file, std::int32_t hash, std::uint32_t* offset);

}  // namespace hlp
