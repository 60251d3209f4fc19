// FlushEvents over the native message queue.
#include "platform/toolbox/TbxEvents.h"

#include "platform/win32/WinMessages.h"

void WinRemoveQueued(int (*classify)(UINT message, void* context), void* context);

namespace Tbx {

namespace {

int32_t gFlushCalls = 0;
int16_t gLastFlushMask = 0;

// The classic event kind's mask bit of a native message; 0 for messages
// that are no input event.
int16_t MaskOf(UINT message) {
  switch (message) {
    case 0x0201: case 0x0204: case 0x0207:  // button downs
    case 0x0203: case 0x0206: case 0x0209:  // double clicks
    case 0x00A1: case 0x00A4: case 0x00A7:  // non-client downs
      return kMouseDownMask;
    case 0x0202: case 0x0205: case 0x0208:
    case 0x00A2: case 0x00A5: case 0x00A8:
      return kMouseUpMask;
    case 0x0100: case 0x0102: case 0x0104: case 0x0106:  // key downs and characters
      return kKeyDownMask | kAutoKeyMask;
    case 0x0101: case 0x0105:
      return kKeyUpMask;
    default:
      return 0;
  }
}

}  // namespace

void FlushEvents(int16_t mask, int16_t stopMask) {
  ++gFlushCalls;
  gLastFlushMask = mask;
  // Only what is already queued: flushing neither advances the input
  // script nor makes paints.
  struct Masks {
    int16_t drop;
    int16_t stop;
  } masks{mask, stopMask};
  WinRemoveQueued(
      [](UINT message, void* context) {
        const auto* m = static_cast<const Masks*>(context);
        const int16_t kind = MaskOf(message);
        if ((kind & m->stop) != 0) return 2;
        return (kind & m->drop) != 0 ? 1 : 0;
      },
      &masks);
}

void CountFlushEvents(int32_t* calls, int16_t* lastMask) {
  if (calls != nullptr) *calls = gFlushCalls;
  if (lastMask != nullptr) *lastMask = gLastFlushMask;
}

}  // namespace Tbx
