// BoxIcon: the icon of a message box that plain code asks a window to show (the link, the File menu).
// Layer: common (plain C++, no Qt).
#pragma once

namespace kelmore {

enum class BoxIcon { None, Critical, Information };

}  // namespace kelmore
