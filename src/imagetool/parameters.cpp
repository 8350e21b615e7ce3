// The parameter dialog's fields to an entry.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/parameters.h"

#include "common/numbers.h"
#include "imagetool/imagefile.h"

namespace kelmore::imagetool {

std::optional<std::string> setParameters(ImageList& list, int index, const ParameterTexts& texts,
                                         const Capacities& capacities) {
  const auto address = nearestInRange(leadingNumber(texts.address), 0, 2147483647);
  if (!address) return "Start Address must be 0 to 2147483647.";
  const auto width = nearestInRange(leadingNumber(texts.widthDots), 0, 32767);
  if (!width) return "Size X must be 0 to 32767.";
  const auto height = nearestInRange(leadingNumber(texts.heightDots), 0, 32767);
  if (!height) return "Size Y must be 0 to 32767.";
  if (!sizeFits(*width, *height)) return tooLargeMessage();
  const auto memory = canonicalMemory(texts.memory);
  if (!memory) return "\"" + texts.memory + "\" is no image memory.";
  // Stored, it would only overflow: the model has no bytes there.
  if (!hasArea(capacities, *memory)) return "\"" + texts.memory + "\" is no image memory of this model.";
  list.setAddress(index, static_cast<std::int32_t>(*address));
  list.setSize(index, static_cast<std::int16_t>(*width), static_cast<std::int16_t>(*height));
  list.setMemory(index, std::string(*memory));
  return std::nullopt;
}

}  // namespace kelmore::imagetool
