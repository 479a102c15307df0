#include "ui/core/data_grid.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <iterator>
#include <span>

#include "io/fortran_io.h"
#include "io/generators.h"
#include "io/read_diagnosis.h"

namespace parvela {

namespace {

using Status = ListReader::Status;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// One read of `count` reals from `line`: the values, whether every item got
// one and nothing was left on the line.
struct LineRead {
  Status status = Status::Ok;
  std::vector<float> values;
  std::vector<std::string_view> texts;
  ReadShape shape;

  // Every item reached (an item a null repeat leaves alone reads as the
  // zero it holds) and nothing left on the line.
  bool whole() const { return status == Status::Ok && !shape.slash && !shape.leftover && shape.items == values.size(); }
};

LineRead readLine(std::string_view line, std::size_t count) {
  LineRead r;
  r.values.assign(count, 0.0f);
  r.texts.assign(count, {});
  ListReader in(line);
  r.status = in.readReals(r.values, r.texts);
  r.shape = in.lastShape();
  return r;
}

std::string quoted(std::string_view t) { return "'" + std::string(t) + "'"; }

}  // namespace

CellCheck checkCell(std::string_view text) {
  const std::string_view t = trimmed(text);
  if (t.empty()) return {};
  CellCheck bad{false, 0.0f, {}};
  if (t.find('\n') != std::string_view::npos) {
    bad.why = "o celula tine o singura valoare, pe un singur rand";
    return bad;
  }
  // The cell first on a line, between two values and last on a line: each
  // must read it as exactly one value and leave nothing over.
  const std::string cell(t);
  const LineRead first = readLine(cell + " 0", 2);
  if (first.status == Status::Error) {
    bad.why = badValueText(std::string_view(cell + " 0").substr(first.shape.badBegin,
                                                                first.shape.badEnd - first.shape.badBegin),
                           false);
    return bad;
  }
  if (first.whole() && readLine("0 " + cell + " 0", 3).whole() && readLine("0 " + cell, 2).whole()) {
    bad.ok = true;
    bad.value = first.values[0];
    return bad;
  }
  // Why not, in the words of the usual slips.
  for (std::size_t i = 1; i + 1 < t.size(); ++i)
    if (t[i] == ',' && isDigit(t[i - 1]) && isDigit(t[i + 1])) {
      std::string fixed = cell;
      std::replace(fixed.begin(), fixed.end(), ',', '.');
      bad.why = quoted(t) + " sunt doua valori: virgula separa valori, zecimalele se scriu cu punct (" + fixed + ")";
      return bad;
    }
  if (t.find('/') != std::string_view::npos)
    bad.why = quoted(t) + ": bara / incheie citirea; o celula tine o singura valoare";
  else if (t.find('*') != std::string_view::npos)
    bad.why = quoted(t) + ": r*v inseamna r valori; o celula tine una singura";
  else if (t.find(',') != std::string_view::npos)
    bad.why = quoted(t) + ": virgula separa valori; o celula tine una singura";
  else
    bad.why = quoted(t) + ": o celula tine o singura valoare";
  return bad;
}

namespace {

// A spreadsheet's single column: several lines, each one value without
// blanks and with at most one comma (the decimal comma of some locales).
bool isOneColumn(std::string_view text) {
  if (text.find('\t') != std::string_view::npos) return false;
  std::size_t lines = 0;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, eol));
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (line.empty()) continue;
    if (line.find_first_of(" \t") != std::string_view::npos || std::count(line.begin(), line.end(), ',') > 1)
      return false;
    ++lines;
  }
  return lines > 1;
}

}  // namespace

std::vector<std::vector<std::string>> pastedFields(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  const bool column = isOneColumn(text);
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string>& fields = rows.emplace_back();
    if (column) {
      // Kept whole: a decimal comma stays in its cell, which marks it.
      if (!trimmed(line).empty()) fields.emplace_back(trimmed(line));
      continue;
    }
    if (line.find('\t') != std::string_view::npos) {
      // A spreadsheet's row: one field per cell, empty ones included.
      for (;;) {
        const std::size_t tab = line.find('\t');
        fields.emplace_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos) break;
        line.remove_prefix(tab + 1);
      }
      continue;
    }
    bool afterValue = false;
    for (std::size_t i = 0; i < line.size();) {
      if (isBlank(line[i])) {
        ++i;
      } else if (line[i] == ',') {
        if (!afterValue) fields.emplace_back();
        afterValue = false;
        ++i;
      } else {
        const std::size_t b = i;
        while (i < line.size() && !isBlank(line[i]) && line[i] != ',') ++i;
        fields.emplace_back(line.substr(b, i - b));
        afterValue = true;
      }
    }
  }
  while (!rows.empty() && std::all_of(rows.back().begin(), rows.back().end(),
                                      [](const std::string& f) { return f.empty(); }))
    rows.pop_back();
  return rows;
}

