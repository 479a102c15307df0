// Text from the core (UTF-8 standard strings) for Qt widgets.
#pragma once

#include <QString>

#include <string_view>

namespace parvela::qt {

inline QString fromStd(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace parvela::qt
