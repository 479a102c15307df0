// The lines of a text file as the built-in editor shows them, and the bytes
// of the file after an edit: every line the edit did not touch keeps its
// bytes and its line end (CR LF, LF or a lone CR), whatever the editor
// would have made of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace parvela {

struct TextLine {
  std::size_t begin = 0;  // the line's text: bytes [begin, end)
  std::size_t end = 0;
  std::size_t next = 0;   // its line end: bytes [end, next)
};

// Splits at CR LF, LF and a lone CR; in UTF-8 text also at the line and
// paragraph separators (U+2028, U+2029) and the two characters a text
// editor takes as frame marks (U+FDD0, U+FDD1). The last line has no line
// end (it is empty when the text ends with one).
std::vector<TextLine> splitLines(std::string_view bytes, bool utf8);

// The line end of the first line that has one, LF when none has.
std::string_view usualLineEnd(std::string_view bytes, const std::vector<TextLine>& lines);

// The new bytes of the file from the edited lines (each encoded as the
// file is): lines equal to an original line, in order, keep that line's
// bytes and line end; an edited line takes the line end of the original
// line in its place, or `lineEnd`. The last line gets none.
std::string mergeEditedLines(std::string_view original, const std::vector<TextLine>& lines,
                             const std::vector<std::string>& edited, std::string_view lineEnd);

}  // namespace parvela
