#include "DeviceCatalog.h"

namespace vx {

std::vector<DeviceInfo> DeviceCatalog::outputs() { return {}; }
std::vector<DeviceInfo> DeviceCatalog::inputs() { return {}; }
std::vector<std::string> DeviceCatalog::soundfonts() { return {}; }

}  // namespace vx
