// The dialog services the window needs (a placeholder until the window
// code lands).
#pragma once

namespace parvela {
class Dialog {
 public:
  virtual ~Dialog() = default;
};
}  // namespace parvela
