// The current port and device of the Toolbox emulation: one of each for the
// process, as on the Macintosh.
#include "platform/toolbox/TbxPorts.h"

namespace Tbx {
namespace {
GrafPtr sPort = nullptr;
GDHandle sDevice = 0;
}  // namespace

void GetPort(GrafPtr* port) {
  if (port != nullptr) *port = sPort;
}

void SetPort(GrafPtr port) { sPort = port; }

void GetGWorld(CGrafPtr* port, GDHandle* device) {
  if (port != nullptr) *port = sPort;
  if (device != nullptr) *device = sDevice;
}

void SetGWorld(CGrafPtr port, GDHandle device) {
  sPort = port;
  sDevice = device;
}

}  // namespace Tbx
