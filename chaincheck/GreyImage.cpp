#include "chaincheck/GreyImage.h"

namespace chaincheck {

bool GreyImage::Valid() const {
  return width > 0 && height > 0 && maxValue > 0 &&
         values.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace chaincheck
