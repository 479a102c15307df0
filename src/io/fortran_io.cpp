// Placeholder: the engine is being written.
#include "io/fortran_io.h"

namespace parvela {

std::string fillWidths(std::string_view format, std::initializer_list<std::int32_t> values) {
  std::string out;
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

void TextUnit::write(std::string_view format, std::initializer_list<FItem> items) {
  write(format, std::span<const FItem>(items.begin(), items.size()));
}
void TextUnit::write(std::string_view, std::span<const FItem>) {}
void TextUnit::print(std::initializer_list<FItem> items) {
  print(std::span<const FItem>(items.begin(), items.size()));
}
void TextUnit::print(std::span<const FItem>) {}
std::string TextUnit::take() {
  std::string s;
  s.swap(buffer_);
  lineOpen_ = false;
  lineStart_ = 0;
  return s;
}
void TextUnit::clear() { take(); }

TextUnit& ReportFile() {
  static TextUnit unit;
  return unit;
}
TextUnit& StdOut() {
  static TextUnit unit;
  return unit;
}

std::string formatRecord(std::string_view, std::initializer_list<FItem>) { return {}; }

ListReader::ListReader(std::string_view text, std::size_t start) : text_(text), pos_(start) {}
ListReader::Status ListReader::readIntegers(std::span<std::int32_t>) { return Status::Error; }
ListReader::Status ListReader::readReals(std::span<float>) { return Status::Error; }
ListReader::Status ListReader::readLine(std::string&, std::size_t) { return Status::Error; }

bool readFirstReal(std::string_view, float&) { return false; }
bool readFirstInteger(std::string_view, std::int32_t&) { return false; }

}  // namespace parvela
