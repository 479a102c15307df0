#include "io/data_layout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <span>

#include "io/data_file.h"
#include "io/file_write.h"
#include "io/fortran_io.h"

namespace parvela {

DataLayout DataLayout::of(const ProblemState& s) {
  DataLayout l;
  if (s.inputSource == InputSource::Generated)
    l.matrix = Matrix::Generated;
  else if (s.matrixKind == MatrixKind::Symmetric)
    l.matrix = Matrix::UpperTriangle;
  l.rhs = s.problemKind == ProblemKind::System;
  return l;
}

namespace {

using Status = ListReader::Status;
using Kind = ReadItem::Kind;

// The reads of one data part over a copy of its text. A bad value is noted
// in its cell as written, then blanked out in the copy (a 0 and blanks, so
// no offset moves) and its read made again, so that the values after it
// are read as the reader would read them had the value been right.
class Loader {
 public:
  explicit Loader(std::string_view text) : original_(text), work_(text), in_(work_), diag_(text) {}

  ListReader& in() { return in_; }
  ReadDiagnosis& diag() { return diag_; }

  // One read of out.size() reals; their texts go to out.
  Status read(const ReadItem& item, std::span<std::string> out) {
    std::vector<float> values(out.size());
    std::vector<std::string_view> texts(out.size());
    std::vector<std::string> bad(out.size());
    const std::size_t start = in_.position();
    Status st = Status::Ok;
    for (std::size_t attempt = 0; attempt <= out.size(); ++attempt) {
      st = in_.readReals(values, texts);
      diag_.afterRead(item, in_, st);
      if (st != Status::Error) break;
      const ReadShape& shape = in_.lastShape();
      if (shape.items < bad.size())
        bad[shape.items] = std::string(original_.substr(shape.badBegin, shape.badEnd - shape.badBegin));
      work_[shape.badBegin] = '0';
      std::fill(work_.begin() + static_cast<std::ptrdiff_t>(shape.badBegin) + 1,
                work_.begin() + static_cast<std::ptrdiff_t>(shape.badEnd), ' ');
      in_.skipTo(start);
    }
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = bad[k].empty() ? std::string(texts[k]) : bad[k];
    return st;
  }

 private:
  std::string_view original_;
  std::string work_;
  ListReader in_;
  ReadDiagnosis diag_;
};

void finishWith(LoadedData& d, Loader& l) {
  d.stop = l.diag().stopped();
  d.warnings = l.diag().warnings();
}

}  // namespace

LoadedData loadDataTexts(std::string_view text, DataLayout layout, std::size_t maxValues, std::int32_t previousN,
                         std::int32_t previousNb, std::int32_t previousNc) {
  LoadedData d;
  Loader l(text);
  ListReader& in = l.in();
  const auto noSizes = [&] {
    d.data = DataTexts{};
    d.noSizes = true;
    d.dataEnd = 0;
    finishWith(d, l);
    return d;
  };

  if (in.readLine(d.data.title, text.size()) != Status::Ok) {
    l.diag().afterRead(ReadItem{Kind::Title}, in, Status::End);
    return noSizes();
  }
  std::int32_t sizes[2] = {previousN, previousNb};
  if (const Status st = in.readIntegers(sizes); st != Status::Ok) {
    l.diag().afterRead(ReadItem{Kind::Sizes, 0, 0, 2}, in, st);
    return noSizes();
  }
  l.diag().afterSizes(in, sizes[0], sizes[1]);
  const std::int32_t n = sizes[0], nb = sizes[1];
  if (n < 1) {
    l.diag().stopAt(in.lastShape().begin, "n = " + std::to_string(n) + "; n trebuie sa fie cel putin 1");
    return noSizes();
  }
  if (layout.rhs && nb < 1) {
    l.diag().stopAt(in.lastShape().begin,
                    "nb = " + std::to_string(nb) + "; pentru \"Sistem\" nb trebuie sa fie cel putin 1");
    return noSizes();
  }
  const std::int64_t rhsCount = layout.rhs ? nb : 0;
  DataTexts& t = d.data;
  t.n = n;
  t.nb = nb;
  if (std::int64_t{n} * n + std::int64_t{n} * rhsCount > static_cast<std::int64_t>(maxValues)) {
    d.tooLarge = true;
    finishWith(d, l);
    return d;
  }
  const std::size_t un = static_cast<std::size_t>(n);

  bool atEnd = false;
  if (layout.matrix == DataLayout::Matrix::Generated) {
    std::int32_t count[1] = {previousNc};
    const Status st = in.readIntegers(count);
    l.diag().afterRead(ReadItem{Kind::ConstantCount, 0, 0, 1}, in, st);
    if (st != Status::Ok) return noSizes();
    if (count[0] > 0 && static_cast<std::size_t>(count[0]) > maxValues) {
      d.tooLarge = true;
      t.nc = count[0];
      finishWith(d, l);
      return d;
    }
    t.nc = std::max(count[0], 0);
    t.c.assign(static_cast<std::size_t>(t.nc), std::string());
    if (t.nc > 0)
      atEnd = l.read(ReadItem{Kind::Constants, 0, 0, static_cast<std::size_t>(t.nc)}, t.c) == Status::End;
  } else {
    const bool upper = layout.matrix == DataLayout::Matrix::UpperTriangle;
    t.a.assign(un * un, std::string());
    for (std::size_t i = 0; i < un && !atEnd; ++i) {
      const std::span<std::string> row(t.a.data() + i * un + (upper ? i : 0), upper ? un - i : un);
      const ReadItem item{Kind::MatrixRow, static_cast<std::int64_t>(i + 1), n, row.size(), upper};
      if (l.read(item, row) == Status::End) {
        // The row the file ends in stays zero, even the values read on it.
        for (std::string& x : row) x.clear();
        atEnd = true;
      }
    }
  }
  if (layout.rhs) {
    t.b.assign(static_cast<std::size_t>(nb) * un, std::string());
    for (std::int32_t k = 0; k < nb && !atEnd; ++k) {
      const std::span<std::string> rhs(t.b.data() + static_cast<std::size_t>(k) * un, un);
      atEnd = l.read(ReadItem{Kind::Rhs, k + 1, nb, un}, rhs) == Status::End;
    }
  }
  d.dataEnd = in.position();
  finishWith(d, l);
  return d;
}

namespace {

const std::string& orZero(const std::string& s) {
  static const std::string zero = "0";
  return s.empty() ? zero : s;
}

// One line of values right-aligned in their columns, the columns before
// `from` left blank.
void appendRow(std::string& out, const std::vector<std::size_t>& width, std::size_t from,
               const std::function<const std::string&(std::size_t)>& at, std::string_view eol) {
  std::string line;
  for (std::size_t j = 0; j < width.size(); ++j) {
    const std::string& v = j < from ? std::string() : orZero(at(j));
    if (j > 0) line += ' ';
    line.append(width[j] > v.size() ? width[j] - v.size() : 0, ' ');
    line += v;
  }
  // No blanks at the end of a line.
  const std::size_t last = line.find_last_not_of(' ');
  line.erase(last == std::string::npos ? 0 : last + 1);
  out += line;
  out += eol;
}

}  // namespace

std::string formatDataTexts(const DataTexts& data, DataLayout layout, bool crlf) {
  const std::string_view eol = crlf ? "\r\n" : "\n";
  std::string out;
  std::string title = data.title;
  std::replace(title.begin(), title.end(), '\n', ' ');
  std::replace(title.begin(), title.end(), '\r', ' ');
  out += title;
  out += eol;
  out += std::to_string(data.n) + " " + std::to_string(data.nb);
  out += eol;
  const std::size_t n = data.n > 0 ? static_cast<std::size_t>(data.n) : 0;
  const std::size_t nb = layout.rhs && data.nb > 0 ? static_cast<std::size_t>(data.nb) : 0;
  const bool upper = layout.matrix == DataLayout::Matrix::UpperTriangle;
  const bool generated = layout.matrix == DataLayout::Matrix::Generated;

  // The matrix and the right-hand sides share their columns.
  std::vector<std::size_t> width(n, 1);
  if (!generated)
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = upper ? i : 0; j < n; ++j) width[j] = std::max(width[j], orZero(data.a[i * n + j]).size());
  for (std::size_t k = 0; k < nb; ++k)
    for (std::size_t i = 0; i < n; ++i) width[i] = std::max(width[i], orZero(data.b[k * n + i]).size());

