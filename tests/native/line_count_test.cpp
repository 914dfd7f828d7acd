#include <gtest/gtest.h>

#include <string>

#include "text/line_count.h"

using text::LineCounter;

namespace {

// Feeds `bytes` in pieces of `size` bytes.
LineCounter Counted(const std::string& bytes, const std::string& needle, std::size_t size) {
  LineCounter c(needle);
  for (std::size_t at = 0; at < bytes.size(); at += size) c.Feed(std::string_view(bytes).substr(at, size));
  return c;
}

}  // namespace

// Lines end at LF; CR LF is one end; a last line without an end counts; an
// empty file has none.
TEST(LineCount, LinesWhateverTheEndsAndTheLastLine) {
  const struct {
    const char* bytes;
    std::uint64_t lines;
  } cases[] = {{"", 0},          {"\n", 1},           {"a", 1},          {"a\n", 1},      {"a\nb", 2},
               {"a\r\nb\r\n", 2}, {"\n\n\n", 3},        {"a\rb\rc", 1},    {"x\n\ny\n", 3}};
  for (const auto& c : cases)
    for (std::size_t size : {1u, 2u, 3u, 64u}) EXPECT_EQ(Counted(c.bytes, "", size).Lines(), c.lines) << c.bytes;
}

// A line holding the text counts once however often it holds it, however
// long it is, and wherever the pieces cut it; case matters.
TEST(LineCount, LinesHoldingATextCountOnceAcrossPieces) {
  std::string bookmarks = "<DL><p>\n<DT><A HREF=\"http://a.example/\" ICON=\"data:image/png;base64," +
                          std::string(5000, 'Q') + "\">A</A>\n<DT><H3>Folder</H3>\n<DT><a href=\"x\">lower</a>\n" +
                          "<DT><A HREF=\"b\">B</A> HREF again\n<DT><A HREF=\"c\">no end</A>";
  for (std::size_t size : {1u, 3u, 4u, 5u, 1639u, 100000u}) {
    LineCounter c = Counted(bookmarks, "HREF", size);
    EXPECT_EQ(c.Matching(), 3u) << size;
    EXPECT_EQ(c.Lines(), 6u) << size;
  }
  // Split across pieces, the needle is still found; not across lines.
  EXPECT_EQ(Counted("Message-ID: <1@x>\nMessage-\nID: <2@x>\n", "Message-ID", 7).Matching(), 1u);
  EXPECT_EQ(Counted("Message-ID", "Message-ID", 1).Matching(), 1u);
  EXPECT_EQ(Counted("Message-I", "Message-ID", 1).Matching(), 0u);
}
