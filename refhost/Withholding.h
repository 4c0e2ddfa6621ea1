// The set of interface ids a service provider pretends not to have, so tests can make any one
// service missing and see how its client copes.
#pragma once

#include <vector>

#include "host/InterfaceId.h"

namespace refhost {

class Withholding {
 public:
  void withhold(const tamblet::InterfaceId& id);
  void restore(const tamblet::InterfaceId& id);
  bool isWithheld(const tamblet::InterfaceId& id) const;

 private:
  std::vector<tamblet::InterfaceId> withheld_;
};

}  // namespace refhost
