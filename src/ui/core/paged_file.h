// Read access to a large text file without holding it whole: an index of
// line starts built by one pass over the file, and the lines read on demand
// through a small cache of blocks. Used by the report view, which shows
// reports of tens of megabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parvela {

class PagedFile {
 public:
  static constexpr std::size_t kBlockSize = 1 << 16;
  static constexpr std::size_t kCachedBlocks = 32;

  // Indexes the file; false (and an empty file) when it cannot be read.
  bool open(const std::string& path);
  void close();
  // Indexes the file again when its size or time changed; true when it did.
  bool refresh();

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  // Lines: every '\n' ends one; a last line without a line end counts too.
  std::size_t lineCount() const { return starts_.size(); }
  std::uint64_t lineStart(std::size_t line) const { return starts_[line]; }
  // The line that holds byte `offset` (the last one for offsets past the end).
  std::size_t lineAt(std::uint64_t offset) const;

  // A line without its line end ("\n" or "\r\n"), trailing blanks kept.
  std::string line(std::size_t index);
  // The longest line's length in bytes (without its line end).
  std::size_t longestLine() const { return longest_; }
  // Raw bytes [begin, end).
  std::string bytes(std::uint64_t begin, std::uint64_t end);

  struct Match {
    std::uint64_t offset = 0;
    std::size_t line = 0;
    std::size_t column = 0;  // byte column in the line
  };
  // The first occurrence of `needle` starting at or after `from` (forward) or
  // starting before `from` (backward). ASCII letters compare without case
  // when `matchCase` is false. Line ends are part of the text searched.
  std::optional<Match> find(std::string_view needle, std::uint64_t from, bool forward, bool matchCase);

 private:
  bool index();
  const std::string* block(std::uint64_t number);

  std::string path_;
  std::uint64_t size_ = 0;
  std::int64_t stamp_ = 0;
  std::vector<std::uint64_t> starts_;
  std::size_t longest_ = 0;
  std::ifstream in_;
  struct Cached {
    std::uint64_t number;
    std::string data;
  };
  std::list<Cached> cache_;  // most recently used first
};

}  // namespace parvela