// ---------------------------------------------------------------------------

DataGrid::DataGrid(DataLayout layout) : layout_(layout) {
  data_.n = 3;
  data_.nb = 1;
  fit();
}

DataGrid::DataGrid(DataLayout layout, DataTexts data) : layout_(layout), data_(std::move(data)) { fit(); }

void DataGrid::fit() {
  const bool generated = layout_.matrix == DataLayout::Matrix::Generated;
  data_.n = std::clamp(data_.n, 1, kMaxOrder);
  if (layout_.rhs) data_.nb = std::clamp(data_.nb, 1, kMaxRhs);
  data_.nc = generated ? std::clamp(data_.nc, 0, kMaxConstants) : 0;
  const std::size_t n = static_cast<std::size_t>(data_.n);
  data_.a.resize(generated ? 0 : n * n);
  data_.b.resize(layout_.rhs ? static_cast<std::size_t>(data_.nb) * n : 0);
  data_.c.resize(static_cast<std::size_t>(data_.nc));
}

void DataGrid::setOrder(std::int32_t n) {
  n = std::clamp(n, 1, kMaxOrder);
  if (n == data_.n) return;
  const std::size_t from = static_cast<std::size_t>(data_.n), to = static_cast<std::size_t>(n);
  const std::size_t keep = std::min(from, to);
  if (!data_.a.empty()) {
    std::vector<std::string> a(to * to);
    for (std::size_t i = 0; i < keep; ++i)
      for (std::size_t j = 0; j < keep; ++j) a[i * to + j] = std::move(data_.a[i * from + j]);
    data_.a = std::move(a);
  }
  if (!data_.b.empty()) {
    std::vector<std::string> b(static_cast<std::size_t>(data_.nb) * to);
    for (std::size_t k = 0; k < static_cast<std::size_t>(data_.nb); ++k)
      for (std::size_t i = 0; i < keep; ++i) b[k * to + i] = std::move(data_.b[k * from + i]);
    data_.b = std::move(b);
  }
  data_.n = n;
}

void DataGrid::setRhsCount(std::int32_t nb) {
  data_.nb = std::clamp(nb, 1, layout_.rhs ? kMaxRhs : std::max(nb, 1));
  if (layout_.rhs) data_.b.resize(static_cast<std::size_t>(data_.nb) * static_cast<std::size_t>(data_.n));
}

void DataGrid::setConstantCount(std::int32_t nc) {
  if (layout_.matrix != DataLayout::Matrix::Generated) return;
  data_.nc = std::clamp(nc, 0, kMaxConstants);
  data_.c.resize(static_cast<std::size_t>(data_.nc));
}

void DataGrid::setTitle(std::string title) { data_.title = std::move(title); }

int DataGrid::rows(GridPart part) const {
  switch (part) {
    case GridPart::Matrix: return data_.a.empty() ? 0 : data_.n;
    case GridPart::Rhs: return layout_.rhs ? data_.n : 0;
    case GridPart::Constants: return layout_.matrix == DataLayout::Matrix::Generated ? 1 : 0;
  }
  return 0;
}

int DataGrid::columns(GridPart part) const {
  switch (part) {
    case GridPart::Matrix: return data_.a.empty() ? 0 : data_.n;
    case GridPart::Rhs: return layout_.rhs ? data_.nb : 0;
    case GridPart::Constants: return layout_.matrix == DataLayout::Matrix::Generated ? data_.nc : 0;
  }
  return 0;
}

bool DataGrid::editable(GridPart part, int row, int column) const {
  if (row < 0 || column < 0 || row >= rows(part) || column >= columns(part)) return false;
  return !(part == GridPart::Matrix && layout_.matrix == DataLayout::Matrix::UpperTriangle && row > column);
}

std::string* DataGrid::cell(GridPart part, int row, int column) {
  if (row < 0 || column < 0 || row >= rows(part) || column >= columns(part)) return nullptr;
  const std::size_t n = static_cast<std::size_t>(data_.n);
  switch (part) {
    case GridPart::Matrix:
      if (layout_.matrix == DataLayout::Matrix::UpperTriangle && row > column) std::swap(row, column);
      return &data_.a[static_cast<std::size_t>(row) * n + static_cast<std::size_t>(column)];
    case GridPart::Rhs: return &data_.b[static_cast<std::size_t>(column) * n + static_cast<std::size_t>(row)];
    case GridPart::Constants: return &data_.c[static_cast<std::size_t>(column)];
  }
  return nullptr;
}

