#include "DeviceCatalog.h"

namespace vx {

std::vector<std::string> DeviceCatalog::soundfonts() { return {}; }

}  // namespace vx
