// The free-format reader alone: a few reads of each kind over the bytes,
// the kinds and counts taken from the first byte; then the data part read
// as texts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "io/data_layout.h"
#include "io/fortran_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  using parvela::ListReader;
  const std::uint8_t plan = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  ListReader in(text);
  std::vector<float> reals(1 + (plan & 15));
  std::vector<std::int32_t> ints(1 + ((plan >> 4) & 3));
  std::string line;
  for (int step = 0; step < 64; ++step) {
    const std::size_t before = in.position();
    ListReader::Status st;
    switch ((plan >> 6) + step) {
      case 0: st = in.readLine(line, 100); break;
      default:
        if (step % 3 == 1) {
          st = in.readIntegers(ints);
        } else {
          // The same read keeping each value's text reads the same values
          // (bit for bit) to the same place, every text a piece of the input.
          ListReader again = in;
          std::vector<float> same(reals.size());
          std::vector<std::string_view> texts(reals.size());
          std::copy(reals.begin(), reals.end(), same.begin());
          st = in.readReals(reals);
          if (again.readReals(same, texts) != st || again.position() != in.position() ||
              std::memcmp(same.data(), reals.data(), reals.size() * sizeof(float)) != 0)
            __builtin_trap();
          for (std::string_view t : texts)
            if (!t.empty() && (t.data() < text.data() || t.data() + t.size() > text.data() + text.size()))
              __builtin_trap();
        }
        break;
    }
    if (in.position() < before || in.position() > text.size()) __builtin_trap();
    const parvela::ReadShape& shape = in.lastShape();
    if (shape.begin > shape.lastLine || shape.lastLine > shape.valuesEnd || shape.valuesEnd > text.size() ||
        (st == ListReader::Status::Error && (shape.badBegin >= shape.badEnd || shape.badEnd > text.size())))
      __builtin_trap();
    if (st == ListReader::Status::End) break;
  }
  // The internal reads of the parameter boxes.
  float f = 0.0f;
  std::int32_t i = 0;
  parvela::readFirstReal(text.substr(0, 10), f);
  parvela::readFirstInteger(text.substr(0, 10), i);
  // The data part as texts, in a layout of the plan: never beyond the text.
  parvela::DataLayout layout;
  layout.matrix = static_cast<parvela::DataLayout::Matrix>(plan % 3);
  layout.rhs = (plan & 4) != 0;
  if (parvela::loadDataTexts(text, layout, 4096).dataEnd > text.size()) __builtin_trap();
  return 0;
}
