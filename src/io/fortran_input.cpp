// Free-format (list-directed) input.
#include "io/fortran_io.h"

namespace parvela {

ListReader::ListReader(std::string_view text, std::size_t start) : text_(text), pos_(start) {}
ListReader::Status ListReader::readIntegers(std::span<std::int32_t>) { return Status::Error; }
ListReader::Status ListReader::readReals(std::span<float>) { return Status::Error; }
ListReader::Status ListReader::readLine(std::string&, std::size_t) { return Status::Error; }

bool readFirstReal(std::string_view, float&) { return false; }
bool readFirstInteger(std::string_view, std::int32_t&) { return false; }

}  // namespace parvela
