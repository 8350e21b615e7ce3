// The texts of the parameter dialog to an entry's address, size and memory area.
// Layer: image tool (plain C++, no Qt).
//
// A number is read as the system reads typed numbers (leading numeric part, "&H" and "&O", halves to even).
// A number outside its field (the address 0..2147483647, a side 0..32767), an image beyond 32767 bytes or a
// memory text that names no area, or an area the model lacks (a page or the image RAM it has no bytes for),
// is refused with a message and nothing is stored.
#pragma once

#include <optional>
#include <string>

#include "imagetool/allocation.h"
#include "imagetool/imagelist.h"

namespace kelmore::imagetool {

struct ParameterTexts {
  std::string address;
  std::string widthDots;
  std::string heightDots;
  std::string memory;
};

// Stores the fields in entry `index` (0..count(); count() is the append slot) for the model of
// `capacities`; the refusal otherwise.
std::optional<std::string> setParameters(ImageList& list, int index, const ParameterTexts& texts,
                                         const Capacities& capacities);

}  // namespace kelmore::imagetool
