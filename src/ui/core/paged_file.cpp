#include "ui/core/paged_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace parvela {

namespace {

std::int64_t fileStamp(const std::string& path) {
  std::error_code ec;
  const auto t = std::filesystem::last_write_time(path, ec);
  return ec ? 0 : static_cast<std::int64_t>(t.time_since_epoch().count());
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool PagedFile::open(const std::string& path) {
  close();
  path_ = path;
  return index();
}

void PagedFile::close() {
  if (in_.is_open()) in_.close();
  in_.clear();
  path_.clear();
  size_ = 0;
  stamp_ = 0;
  starts_.clear();
  starts_.shrink_to_fit();
  longest_ = 0;
  cache_.clear();
}

bool PagedFile::refresh() {
  if (path_.empty()) return false;
  std::error_code ec;
  const auto sz = std::filesystem::file_size(path_, ec);
  if (!ec && sz == size_ && fileStamp(path_) == stamp_) return false;
  index();
  return true;
}

bool PagedFile::index() {
  if (in_.is_open()) in_.close();
  in_.clear();
  cache_.clear();
  starts_.clear();
  size_ = 0;
  longest_ = 0;
  stamp_ = fileStamp(path_);
  in_.open(path_, std::ios::binary);
  if (!in_) return false;

  std::vector<char> buf(1 << 20);
  std::uint64_t pos = 0;
  std::uint64_t lineBegin = 0;
  starts_.reserve(4096);
  while (in_) {
    in_.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const std::size_t got = static_cast<std::size_t>(in_.gcount());
    if (got == 0) break;
    const char* p = buf.data();
    const char* end = p + got;
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (!nl) break;
      const std::uint64_t at = pos + static_cast<std::uint64_t>(nl - buf.data());
      starts_.push_back(lineBegin);
      longest_ = std::max<std::size_t>(longest_, static_cast<std::size_t>(at - lineBegin));
      lineBegin = at + 1;
      p = nl + 1;
    }
    pos += got;
  }
  size_ = pos;
  if (lineBegin < size_ || size_ == 0) {
    starts_.push_back(lineBegin);
    longest_ = std::max<std::size_t>(longest_, static_cast<std::size_t>(size_ - lineBegin));
  }
  in_.clear();
  return true;
}

const std::string* PagedFile::block(std::uint64_t number) {
  for (auto it = cache_.begin(); it != cache_.end(); ++it) {
    if (it->number == number) {
      cache_.splice(cache_.begin(), cache_, it);
      return &cache_.front().data;
    }
  }
  if (!in_.is_open()) return nullptr;
  std::string data(kBlockSize, '\0');
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(number * kBlockSize));
  in_.read(data.data(), static_cast<std::streamsize>(kBlockSize));
  data.resize(static_cast<std::size_t>(in_.gcount()));
  in_.clear();
  if (cache_.size() >= kCachedBlocks) cache_.pop_back();
  cache_.push_front({number, std::move(data)});
  return &cache_.front().data;
}

std::string PagedFile::bytes(std::uint64_t begin, std::uint64_t end) {
  end = std::min(end, size_);
  std::string out;
  if (begin >= end) return out;
  out.reserve(static_cast<std::size_t>(end - begin));
  while (begin < end) {
    const std::string* b = block(begin / kBlockSize);
    if (!b) break;
    const std::size_t off = static_cast<std::size_t>(begin % kBlockSize);
    if (off >= b->size()) break;  // the file shrank since it was indexed
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(b->size() - off, end - begin));
    out.append(*b, off, take);
    begin += take;
  }
  return out;
}

std::size_t PagedFile::lineAt(std::uint64_t offset) const {
  if (starts_.empty()) return 0;
  auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return static_cast<std::size_t>(it - starts_.begin()) - 1;
}

std::string PagedFile::line(std::size_t index) {
  if (index >= starts_.size()) return {};
  const std::uint64_t begin = starts_[index];
  const std::uint64_t end = index + 1 < starts_.size() ? starts_[index + 1] : size_;
  std::string s = bytes(begin, end);
  if (!s.empty() && s.back() == '\n') s.pop_back();
  if (!s.empty() && s.back() == '\r') s.pop_back();
  return s;
}

std::optional<PagedFile::Match> PagedFile::find(std::string_view needle, std::uint64_t from, bool forward,
                                                bool matchCase) {
  if (needle.empty() || needle.size() > size_) return std::nullopt;
  std::string pat(needle);
  if (!matchCase) std::transform(pat.begin(), pat.end(), pat.begin(), lower);
  const std::uint64_t m = pat.size();
  const std::uint64_t window = std::max<std::uint64_t>(1 << 20, 4 * m);

  auto hit = [&](std::uint64_t at) {
    const std::size_t line = lineAt(at);
    return Match{at, line, static_cast<std::size_t>(at - starts_[line])};
  };
  auto prepare = [&](std::string s) {
    if (!matchCase) std::transform(s.begin(), s.end(), s.begin(), lower);
    return s;
  };

  if (forward) {
    // Windows overlap by m - 1 bytes, so a match across a seam is found.
    for (std::uint64_t begin = from; begin + m <= size_;) {
      const std::uint64_t end = std::min(size_, begin + window);
      const std::string text = prepare(bytes(begin, end));
      const std::size_t at = text.find(pat);
      if (at != std::string::npos) return hit(begin + at);
      if (end == size_) break;
      begin = end - (m - 1);
    }
  } else {
    std::uint64_t end = std::min<std::uint64_t>(size_, from + m - 1);
    while (end >= m) {
      const std::uint64_t begin = end > window ? end - window : 0;
      const std::string text = prepare(bytes(begin, end));
      std::size_t at = text.rfind(pat);
      // Only matches that start before `from`.
      while (at != std::string::npos && begin + at >= from) at = at == 0 ? std::string::npos : text.rfind(pat, at - 1);
      if (at != std::string::npos) return hit(begin + at);
      if (begin == 0) break;
      end = begin + (m - 1);
    }
  }
  return std::nullopt;
}

}  // namespace parvela
