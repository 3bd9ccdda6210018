#include "platform/platform.h"

#include <stdexcept>

void requireComplete(const Platform& platform)
{
    const auto missing = [](const char* what) {
        throw std::invalid_argument(std::string("Platform: ") + what + " missing");
    };
    if (!platform.openPort) missing("openPort");
    if (platform.portName.empty()) missing("portName");
    if (platform.clock == nullptr) missing("clock");
    if (!platform.queryZone) missing("queryZone");
    if (platform.dataRoot.empty()) missing("dataRoot");
    if (platform.files == nullptr) missing("files");
}