const std::string& DataGrid::text(GridPart part, int row, int column) const {
  static const std::string none;
  const std::string* c = const_cast<DataGrid*>(this)->cell(part, row, column);
  return c ? *c : none;
}

bool DataGrid::setText(GridPart part, int row, int column, std::string text) {
  if (!editable(part, row, column)) return false;
  *cell(part, row, column) = std::move(text);
  return true;
}

std::string DataGrid::cellName(GridPart part, int row, int column) {
  const std::string r = std::to_string(row + 1), c = std::to_string(column + 1);
  switch (part) {
    case GridPart::Matrix: return "A(" + r + "," + c + ")";
    case GridPart::Rhs: return "b" + c + "(" + r + ")";
    case GridPart::Constants: return "c(" + c + ")";
  }
  return "";
}

DataGrid::PasteResult DataGrid::paste(GridPart part, int row, int column, std::string_view text) {
  PasteResult res;
  std::vector<std::vector<std::string>> fields = pastedFields(text);
  if (fields.empty() || row < 0 || column < 0) return res;
  if (part == GridPart::Constants) {
    if (rows(part) == 0) return res;
    // One row: the fields in reading order.
    std::vector<std::string> flat;
    for (auto& line : fields)
      for (auto& f : line) flat.push_back(std::move(f));
    fields = {std::move(flat)};
    row = 0;
  }
  std::size_t widest = 0;
  for (const auto& line : fields) widest = std::max(widest, line.size());
  const int needRows = row + static_cast<int>(fields.size());
  const int needColumns = column + static_cast<int>(widest);
  switch (part) {
    case GridPart::Matrix:
      if (rows(part) == 0) return res;
      if (std::max(needRows, needColumns) > data_.n) {
        setOrder(std::max(needRows, needColumns));
        res.grew = true;
      }
      break;
    case GridPart::Rhs:
      if (rows(part) == 0) return res;
      if (needColumns > data_.nb) {
        setRhsCount(needColumns);
        res.grew = true;
      }
      break;
    case GridPart::Constants:
      if (needColumns > data_.nc) {
        setConstantCount(needColumns);
        res.grew = true;
      }
      break;
  }
  for (std::size_t i = 0; i < fields.size(); ++i)
    for (std::size_t j = 0; j < fields[i].size(); ++j) {
      const int r = row + static_cast<int>(i), c = column + static_cast<int>(j);
      if (setText(part, r, c, std::move(fields[i][j])))
        ++res.filled;
      else
        ++res.skipped;
    }
  return res;
}

std::optional<DataGrid::BadCell> DataGrid::firstBadCell() const {
  const auto bad = [&](GridPart part, int r, int c) -> std::optional<BadCell> {
    CellCheck k = check(part, r, c);
    if (k.ok) return std::nullopt;
    return BadCell{part, r, c, std::move(k.why)};
  };
  const bool upper = layout_.matrix == DataLayout::Matrix::UpperTriangle;
  for (int i = 0; i < rows(GridPart::Matrix); ++i)
    for (int j = upper ? i : 0; j < columns(GridPart::Matrix); ++j)
      if (auto b = bad(GridPart::Matrix, i, j)) return b;
  for (int j = 0; j < columns(GridPart::Constants); ++j)
    if (auto b = bad(GridPart::Constants, 0, j)) return b;
  for (int k = 0; k < columns(GridPart::Rhs); ++k)
    for (int i = 0; i < rows(GridPart::Rhs); ++i)
      if (auto b = bad(GridPart::Rhs, i, k)) return b;
  return std::nullopt;
}

std::optional<std::string> generatorNote(std::int32_t generatorIndex, const DataGrid& grid) {
  if (grid.layout().matrix != DataLayout::Matrix::Generated) return std::nullopt;
  const std::string_view name = generatorName(generatorIndex);
  if (name.empty()) return "nu este aleasa nicio matrice in lista \"Generare\"";
  const std::int32_t least = leastConstants(name, grid.order());
  if (grid.constantCount() < least)
    return std::string(name) + " cere cel putin " + std::to_string(least) + " constante pentru n = " +
           std::to_string(grid.order());
  if (name == "Wilkinson 5" && grid.order() < 5) return std::string("Wilkinson 5 cere n >= 5");
  return std::nullopt;
}

// ---------------------------------------------------------------------------

