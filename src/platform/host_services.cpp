#include "platform/host_services.h"

namespace platform {
namespace {
HostServices gServices;
}

void setHostServices(const HostServices& services) { gServices = services; }
const HostServices& hostServices() { return gServices; }

}  // namespace platform
