// Each kind gets its own painter, so two kinds of one look keep separate
// image caches.
#include "controls/looks/LookPainterMaker.h"

#include "controls/looks/VCopLookPainter.h"
#include "controls/looks/VMacLookPainter.h"
#include "controls/looks/VWinLookPainter.h"

namespace {

VLookPainter* MakeLookPainterOfKind(int32_t kind) {
  switch (kind) {
    case 0: return new VMacLookPainter;
    case 1:
    case 2: return new VWinLookPainter;
    case 3:
    case 4: return new VCopLookPainter;
    default: return nullptr;
  }
}

}  // namespace

const VLookPainterMaker kLookPainterMaker{&MakeLookPainterOfKind};
