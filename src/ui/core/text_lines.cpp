#include "ui/core/text_lines.h"

#include <algorithm>
#include <cstdint>

namespace parvela {

namespace {

// The length of a line separator at `at` (0 when there is none).
std::size_t separatorAt(std::string_view b, std::size_t at, bool utf8) {
  const char c = b[at];
  if (c == '\n') return 1;
  if (c == '\r') return at + 1 < b.size() && b[at + 1] == '\n' ? 2 : 1;
  if (utf8 && at + 2 < b.size()) {
    const auto b0 = static_cast<unsigned char>(c), b1 = static_cast<unsigned char>(b[at + 1]),
               b2 = static_cast<unsigned char>(b[at + 2]);
    if (b0 == 0xE2 && b1 == 0x80 && (b2 == 0xA8 || b2 == 0xA9)) return 3;  // U+2028, U+2029
    if (b0 == 0xEF && b1 == 0xB7 && (b2 == 0x90 || b2 == 0x91)) return 3;  // U+FDD0, U+FDD1
  }
  return 0;
}

// Pairs of equal lines, in order (the longest such list where the gap
// between the unchanged first and last lines is small enough to search).
std::vector<std::pair<std::size_t, std::size_t>> matchLines(const std::vector<std::string_view>& a,
                                                            const std::vector<std::string>& b) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) {
    pairs.emplace_back(head, head);
    ++head;
  }
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;
  constexpr std::size_t kMaxCells = 4'000'000;
  if (n > 0 && m > 0 && n * m <= kMaxCells) {
    // Longest common subsequence of the lines between.
    std::vector<std::uint32_t> len((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return len[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
      if (a[head + i] == b[head + j]) {
        pairs.emplace_back(head + i, head + j);
        ++i, ++j;
      } else if (at(i + 1, j) >= at(i, j + 1)) {
        ++i;
      } else {
        ++j;
      }
    }
  }
  for (std::size_t k = tail; k-- > 0;) pairs.emplace_back(a.size() - 1 - k, b.size() - 1 - k);
  return pairs;
}

}  // namespace

std::vector<TextLine> splitLines(std::string_view bytes, bool utf8) {
  std::vector<TextLine> lines;
  std::size_t begin = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t sep = separatorAt(bytes, at, utf8);
    if (sep == 0) {
      ++at;
      continue;
    }
    lines.push_back({begin, at, at + sep});
    at += sep;
    begin = at;
  }
  lines.push_back({begin, bytes.size(), bytes.size()});
  return lines;
}

std::string_view usualLineEnd(std::string_view bytes, const std::vector<TextLine>& lines) {
  for (const TextLine& l : lines)
    if (l.next > l.end) return bytes.substr(l.end, l.next - l.end);
  return "\n";
}

std::string mergeEditedLines(std::string_view original, const std::vector<TextLine>& lines,
                             const std::vector<std::string>& edited, std::string_view lineEnd) {
  std::vector<std::string_view> old;
  old.reserve(lines.size());
  for (const TextLine& l : lines) old.push_back(original.substr(l.begin, l.end - l.begin));
  const auto pairs = matchLines(old, edited);

  std::string out;
  out.reserve(original.size() + 64);
  std::size_t nextOld = 0;  // the first original line not yet used
  std::size_t p = 0;
  for (std::size_t j = 0; j < edited.size(); ++j) {
    // The original line this one stands for: its match, or the one in its
    // place among the changed lines before the next match.
    std::size_t from = lines.size();
    if (p < pairs.size() && pairs[p].second == j) {
      from = pairs[p].first;
      ++p;
    } else if (nextOld < lines.size() && (p == pairs.size() || nextOld < pairs[p].first)) {
      from = nextOld;
    }
    const bool matched = from < lines.size() && old[from] == edited[j];
    if (from < lines.size()) nextOld = from + 1;
    if (matched)
      out += old[from];
    else
      out += edited[j];
    if (j + 1 == edited.size()) break;
    const bool hasEnd = from < lines.size() && lines[from].next > lines[from].end;
    out += hasEnd ? original.substr(lines[from].end, lines[from].next - lines[from].end) : lineEnd;
  }
  return out;
}

}  // namespace parvela
