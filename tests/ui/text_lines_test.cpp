// The editor's save keeps every byte of the lines it did not edit.
#include "ui/core/text_lines.h"

#include <gtest/gtest.h>

namespace parvela {
namespace {

// The lines as the editor shows them (texts only).
std::vector<std::string> shown(std::string_view bytes, bool utf8) {
  std::vector<std::string> out;
  for (const TextLine& l : splitLines(bytes, utf8)) out.emplace_back(bytes.substr(l.begin, l.end - l.begin));
  return out;
}

TEST(TextLines, EditsKeepTheBytesOfEveryOtherLine) {
  const std::string mixed = "T  \r\n3 1\n4 1 0\r\n2\r3\xc2\xa0" "5\n";
  ASSERT_EQ(shown(mixed, true), (std::vector<std::string>{"T  ", "3 1", "4 1 0", "2", "3\xc2\xa0" "5", ""}));
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> edited;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing edited", mixed, shown(mixed, true), mixed},
      {"one line edited keeps its own line end", mixed, {"T  ", "3 1", "4 1 9", "2", "3\xc2\xa0" "5", ""},
       "T  \r\n3 1\n4 1 9\r\n2\r3\xc2\xa0" "5\n"},
      {"a line added takes the usual line end", mixed, {"T  ", "3 1", "nou", "4 1 0", "2", "3\xc2\xa0" "5", ""},
       "T  \r\n3 1\nnou\r\n4 1 0\r\n2\r3\xc2\xa0" "5\n"},
      {"a line removed", mixed, {"T  ", "4 1 0", "2", "3\xc2\xa0" "5", ""}, "T  \r\n4 1 0\r\n2\r3\xc2\xa0" "5\n"},
      {"typed after a last line without line end", "T\r\n3 1", {"T", "3 12"}, "T\r\n3 12"},
      {"lines added at the end", "T\n1 1", {"T", "1 1", "2", ""}, "T\n1 1\n2\n"},
      {"a new file", "", {"3 1", ""}, "3 1\n"},
      {"edits far apart", "a\r\nb\nc\rd\ne", {"A", "b", "c", "d", "E"}, "A\r\nb\nc\rd\nE"},
  };
  for (const Case& c : cases) {
    const auto lines = splitLines(c.bytes, true);
    EXPECT_EQ(mergeEditedLines(c.bytes, lines, c.edited, usualLineEnd(c.bytes, lines)), c.expected) << c.what;
  }
  // Not UTF-8: the bytes of a line separator's encoding are plain bytes.
  EXPECT_EQ(shown("a\xe2\x80\xa8" "b", false).size(), 1u);
  EXPECT_EQ(shown("a\xe2\x80\xa8" "b", true).size(), 2u);
}

}  // namespace
}  // namespace parvela
