// The help file MOPWELL.HLP as the build makes it, read back with a reader
// of the tests' own: the file the viewer accepts, the five topics the
// Documentation tab asks for, found the way the viewer finds them (context
// numbers, the contents record, the jumps' context hashes).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "hlp_reader.h"

namespace {

const char kContents[] = "How to use Mopwell";
// What each Documentation button asks for, and the topic it must show.
const std::map<int, std::string> kNumbered = {
    {2, "How to use Glimso"}, {3, "How to use Fettlor"}, {4, "How to use Settings"}, {5, "How to use Preferences"}};

std::string HelpFilePath() {
  std::string path = MOPWELL_HELP_FILE;
#ifdef _WIN32
  // Under Wine the build tree is on drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

std::string HelpFileBytes() {
  std::ifstream in(HelpFilePath(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HelpFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bytes_ = new std::string(HelpFileBytes());
    try {
      file_ = new hlp::HelpFile(hlp::Read(*bytes_));
    } catch (const hlp::Fault& fault) {
      error_ = new std::string(fault.what());
    }
  }
  static void TearDownTestSuite() {
    delete bytes_;
    delete file_;
    delete error_;
    bytes_ = nullptr;
    file_ = nullptr;
    error_ = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(bytes_->empty()) << "no help file at " << HelpFilePath();
    ASSERT_EQ(error_, nullptr) << *error_;
  }
  const hlp::HelpFile& file() const { return *file_; }

  const hlp::Topic* Titled(const std::string& title) const {
    for (const hlp::Topic& t : file().topics)
      if (t.title == title) return &t;
    return nullptr;
  }

  static std::string* bytes_;
  static hlp::HelpFile* file_;
  static std::string* error_;
};
std::string* HelpFileTest::bytes_ = nullptr;
hlp::HelpFile* HelpFileTest::file_ = nullptr;
std::string* HelpFileTest::error_ = nullptr;

}  // namespace

// The hash the viewer computes, on the value our notes were checked with.
TEST(HelpReader, ContextHashMatchesTheViewers) {
  EXPECT_EQ(static_cast<std::uint32_t>(hlp::ContextHash("ctx_three")), 0xC19E4CE0u);
  EXPECT_EQ(hlp::ContextHash("Fettlor"), hlp::ContextHash("fettlor")) << "the hash ignores letter case";
  EXPECT_EQ(hlp::ContextHash(""), 0);
}

// The file length the header gives is the file's; the directory lists the
// five internal files in the byte order the viewer's lookup needs; the
// file is the same for the same sources (no creation time).
TEST_F(HelpFileTest, HeaderAndDirectory) {
  EXPECT_EQ(file().fileLength, bytes_->size());
  std::vector<std::string> names;
  for (const hlp::DirectoryEntry& e : file().directory) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC"}));
  EXPECT_EQ(file().major, 1);
  EXPECT_EQ(file().minor, 21);
  EXPECT_EQ(file().created, 0u);
  EXPECT_EQ(file().title, "Mopwell Help");
  EXPECT_TRUE(file().notes.empty()) << file().notes.front();
}

// The topic chain holds the five topics once each, with their titles as
// their first line, and ends in an empty topic; every topic starts at an
// offset of its own, and the records keep within their blocks.
TEST_F(HelpFileTest, TopicChainHoldsTheFiveTopics) {
  std::vector<std::string> titles;
  for (const hlp::Topic& t : file().topics) titles.push_back(t.title);
  ASSERT_EQ(titles.size(), 6u);
  EXPECT_EQ(titles[0], kContents) << "the contents topic comes first";
  EXPECT_EQ(titles.back(), "") << "the chain ends in an empty topic";
  std::multiset<std::string> named(titles.begin(), titles.end() - 1);
  EXPECT_EQ(named.count(kContents), 1u);
  for (const auto& [number, title] : kNumbered) EXPECT_EQ(named.count(title), 1u) << title;

  std::set<std::uint32_t> starts;
  for (size_t i = 0; i < file().topics.size(); ++i) {
    const hlp::Topic& t = file().topics[i];
    SCOPED_TRACE(t.title);
    EXPECT_TRUE(starts.insert(t.offset).second) << "two topics start at " << t.offset;
    EXPECT_EQ(t.number, i);
    if (t.title.empty()) continue;
    ASSERT_GE(t.paragraphs.size(), 3u) << "a topic of a few paragraphs";
    EXPECT_EQ(t.paragraphs[0].text, t.title);
    EXPECT_EQ(t.scrollPos, t.paragraphs[0].pos);
    EXPECT_EQ(t.nextTopic, file().topics[i + 1].pos);
    for (const hlp::Paragraph& p : t.paragraphs) {
      EXPECT_GT(p.topicLength, 0u);
      for (int font : p.fonts) EXPECT_LT(static_cast<size_t>(font), file().fonts.size());
    }
  }
  EXPECT_EQ(file().topics.back().nextTopic, 0xFFFFFFFFu);
  EXPECT_EQ(file().topicBytes % 4096, 0u) << "the last block is padded to its full size";
  EXPECT_GE(file().fonts.size(), 3u) << "normal, heading and bold";
  EXPECT_FALSE(file().faces.empty());
  // Sizes a reader can use: 8 to 20 points, a known family, a face that is
  // there. A descriptor read from the wrong bytes shows text at 100 points.
  for (const hlp::FontDescriptor& d : file().fonts) {
    EXPECT_GE(d.halfPoints, 16);
    EXPECT_LE(d.halfPoints, 40);
    EXPECT_GE(d.family, 1);
    EXPECT_LE(d.family, 5);
    EXPECT_LT(static_cast<size_t>(d.face), file().faces.size());
  }
}

// HELP_CONTEXT 2..5 and HELP_CONTENTS land on the topics the Documentation
// buttons name, resolved as the viewer resolves an offset; and each number
// names a topic's very start.
TEST_F(HelpFileTest, ContextNumbersAndContentsShowTheirTopics) {
  std::vector<int> numbers;
  for (const auto& [number, offset] : file().contextNumbers) {
    numbers.push_back(number);
    const hlp::Topic* t = hlp::TopicAt(file(), offset);
    ASSERT_NE(t, nullptr) << number;
    EXPECT_EQ(t->offset, offset) << number;
    ASSERT_EQ(kNumbered.count(number), 1u) << "a number the program never asks for: " << number;
    EXPECT_EQ(t->title, kNumbered.at(number)) << number;
  }
  EXPECT_EQ(numbers, (std::vector<int>{2, 3, 4, 5}));

  ASSERT_TRUE(file().hasContents);
  const hlp::Topic* contents = hlp::TopicAt(file(), file().contentsOffset);
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->title, kContents);
  EXPECT_EQ(contents->offset, file().contentsOffset);
}

// The contents topic jumps to each of the other four; every jump's hash is
// in |CONTEXT (kept in signed order, without duplicates) and leads to the
// topic its words name. Each topic can also be reached by its own name.
TEST_F(HelpFileTest, JumpsAndContextNamesResolve) {
  for (size_t i = 1; i < file().contexts.size(); ++i)
    EXPECT_LT(file().contexts[i - 1].first, file().contexts[i].first) << "signed order, no duplicate";
  EXPECT_EQ(file().contexts.size(), 5u);

  const hlp::Topic* contents = Titled(kContents);
  ASSERT_NE(contents, nullptr);
  std::map<std::string, std::string> reached;  // words shown -> topic title
  for (const hlp::Paragraph& p : contents->paragraphs)
    for (const hlp::Jump& j : p.jumps) {
      EXPECT_EQ(j.command, 0xE3) << "a jump, not a popup";
      std::uint32_t offset = 0;
      ASSERT_TRUE(hlp::LookUpContext(file(), j.hash, &offset)) << j.text;
      const hlp::Topic* t = hlp::TopicAt(file(), offset);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->offset, offset);
      reached[j.text] = t->title;
    }
  EXPECT_EQ(reached, (std::map<std::string, std::string>{{"Glimso", "How to use Glimso"},
                                                         {"Fettlor", "How to use Fettlor"},
                                                         {"Settings", "How to use Settings"},
                                                         {"Preferences", "How to use Preferences"}}));

