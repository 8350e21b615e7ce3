// The one crossing from the plain rooms' UTF-8 texts to the windows' QString.
// Layer: widgets (the window kit, Qt).
#pragma once

#include <QString>
#include <string_view>

namespace kelmore::widgets {

inline QString fromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kelmore::widgets
