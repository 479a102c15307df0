#include "io/read_diagnosis.h"

#include <algorithm>
#include <cstring>

namespace parvela {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string num(std::int64_t v) { return std::to_string(v); }

// "1 valoare", "3 valori", "20 de valori".
std::string values(std::size_t v) {
  if (v == 1) return "1 valoare";
  const std::size_t lastTwo = v % 100;
  return num(static_cast<std::int64_t>(v)) + (v < 20 || (lastTwo >= 1 && lastTwo <= 19) ? " valori" : " de valori");
}

// A decimal comma: a digit, a comma, a digit.
bool hasDecimalComma(std::string_view line) {
  for (std::size_t i = 1; i + 1 < line.size(); ++i)
    if (line[i] == ',' && isDigit(line[i - 1]) && isDigit(line[i + 1])) return true;
  return false;
}

constexpr const char* kCommaHint = " - virgula separa valori, zecimalele se scriu cu punct";

std::string shown(std::string_view token) {
  constexpr std::size_t kMax = 24;
  if (token.size() <= kMax) return std::string(token);
  return std::string(token.substr(0, kMax - 3)) + "...";
}

bool plural(const ReadItem& item) {
  return item.kind == ReadItem::Kind::Sizes || item.kind == ReadItem::Kind::Constants;
}

// "randul 3 al matricii cere 3", "n si nb cer 2".
std::string needs(const ReadItem& item) {
  return item.name() + (plural(item) ? " cer " : " cere ") + num(static_cast<std::int64_t>(item.count));
}

}  // namespace

ReadReport& lastReadReport() {
  static ReadReport report;
  return report;
}

std::string ReadItem::name() const {
  switch (kind) {
    case Kind::Title: return "titlul";
    case Kind::Sizes: return "n si nb";
    case Kind::ConstantCount: return "nc";
    case Kind::Constants: return "constantele generatorului";
    case Kind::MatrixRow: return "randul " + num(index) + " al matricii";
    case Kind::Rhs: return "termenul liber " + num(index);
  }
  return "";
}

std::string badValueText(std::string_view token, bool integer, std::string_view where) {
  std::string text = "'" + shown(token) + "' nu este un numar " + (integer ? "intreg" : "real");
  if (!where.empty()) text += " (" + std::string(where) + ")";
  if (token.find('*') != std::string_view::npos) text += "; r*v scrie de r ori valoarea v, r intreg pozitiv";
  return text;
}

std::size_t countValues(std::string_view line) {
  std::size_t count = 0;
  bool afterValue = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (isBlank(c)) {
      ++i;
      continue;
    }
    if (c == '/') break;
    if (c == ',') {
      // As the reader takes it: a comma after a comma (or at the start)
      // stands for an empty value.
      if (!afterValue) ++count;
      afterValue = false;
      ++i;
      continue;
    }
    const std::size_t b = i;
    while (i < line.size() && !isBlank(line[i]) && line[i] != ',' && line[i] != '/') ++i;
    const std::string_view tok = line.substr(b, i - b);
    std::size_t repeat = 1;
    if (const std::size_t star = tok.find('*'); star != std::string_view::npos && star > 0) {
      std::size_t r = 0;
      bool digits = true;
      for (char d : tok.substr(0, star)) {
        if (!isDigit(d)) digits = false;
        else if (r < 1000000000) r = r * 10 + static_cast<std::size_t>(d - '0');
      }
      if (digits && r > 0) repeat = r;
    }
    count += repeat;
    afterValue = true;
  }
  return count;
}

TextPlace placeOf(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  TextPlace p;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i)
    if (text[i] == '\n') {
      ++p.line;
      lineStart = i + 1;
    }
  if (lineStart == 0 && text.starts_with(kBom)) lineStart = std::min(kBom.size(), offset);
  for (std::size_t i = lineStart; i < offset; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++p.column;
  return p;
}

std::size_t ReadDiagnosis::lineAt(std::size_t offset) const {
  offset = std::min(offset, text_.size());
  if (offset < cursor_) {
    cursor_ = 0;
    cursorLine_ = 1;
  }
  cursorLine_ += static_cast<std::size_t>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(cursor_),
                                                     text_.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
  cursor_ = offset;
  return cursorLine_;
}

