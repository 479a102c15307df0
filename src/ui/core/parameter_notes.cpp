#include "ui/core/parameter_notes.h"

#include <cctype>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "core/methods.h"
#include "io/fortran_io.h"
#include "ui/core/run_record.h"

namespace parvela {

namespace {

bool blank(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

std::string quoted(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return "'" + std::string(first == std::string_view::npos ? "" : text.substr(first, last - first + 1)) + "'";
}

// "(zecimalele se scriu cu punct)" when a comma stands where a decimal
// point would: between a digit and the digits after it.
std::string commaHint(std::string_view text) {
  for (std::size_t k = 1; k + 1 < text.size(); ++k)
    if (text[k] == ',' && std::isdigit(static_cast<unsigned char>(text[k - 1])) &&
        std::isdigit(static_cast<unsigned char>(text[k + 1])))
      return " (zecimalele se scriu cu punct)";
  return "";
}

// True when the box's text holds more than the value read from it: more
// values (a comma or a blank ends the value), or text after a slash.
template <typename T>
bool restSkipped(std::string_view text) {
  ListReader reader(text);
  T v{};
  if constexpr (std::is_same_v<T, float>)
    reader.readReals(std::span<float>(&v, 1));
  else
    reader.readIntegers(std::span<std::int32_t>(&v, 1));
  const ReadShape& shape = reader.lastShape();
  if (shape.leftover || shape.lineEnds > 0) return true;
  // A slash ends the reading: what stands after it is not read either.
  const std::size_t next = text.find_first_not_of(" \t,", shape.valuesEnd);
  return next != std::string_view::npos && text[next] == '/' && !blank(text.substr(next + 1));
}

void describeReal(const char* box, const std::string& text, float read, ParameterNotes& notes) {
  if (blank(text)) {
    notes.problems.push_back(std::string(box) + ": caseta este goala");
    return;
  }
  float v = 0;
  if (!readFirstReal(text, v)) {
    notes.problems.push_back(std::string(box) + ": " + quoted(text) + " nu se poate citi ca numar real" +
                             commaHint(text));
    return;
  }
  if (read == 0.0f) {
    notes.problems.push_back(std::string(box) + ": " + quoted(text) + " este zero" + commaHint(text));
    return;
  }
  if (restSkipped<float>(text))
    notes.warnings.push_back(std::string(box) + ": " + quoted(text) + " a fost citit ca " + shortest(read) +
                             (commaHint(text).empty() ? " (restul textului nu se citeste)" : commaHint(text)));
}

void describeCount(const char* box, const std::string& text, std::int32_t read, ParameterNotes& notes) {
  if (blank(text)) {
    notes.problems.push_back(std::string(box) + ": caseta este goala");
    return;
  }
  std::int32_t v = 0;
  if (!readFirstInteger(text, v)) {
    notes.problems.push_back(std::string(box) + ": " + quoted(text) + " nu este un numar intreg");
    return;
  }
  if (read < 1) {
    notes.problems.push_back(std::string(box) + ": " + quoted(text) + (read == 0 ? " este zero" : " este mai mic decat 1"));
    return;
  }
  if (restSkipped<std::int32_t>(text))
    notes.warnings.push_back(std::string(box) + ": " + quoted(text) + " a fost citit ca " + std::to_string(read) +
                             (commaHint(text).empty() ? " (restul textului nu se citeste)" : commaHint(text)));
}

}  // namespace

ParameterNotes describeParameters(const ProblemState& s) {
  ParameterNotes notes;
  if (s.problemKind == ProblemKind::ConditionNumber || !isIterativeMethod(s.methodIndex)) return notes;
  describeReal("Eps", s.epsText, s.eps, notes);
  describeCount("Nlim", s.nlimText, s.nlim, notes);
  if (methodNeedsOmega(s.methodIndex)) describeReal("Omega", s.omegaText, s.omega, notes);
  return notes;
}

}  // namespace parvela
