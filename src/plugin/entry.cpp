// The plug-in library's one visible symbol: the host dlopens the bundle's library, hands over its services
// and receives the principal object.
#include "plugin/plugin.h"
#include "platform/host_services.h"

extern "C" __attribute__((visibility("default"))) OndrixPrintPdeTarvelPDEPlugIn* OndrixPDEPlugInCreate(
    const platform::HostServices* services) {
  if (services) platform::setHostServices(*services);
  return new OndrixPrintPdeTarvelPDEPlugIn();
}

extern "C" __attribute__((visibility("default"))) void OndrixPDEPlugInDestroy(OndrixPrintPdeTarvelPDEPlugIn* plugIn) {
  delete plugIn;
}