std::string_view ReadDiagnosis::lineFrom(std::size_t start) const {
  start = std::min(start, text_.size());
  std::size_t end = text_.find('\n', start);
  if (end == std::string_view::npos) end = text_.size();
  std::string_view line = text_.substr(start, end - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

void ReadDiagnosis::afterRead(const ReadItem& item, const ListReader& in, ListReader::Status st) {
  const ReadShape& shape = in.lastShape();
  using Kind = ReadItem::Kind;
  if (st == ListReader::Status::Error) {
    if (stop_) return;  // the first one counts
    const TextPlace at = placeOf(text_, shape.badBegin);
    const bool integer = item.kind == Kind::Sizes || item.kind == Kind::ConstantCount;
    std::string where = item.name();
    if (item.kind != Kind::Sizes && item.count > 1)
      where += ", valoarea " + num(static_cast<std::int64_t>(shape.items + 1)) + " din " +
               num(static_cast<std::int64_t>(item.count));
    stop_ = ReadStop{at.line, at.column,
                     "linia " + num(static_cast<std::int64_t>(at.line)) + ", coloana " +
                         num(static_cast<std::int64_t>(at.column)) + ": " +
                         badValueText(text_.substr(shape.badBegin, shape.badEnd - shape.badBegin), integer, where)};
    return;
  }
  if (st == ListReader::Status::End) {
    switch (item.kind) {
      case Kind::Title:
        stop_ = ReadStop{0, 0, "fisierul de date este gol"};
        return;
      case Kind::Sizes:
      case Kind::ConstantCount: {
        const std::size_t line = lastLineNumber();
        stop_ = ReadStop{line, 0, "linia " + num(static_cast<std::int64_t>(line)) +
                                      ": fisierul se termina inainte de " + item.name()};
        return;
      }
      default:
        endedIn(item, shape);
        return;
    }
  }
  afterRead(item, shape);
}

void ReadDiagnosis::afterRead(const ReadItem& item, const ReadShape& shape) {
  if (item.kind == ReadItem::Kind::MatrixRow && item.upperTriangle && item.index >= 2) ++upperRows_;
  if (shape.leftover && !shape.slash) leftover(item, shape);
}

void ReadDiagnosis::afterSizes(const ListReader& in, std::int32_t n, std::int32_t nb) {
  const ReadShape& shape = in.lastShape();
  if (!shape.leftover || shape.slash) return;
  ReadItem item{ReadItem::Kind::Sizes, 0, 0, 2, false};
  // n alone on its line: nb came from the next line, which held more.
  std::size_t first = shape.begin;
  while (first < shape.lastLine && lineFrom(first).find_first_not_of(" \t,") == std::string_view::npos)
    first = text_.find('\n', first) + 1;
  if (shape.lineEnds == 0 || first == shape.lastLine || countValues(lineFrom(first)) != 1) {
    leftover(item, shape);
    return;
  }
  const std::size_t l1 = lineAt(first), l2 = lineAt(shape.lastLine);
  note(notes_, noteCount_,
       {first,
        "linia " + num(static_cast<std::int64_t>(l1)) + " are doar n = " + num(n) + "; nb = " + num(nb) +
            " a fost luat de pe linia " + num(static_cast<std::int64_t>(l2)) + ", care are " +
            values(countValues(lineFrom(shape.lastLine))) + ", iar restul ei a fost ignorat: lipseste nb de pe linia " +
            num(static_cast<std::int64_t>(l1)) + "?",
        item, shape});
}

void ReadDiagnosis::note(std::vector<Note>& list, std::size_t& count, Note n) {
  if (count++ < kMaxWarnings) list.push_back(std::move(n));
}

void ReadDiagnosis::leftover(const ReadItem& item, const ReadShape& shape) {
  // A row of the upper triangle whose line holds a whole row of A. The
  // values are counted on the first rows only; later rows with values
  // left count as those did (counting them all would tokenize half a large
  // file once more).
  bool full = false;
  if (shape.lineEnds == 0 && item.kind == ReadItem::Kind::MatrixRow && item.upperTriangle && item.index >= 2) {
    if (counted_ < kCountedRows) {
      ++counted_;
      full = countValues(lineFrom(shape.lastLine)) == static_cast<std::size_t>(item.of);
      allCountedFull_ = allCountedFull_ && full;
    } else {
      full = allCountedFull_;
    }
  }
  if (full) {
    if (fullRows_ == 0) {
      firstFullRow_ = lineAt(shape.lastLine);
      rowLength_ = static_cast<std::size_t>(item.of);
    }
    note(fullRowNotes_, fullRows_, {shape.begin, {}, item, shape});
    return;
  }
  note(notes_, noteCount_, {shape.begin, {}, item, shape});
}

std::string ReadDiagnosis::leftoverText(const ReadItem& item, const ReadShape& shape) const {
  const std::size_t firstNo = lineAt(shape.begin);
  const std::size_t lastNo = lineAt(shape.lastLine);
  const std::string_view last = lineFrom(shape.lastLine);
  if (shape.lineEnds == 0)
    return "linia " + num(static_cast<std::int64_t>(lastNo)) + ": " + values(countValues(last)) + ", " + needs(item) +
           "; restul liniei a fost ignorat" + (hasDecimalComma(last) ? kCommaHint : "");
  const std::string_view first = lineFrom(shape.begin);
  return "linia " + num(static_cast<std::int64_t>(firstNo)) + ": " + item.name() +
         (plural(item) ? " au doar " : " are doar ") + values(countValues(first)) + " pe linie si " +
         (plural(item) ? "cer " : "cere ") + num(static_cast<std::int64_t>(item.count)) +
         "; citirea a continuat pe linia " + num(static_cast<std::int64_t>(lastNo)) + ", iar restul liniei " +
         num(static_cast<std::int64_t>(lastNo)) + " a fost ignorat" +
         (hasDecimalComma(first) || hasDecimalComma(last) ? kCommaHint : "");
}

std::size_t ReadDiagnosis::lastLineNumber() const {
  const std::size_t line = lineAt(text_.size());
  return text_.ends_with('\n') && line > 1 ? line - 1 : line;
}

void ReadDiagnosis::endedIn(const ReadItem& item, const ReadShape& shape) {
  using Kind = ReadItem::Kind;
  const std::size_t line = lastLineNumber();
  const std::string at = "linia " + num(static_cast<std::int64_t>(line)) + ": fisierul se termina ";
  const bool before = shape.items == 0;
  std::string text;
  switch (item.kind) {
    case Kind::MatrixRow:
      // The row the file ends in stays zero, even the values read on it.
      text = at + (before ? "inainte de " : "in ") + item.name() +
             (item.index == item.of ? ", care ramane zero"
                                    : ": randurile " + num(item.index) + ".." + num(item.of) + " sunt zero");
      break;
    case Kind::Rhs:
      if (before)
        text = at + "inainte de " + item.name() +
               (item.index == item.of ? ", care ramane zero"
                                      : ": termenii liberi " + num(item.index) + ".." + num(item.of) + " sunt zero");
      else
        text = at + "in " + item.name() + ": valorile lui lipsa sunt zero" +
               (item.index < item.of ? ", iar termenii liberi " + num(item.index + 1) + ".." + num(item.of) + " sunt zero"
                                     : "");
      break;
    case Kind::Constants:
      text = at + "in " + item.name() + ": constantele lipsa sunt zero";
      break;
    default:
      return;
  }
  note(notes_, noteCount_, {text_.size(), text, item, shape});
}

void ReadDiagnosis::stopAt(std::size_t offset, const std::string& why) {
  // The first value at or after the offset (a read may start on blank lines).
  std::size_t at = std::min(offset, text_.size());
  while (at < text_.size() && (isBlank(text_[at]) || text_[at] == '\n' || text_[at] == ',')) ++at;
  if (at == text_.size()) at = std::min(offset, text_.size());
  const TextPlace p = placeOf(text_, at);
  stop_ = ReadStop{p.line, p.column, "linia " + num(static_cast<std::int64_t>(p.line)) + ": " + why};
}

void ReadDiagnosis::stop(const std::string& why) { stop_ = ReadStop{0, 0, why}; }

std::vector<std::string> ReadDiagnosis::warnings() const {
  std::vector<std::string> out;
  std::vector<const Note*> shown;
  for (const Note& n : notes_) shown.push_back(&n);
  std::size_t total = noteCount_;
  if (fullRows_ > 0 && static_cast<std::int64_t>(fullRows_) == upperRows_) {
    // One warning for the whole matrix instead of one per row.
    out.push_back("linia " + num(static_cast<std::int64_t>(firstFullRow_)) +
                  ": la \"Simetrica\" randurile au cate n = " + num(static_cast<std::int64_t>(rowLength_)) +
                  " valori: s-a citit triunghiul superior dintr-o matrice completa, deci alta matrice; "
                  "fisierul are nevoie de forma cu triunghiul superior (randul i are n - i + 1 valori)");
    ++total;
  } else {
    for (const Note& n : fullRowNotes_) shown.push_back(&n);
    std::stable_sort(shown.begin(), shown.end(), [](const Note* a, const Note* b) { return a->at < b->at; });
    total += fullRows_;
  }
  for (const Note* n : shown) {
    if (out.size() == kMaxWarnings) break;
    out.push_back(n->text.empty() ? leftoverText(n->item, n->shape) : n->text);
  }
  if (total > out.size()) out.push_back("... si inca " + num(static_cast<std::int64_t>(total - out.size())) + " observatii");
  return out;
}

}  // namespace parvela
