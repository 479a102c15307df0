// The free-format reader alone: a few reads of each kind over the bytes,
// the kinds and counts taken from the first byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
        st = (step % 3 == 1) ? in.readIntegers(ints) : in.readReals(reals);
        break;
    }
    if (in.position() < before || in.position() > text.size()) __builtin_trap();
    if (st == ListReader::Status::End) break;
  }
  // The internal reads of the parameter boxes.
  float f = 0.0f;
  std::int32_t i = 0;
  parvela::readFirstReal(text.substr(0, 10), f);
  parvela::readFirstInteger(text.substr(0, 10), i);
  return 0;
}
