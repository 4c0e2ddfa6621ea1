#include "refhost/Withholding.h"

#include <algorithm>

namespace refhost {

void Withholding::withhold(const tamblet::InterfaceId& id) {
  if (!isWithheld(id)) withheld_.push_back(id);
}

void Withholding::restore(const tamblet::InterfaceId& id) {
  std::erase(withheld_, id);
}

bool Withholding::isWithheld(const tamblet::InterfaceId& id) const {
  return std::find(withheld_.begin(), withheld_.end(), id) != withheld_.end();
}

}  // namespace refhost
