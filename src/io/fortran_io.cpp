// Text units: formatted and free-format output statements.
#include "io/fortran_io.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/large_pages.h"
#include "core/progress.h"
#include "io/fortran_format.h"

namespace parvela {

std::string fillWidths(std::string_view format, std::initializer_list<std::int32_t> values) {
  std::string out;
  out.reserve(format.size() + 8);
  auto it = values.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '<' && i + 1 < format.size() && format[i + 1] == '>' && it != values.end()) {
      out += std::to_string(*it++);
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

namespace {

using fortran::Node;
using fortran::Op;

// Carries out one formatted write on the text of a unit. Records are
// written straight into the unit's buffer; the current record is the text
// from lineStart on, and pos is the column (from 0) where the next
// characters go. Position editing may move pos backwards (the characters
// are then overwritten) or past the end of the record (the gap becomes
// blanks once something is written after it).
class FormattedWrite {
 public:
  FormattedWrite(std::string& buf, std::size_t lineStart, std::span<const FItem> items)
      : buf_(buf), lineStart_(lineStart), items_(items) {
    pos_ = buf_.size() - lineStart_;
    leftTab_ = pos_;
  }

  // Runs the whole format; returns true when the last record stays open.
  bool run(const fortran::Format& f) {
    bool go = runList(f.items, 0);
    // Items left at the end of the format: a new record, then the format
    // again from its last top-level group (or from the start). A pass that
    // takes no item would never end.
    while (go && next_ < items_.size() && dataThisPass_) {
      endRecord();
      dataThisPass_ = false;
      go = runList(f.items, f.reversion);
    }
    if (!noAdvance_) endRecord();
    return noAdvance_;
  }

  std::size_t lineStart() const { return lineStart_; }

 private:
  void put(std::string_view s) {
    const std::size_t at = lineStart_ + pos_;
    if (at == buf_.size()) {  // the usual case: at the end of the record
      buf_.append(s);
      pos_ += s.size();
      return;
    }
    if (at > buf_.size()) buf_.append(at - buf_.size(), ' ');
    const std::size_t overlap = std::min(s.size(), buf_.size() - at);
    buf_.replace(at, overlap, s.substr(0, overlap));
    buf_.append(s.substr(overlap));
    pos_ += s.size();
  }

  void endRecord() {
    buf_.push_back('\n');
    lineStart_ = buf_.size();
    pos_ = 0;
    leftTab_ = 0;
  }

  // false: the write ended inside the list (no item for a data descriptor,
  // or a colon with no item left).
  bool runList(const std::vector<Node>& list, std::size_t from) {
    for (std::size_t i = from; i < list.size(); ++i) {
      if (!runNode(list[i])) return false;
    }
    return true;
  }

  bool runNode(const Node& nd) {
    switch (nd.op) {
      case Op::Literal:
        put(nd.text);
        return true;
      case Op::Scale:
        scale_ = nd.n;
        return true;
      case Op::Tab:
        pos_ = leftTab_ + static_cast<std::size_t>(nd.n - 1);
        return true;
      case Op::TabLeft:
        pos_ = pos_ - leftTab_ > static_cast<std::size_t>(nd.n) ? pos_ - static_cast<std::size_t>(nd.n) : leftTab_;
        return true;
      case Op::TabRight:
        pos_ += static_cast<std::size_t>(nd.n);
        return true;
      case Op::Slash:
        for (int r = 0; r < nd.repeat; ++r) endRecord();
        return true;
      case Op::Colon:
        return next_ < items_.size();
      case Op::NoAdvance:
        noAdvance_ = true;
        return true;
      case Op::Group:
        for (int r = 0; r < nd.repeat; ++r) {
          if (!runList(nd.children, 0)) return false;
        }
        return true;
      default:
        for (int r = 0; r < nd.repeat; ++r) {
          if (next_ >= items_.size()) return false;
          edit(nd, items_[next_++]);
          dataThisPass_ = true;
        }
        return true;
    }
  }

  void edit(const Node& nd, const FItem& item) {
    const int w = nd.w;
    // The free format's field of a float, the reports' most common one.
    if (nd.op == Op::G && w == 15 && nd.d == 7 && nd.e < 0) {
      char f[16];
      if (const auto* v = std::get_if<float>(&item); v && fortran::listFloatFixed(*v, f)) {
        put(std::string_view(f, 15));
        return;
      }
    }
    field_.clear();
    if (const auto* text = std::get_if<std::string_view>(&item)) {
      if (nd.op == Op::A || nd.op == Op::G) {
        fortran::editA(field_, *text, w);
      } else {
        mismatch(w);
      }
    } else if (const auto* i = std::get_if<std::int32_t>(&item)) {
      if (nd.op == Op::I) {
        fortran::editI(field_, *i, w, nd.m);
      } else if (nd.op == Op::G) {
        fortran::editI(field_, *i, w, -1);
      } else {
        mismatch(w);
      }
    } else {
      const double v = std::holds_alternative<float>(item) ? static_cast<double>(std::get<float>(item))
                                                           : std::get<double>(item);
      switch (nd.op) {
        case Op::E:
          fortran::editE(field_, v, w, nd.d, nd.e, scale_);
          break;
        case Op::F:
          fortran::editF(field_, v, w, nd.d, scale_);
          break;
        case Op::G:
          fortran::editG(field_, v, w, nd.d, nd.e, scale_);
          break;
        default:
          mismatch(w);
      }
    }
    put(field_);
  }

  // An item the descriptor cannot edit: the field is filled with asterisks.
  void mismatch(int w) { field_.append(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

  std::string& buf_;
  std::size_t lineStart_;
  std::size_t pos_ = 0;
  std::size_t leftTab_ = 0;  // T columns count from here
  std::span<const FItem> items_;
  std::size_t next_ = 0;
  int scale_ = 0;
  bool noAdvance_ = false;
  bool dataThisPass_ = false;
  std::string field_;
};

constexpr std::size_t kListLineLength = 80;

}  // namespace

void TextUnit::write(std::string_view format, std::initializer_list<FItem> items) {
  write(format, std::span<const FItem>(items.begin(), items.size()));
}

void TextUnit::reserveFor(std::size_t extra) {
  const std::size_t need = buffer_.size() + extra;
  if (need <= buffer_.capacity()) return;
  const std::size_t cap = std::max(need, buffer_.capacity() * 2);
  constexpr std::size_t kLarge = std::size_t{8} << 20;
  if (cap < kLarge) {
    buffer_.reserve(cap);
    return;
  }
  std::string grown;
  grown.reserve(cap);
  preferLargePages(grown.data(), grown.capacity());
  grown.append(buffer_);
  buffer_.swap(grown);
}

void TextUnit::write(std::string_view format, std::span<const FItem> items) {
  const fortran::Format& f = fortran::cachedFormat(format);
  // A hint only: a write that needs more still gets it.
  reserveFor(format.size() + 32 * items.size() + 64);
  const std::size_t before = buffer_.size();
  if (!lineOpen_) lineStart_ = buffer_.size();
  FormattedWrite w(buffer_, lineStart_, items);
  lineOpen_ = w.run(f);
  lineStart_ = lineOpen_ ? w.lineStart() : buffer_.size();
  if ((before >> 20) != (buffer_.size() >> 20)) pollCancel();  // a long report: a stop point per MiB
}

void TextUnit::print(std::initializer_list<FItem> items) {
  print(std::span<const FItem>(items.begin(), items.size()));
}

void TextUnit::print(std::span<const FItem> items) {
  if (fastPaths() && !items.empty() &&
      std::all_of(items.begin(), items.end(), [](const FItem& i) { return std::holds_alternative<float>(i); })) {
    return printFloats(items.size(), [&](std::size_t i) { return std::get<float>(items[i]); });
  }
  reserveFor(26 * items.size() + 64);
  if (!lineOpen_) {
    lineStart_ = buffer_.size();
    if (!items.empty()) buffer_.push_back(' ');
  }
  // An item moves to a new line when it would pass the line length, unless
  // it is the first item of its line.
  std::size_t fresh = buffer_.size() - lineStart_;
  std::string field;
  for (const FItem& item : items) {
    field.clear();
    if (const auto* text = std::get_if<std::string_view>(&item)) {
      field = *text;
    } else if (const auto* i = std::get_if<std::int32_t>(&item)) {
      fortran::listInteger(field, *i);
    } else if (const auto* f = std::get_if<float>(&item)) {
      fortran::listFloat(field, *f);
    } else {
      fortran::listDouble(field, std::get<double>(item));
    }
    const std::size_t len = buffer_.size() - lineStart_;
    if (len > fresh && len + field.size() > kListLineLength) {
      buffer_.push_back('\n');
      lineStart_ = buffer_.size();
      buffer_.push_back(' ');
      fresh = 1;
    }
    buffer_ += field;
  }
  buffer_.push_back('\n');
  if ((lineStart_ >> 20) != (buffer_.size() >> 20)) pollCancel();
  lineStart_ = buffer_.size();
  lineOpen_ = false;
}

void TextUnit::print(std::span<const float> items) {
  if (fastPaths() && !items.empty()) return printFloats(items.size(), [&](std::size_t i) { return items[i]; });
  const std::vector<FItem> all(items.begin(), items.end());
  print(std::span<const FItem>(all));
}

template <class Item>
void TextUnit::printFloats(std::size_t count, Item item) {
  // The line layout of print() for fields of 15 characters, written into
  // room made beforehand: each field may take a line end and a blank.
  constexpr std::size_t kField = 15;
  const std::size_t start = buffer_.size();
  reserveFor(count * (kField + 3) + 2);
  buffer_.resize(start + count * (kField + 3) + 2);
  char* const base = buffer_.data();
  char* p = base + start;
  std::size_t line = lineOpen_ ? lineStart_ : start;
  if (!lineOpen_) *p++ = ' ';
  std::size_t fresh = static_cast<std::size_t>(p - base) - line;
  std::string field;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t len = static_cast<std::size_t>(p - base) - line;
    if (len > fresh && len + kField > kListLineLength) {
      *p++ = '\n';
      line = static_cast<std::size_t>(p - base);
      *p++ = ' ';
      fresh = 1;
    }
    const float v = item(i);
    if (!fortran::listFloatFixed(v, p)) {
      field.clear();
      fortran::listFloat(field, v);  // always kField characters
      std::memcpy(p, field.data(), kField);
    }
    p += kField;
  }
  *p++ = '\n';
  buffer_.resize(static_cast<std::size_t>(p - base));
  if ((line >> 20) != (buffer_.size() >> 20)) pollCancel();
  lineStart_ = buffer_.size();
  lineOpen_ = false;
}

std::string TextUnit::take() {
  std::string s;
  s.swap(buffer_);
  lineOpen_ = false;
  lineStart_ = 0;
  return s;
}

void TextUnit::clear() { take(); }

namespace {
constinit thread_local TextUnit* tlsReport = nullptr;
constinit thread_local TextUnit* tlsStdOut = nullptr;
}  // namespace

TextUnit& ReportFile() {
  static TextUnit unit;
  return tlsReport ? *tlsReport : unit;
}

TextUnit& StdOut() {
  static TextUnit unit;
  return tlsStdOut ? *tlsStdOut : unit;
}

OutputScope::OutputScope(TextUnit& report, TextUnit& standardOutput)
    : previousReport_(tlsReport), previousStdOut_(tlsStdOut) {
  tlsReport = &report;
  tlsStdOut = &standardOutput;
}

OutputScope::~OutputScope() {
  tlsReport = previousReport_;
  tlsStdOut = previousStdOut_;
}

std::string formatRecord(std::string_view format, std::initializer_list<FItem> items) {
  TextUnit unit;
  unit.write(format, items);
  std::string s = unit.take();
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

}  // namespace parvela