  const std::map<std::string, std::string> names = {{"contents", kContents},
                                                    {"glimso", "How to use Glimso"},
                                                    {"fettlor", "How to use Fettlor"},
                                                    {"settings", "How to use Settings"},
                                                    {"preferences", "How to use Preferences"}};
  for (const auto& [name, title] : names) {
    std::uint32_t offset = 0;
    ASSERT_TRUE(hlp::LookUpContext(file(), hlp::ContextHash(name), &offset)) << name;
    EXPECT_EQ(hlp::TopicAt(file(), offset)->title, title) << name;
  }
}

// Text a user reads: code page 1252 without control characters, and the
// captions the program really shows (a renamed button would leave the help
// describing one that is not there).
TEST_F(HelpFileTest, TopicsNameTheRealCaptions) {
  std::map<std::string, std::string> text;
  for (const hlp::Topic& t : file().topics) {
    for (const hlp::Paragraph& p : t.paragraphs) {
      text[t.title] += p.text + "\n";
      for (unsigned char c : p.text)
        EXPECT_TRUE(c >= 0x20 || c == '\n' || c == '\t') << t.title << ": control byte " << int(c);
    }
  }
  const std::map<std::string, std::vector<std::string>> captions = {
      {kContents,
       {"Use anonymous User ID online", "Remove your newsgroup tracks", "Remove news database details",
        "Remove your email activities", "Remove your history database", "Remove your URL windows list",
        "Remove your unwanted cookies", "Remove all bookmark settings", "Remove caches and databases",
        "Remove start button documents"}},
      {"How to use Glimso",
       {"User ID:", "Newsgroups:", "News databases:", "Email records:", "History:", "URL window:", "Cookies:",
        "Bookmarks:", "Caches:", "Start button docs:", "Show me", "CLICK HERE to return to Mopwell"}},
      {"How to use Fettlor",
       {"Cookies you've collected", "Cookies you wanted kept", "Keep", "Remove", "Show me", "Save", "Undo",
        "hookies.txt"}},
      {"How to use Settings",
       {"Real identity", "Your alias", "4 or higher", "3 or lower", "Netscape directory:", "Save", "Undo"}},
      {"How to use Preferences",
       {"Clean Netcaster archives", "Clean news \"rcg\" files", "Clean news hostinfo.dat", "Clean news subfolders",
        "Clean sent mail folder", "Clean draft mail folder", "Clean inbox mail folder", "Clean outbox mail folder",
        "Refuse java and javascript", "Refuse ALL incoming cookies", "Warn me of incoming cookies",
        "Defeat cache error warning", "Diagnostics mode engage", "Do NOT change login name",
        "Back up bookmark database", "IGNORE Corel Netscape settings"}},
  };
  for (const auto& [title, words] : captions)
    for (const std::string& caption : words)
      EXPECT_NE(text[title].find(caption), std::string::npos) << title << " does not name \"" << caption << "\"";
}