  if (generated) {
    out += std::to_string(data.nc);
    out += eol;
    if (data.nc > 0) {
      for (std::size_t k = 0; k < data.c.size(); ++k) {
        if (k > 0) out += ' ';
        out += orZero(data.c[k]);
      }
      out += eol;
    }
  } else {
    for (std::size_t i = 0; i < n; ++i)
      appendRow(out, width, upper ? i : 0, [&](std::size_t j) -> const std::string& { return data.a[i * n + j]; },
                eol);
  }
  for (std::size_t k = 0; k < nb; ++k)
    appendRow(out, width, 0, [&](std::size_t i) -> const std::string& { return data.b[k * n + i]; }, eol);
  return out;
}

ReplaceResult replaceDataPart(const std::string& path, std::string_view oldData, std::string_view newData) {
  if (classifyPath(path) != PathKind::Regular) return oldData.empty() ? ReplaceResult::IoError : ReplaceResult::Changed;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReplaceResult::IoError;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return ReplaceResult::IoError;
  if (!std::string_view(bytes).starts_with(oldData)) return ReplaceResult::Changed;
  std::string whole(newData);
  whole.append(bytes, oldData.size(), std::string::npos);
  // Written only on the file as it was read here: under the writer's lock it
  // must still be those bytes (another window's report appended meanwhile,
  // say, would otherwise be lost).
  WriteRequest r;
  r.path = path;
  r.text = whole;
  r.check = [&bytes](int fd, const struct stat& st) {
    if (static_cast<std::uint64_t>(st.st_size) != bytes.size()) return WriteStatus::Changed;
    std::string now(bytes.size(), '\0');
    std::size_t got = 0;
    while (got < now.size()) {
      const ssize_t k = ::pread(fd, now.data() + got, now.size() - got, static_cast<off_t>(got));
      if (k <= 0) return k == 0 ? WriteStatus::Changed : WriteStatus::IoError;
      got += static_cast<std::size_t>(k);
    }
    return now == bytes ? WriteStatus::Ok : WriteStatus::Changed;
  };
  switch (guardedWrite(r).status) {
    case WriteStatus::Ok:
      return ReplaceResult::Ok;
    case WriteStatus::Changed:
      return ReplaceResult::Changed;
    default:
      return ReplaceResult::IoError;
  }
}

}  // namespace parvela