namespace {

// What the reader reads each value cell as, bit for bit, in file order.
std::vector<std::uint32_t> valueBits(const DataGrid& g) {
  std::vector<std::uint32_t> bits;
  const auto add = [&](const std::string& t) { bits.push_back(std::bit_cast<std::uint32_t>(checkCell(t).value)); };
  const DataTexts& d = g.data();
  const std::size_t n = static_cast<std::size_t>(d.n);
  const bool upper = g.layout().matrix == DataLayout::Matrix::UpperTriangle;
  for (std::size_t i = 0; i < (d.a.empty() ? 0 : n); ++i)
    for (std::size_t j = upper ? i : 0; j < n; ++j) add(d.a[i * n + j]);
  for (const std::string& t : d.c) add(t);
  for (const std::string& t : d.b) add(t);
  return bits;
}

}  // namespace

GridSession GridSession::open(const std::string& path, DataLayout layout, std::int32_t previousN,
                              std::int32_t previousNb, std::int32_t previousNc) {
  GridSession s;
  s.path_ = path;
  std::string bytes;
  if (std::ifstream in(path, std::ios::binary); in)
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes.empty()) {
    s.grid_.emplace(layout);
    s.grid_->setTitle("Problema noua");
    s.notes_.push_back("Fisier nou: completati datele, apoi Salveaza si Citeste.");
  } else {
    LoadedData loaded = loadDataTexts(bytes, layout, DataGrid::kMaxValues, previousN, previousNb, previousNc);
    const DataTexts& d = loaded.data;
    const bool tooLarge = loaded.tooLarge || d.n > DataGrid::kMaxOrder ||
                          (layout.rhs && d.nb > DataGrid::kMaxRhs) || d.nc > DataGrid::kMaxConstants;
    if (tooLarge) {
      s.grid_.emplace(layout);
      s.readOnly_ = true;
      s.notes_.push_back("Problema din fisier (n = " + std::to_string(d.n) + ", nb = " + std::to_string(d.nb) +
                         (d.nc > 0 ? ", nc = " + std::to_string(d.nc) : std::string()) +
                         ") este prea mare pentru grila (n pana la " + std::to_string(DataGrid::kMaxOrder) +
                         "); folositi \"Deschide\".");
      s.original_ = s.grid_->data();
      return s;
    }
    if (loaded.stop) s.notes_.push_back(loaded.stop->text);
    if (loaded.noSizes) {
      s.grid_.emplace(layout);
      s.grid_->setTitle("Problema noua");
      s.notes_.push_back("Grila porneste de la o problema noua; textul fisierului ramane dupa datele salvate.");
    } else {
      s.grid_.emplace(layout, loaded.data);
      s.oldData_ = bytes.substr(0, loaded.dataEnd);
    }
    for (std::string& w : loaded.warnings) s.notes_.push_back(std::move(w));
  }
  s.crlf_ = s.oldData_.find("\r\n") != std::string::npos;
  s.original_ = s.grid_->data();
  return s;
}

bool GridSession::modified() const { return !(grid_->data() == original_); }

GridSession::SaveResult GridSession::save(std::string& message) {
  message.clear();
  if (readOnly_) {
    message = "Problema este prea mare pentru grila; nimic de salvat.";
    return SaveResult::Unchanged;
  }
  if (const auto bad = grid_->firstBadCell()) {
    message = "Celula " + DataGrid::cellName(bad->part, bad->row, bad->column) + ": " + bad->why +
              ". Datele nu au fost salvate.";
    return SaveResult::BadCell;
  }
  if (!modified() && !oldData_.empty()) {
    message = "Nimic de salvat: datele sunt cele din fisier.";
    return SaveResult::Unchanged;
  }
  const std::string text = grid_->dataText(crlf_);
  // What the file will read as, before a byte of it is written.
  const DataGrid& g = *grid_;
  const LoadedData back = loadDataTexts(text, g.layout(), DataGrid::kMaxValues);
  const DataGrid reread(g.layout(), back.data);
  if (back.stop || !back.warnings.empty() || back.dataEnd != text.size() || reread.order() != g.order() ||
      reread.rhsCount() != g.rhsCount() || reread.constantCount() != g.constantCount() ||
      valueBits(reread) != valueBits(g)) {
    message = "Datele nu au fost salvate: textul lor nu s-ar citi inapoi la fel.";
    return SaveResult::IoError;
  }
  switch (replaceDataPart(path_, oldData_, text)) {
    case ReplaceResult::Ok:
      oldData_ = text;
      original_ = g.data();
      message = "Date salvate in fisier. Apasati \"Citeste\" inainte de \"REZOLVA !\".";
      return SaveResult::Saved;
    case ReplaceResult::Changed:
      message = "Fisierul de date a fost schimbat dupa deschiderea grilei; datele nu au fost salvate.";
      return SaveResult::Changed;
    case ReplaceResult::IoError:
      break;
  }
  message = "Datele nu au putut fi scrise in fisier; fisierul a ramas cum era.";
  return SaveResult::IoError;
}

}  // namespace parvela
