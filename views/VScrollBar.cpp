// VScrollBar: thumb geometry, hit parts, drawing by look element and the
// tracking loop with its repeat.
#include "views/VScrollBar.h"

#include <chrono>
#include <climits>
#include <thread>

#include "framework/system/environment/VSystemServices.h"
#include "views/VEvent.h"
#include "views/VScrollOwner.h"
#include "views/VScrolledView.h"
#include "graphics/VLookPainter.h"
#include "platform/win32/WinTime.h"

namespace {

// Look metrics the bar reads.
constexpr int32_t kMetricProportionalThumb = 0;
constexpr int32_t kMetricBarThickness = 2;
constexpr int32_t kMetricThumbLength = 3;
constexpr int32_t kMetricArrowsTogether = 4;

// Look element kinds and states.
constexpr int32_t kStatePressed = -100;
constexpr int32_t kStateInactive = -96;
constexpr int32_t kElementBorder = 23;

// Ticks before the first repeat of an arrow or page click.
constexpr uint32_t kFirstRepeatTicks = 10;
// How far across the bar the mouse may stray while the thumb follows it.
constexpr int32_t kThumbStray = 32;

}  // namespace

VScrollBar::VScrollBar(VFrame* parent, bool horizontal)
    : VFrame(parent, nullptr), fHorizontal(horizontal ? 1 : 0) {
  MoveTo(-1000, -1000, 1);
  ResizeTo(100, 100, 1);
}

VScrollBar::~VScrollBar() = default;

void VScrollBar::ResizeTo(int32_t width, int32_t height, int16_t mode) {
  const int32_t thickness = GetLookPainter()->GetMetric(kMetricBarThickness);
  if (fHorizontal != 0) {
    VFrame::ResizeTo(width, thickness, 0);
  } else {
    VFrame::ResizeTo(thickness, height, 0);
  }
  UpdateThumb();
  Invalidate(mode);
}

void VScrollBar::SetLookIndex(int16_t index) {
  VFrame::SetLookIndex(index);
  // The new look may have another thickness.
  ResizeTo(GetWidth(), GetHeight(), 1);
}

// ---- Values.

void VScrollBar::SetValue(int32_t value, int16_t mode) {
  fValue = value < 0 ? 0 : (value > fMaximum ? fMaximum : value);
  Invalidate(mode);
}

void VScrollBar::ShowScrollState(int32_t value, int32_t maximum, int32_t page) {
  if (maximum == 0) {
    SetActive(false, 1);
    return;
  }
  SetActive(true, 1);
  SetPageSize(page, 1);
  SetMaximum(maximum, 1);
  SetValue(value, 1);
}

void VScrollBar::SetMaximum(int32_t maximum, int16_t mode) {
  if (maximum == fMaximum) return;
  fMaximum = maximum < 0 ? 0 : maximum;
  UpdateThumb();
  Invalidate(mode);
}

void VScrollBar::SetPageSize(int32_t page, int16_t mode) {
  if (page == fPageSize) return;
  fPageSize = page;
  UpdateThumb();
  Invalidate(mode);
}

void VScrollBar::SetActive(bool active, int16_t mode) {
  const uint8_t v = active ? 1 : 0;
  if (v == fActive) return;
  fActive = v;
  Invalidate(mode);
}

void VScrollBar::SetDisabled(bool disabled) {
  const uint8_t v = disabled ? 1 : 0;
  if (v == fDisabled) return;
  fDisabled = v;
  Invalidate(1);
}

// ---- Geometry.

void VScrollBar::UpdateThumb() {
  VLookPainter* look = GetLookPainter();
  fFreeTrack = Length() - 2 * Thickness() + 2;
  const int32_t minimum = look->GetMetric(kMetricThumbLength);
  // A negative page counts as none: page plus maximum could otherwise be 0.
  if (fPageSize > 0 && look->GetMetric(kMetricProportionalThumb) == 1) {
    const double length =
        static_cast<double>(fFreeTrack) * fPageSize / (static_cast<double>(fPageSize) + fMaximum);
    fThumbLength = static_cast<int32_t>(length);
    if (fThumbLength < minimum) fThumbLength = minimum;
  } else {
    fThumbLength = minimum;
  }
  fFreeTrack -= fThumbLength;
  fArrowsTogether = look->GetMetric(kMetricArrowsTogether) != 0 ? 1 : 0;
}

void VScrollBar::ThumbSpan(int32_t& start, int32_t& end) const {
  const int32_t l = Length();
  const int32_t t = Thickness();
  if (fActive != 0 && fDisabled == 0) {
    // An active bar with maximum 0 has nowhere to go: its thumb sits at the
    // track's start instead of dividing by the maximum.
    start = fMaximum > 0 ? static_cast<int32_t>(static_cast<double>(fFreeTrack) * fValue / fMaximum)
                         : 0;
    if (fArrowsTogether == 0) start += t - 1;
    end = start + fThumbLength;
  } else if (fArrowsTogether == 0) {
    start = t;
    end = l - t;
  } else {
    start = 0;
    end = l - 2 * t;
  }
}

void VScrollBar::GetThumbRect(int32_t& left, int32_t& top, int32_t& right,
                              int32_t& bottom) const {
  int32_t start = 0;
  int32_t end = 0;
  ThumbSpan(start, end);
  // The rectangle is kept in 16-bit coordinates like every frame rectangle.
  start = static_cast<int16_t>(start);
  end = static_cast<int16_t>(end);
  const int32_t t = static_cast<int16_t>(Thickness());
  if (fHorizontal != 0) {
    left = start;
    right = end;
    top = 0;
    bottom = t;
  } else {
    left = 0;
    right = t;
    top = start;
    bottom = end;
  }
}

bool VScrollBar::IsLargeEnough() const {
  int32_t start = 0;
  int32_t end = 0;
  ThumbSpan(start, end);
  return (end - start) + 2 * Thickness() <= Length();
}

int32_t VScrollBar::HitTest(int32_t x, int32_t y) const {
  // The right and bottom edge lines belong to the bar.
  if (x < 0 || y < 0 || x > GetWidth() || y > GetHeight()) return kPartNone;
  const int32_t l = Length();
  const int32_t t = Thickness();
  const int32_t p = fHorizontal != 0 ? x : y;
  if (p >= l - t) return kPartSecondArrow;
  if ((fArrowsTogether != 0 && p >= l - 2 * t) || (fArrowsTogether == 0 && p <= t)) {
    return kPartFirstArrow;
  }
  int32_t start = 0;
  int32_t end = 0;
  ThumbSpan(start, end);
  if (p < start) return kPartPageBefore;
  if (p > end) return kPartPageAfter;
  return kPartThumb;
}

// ---- Drawing.

void VScrollBar::DrawContent(VPort& port) {
  if (fActive != 0 && fDisabled == 0) {
    DrawPart(port, kPartPageBefore);
    DrawPart(port, kPartPageAfter);
  }
  DrawPart(port, kPartThumb);
  DrawPart(port, kPartFirstArrow);
  DrawPart(port, kPartSecondArrow);
  DrawPart(port, kPartBorder);
}

void VScrollBar::DrawPart(VPort& port, uint8_t part) {
  const bool live = fActive != 0 && fDisabled == 0;
  const int32_t state = live && part == fPressedPart ? kStatePressed
                        : !live                      ? kStateInactive
                                                     : 0;
  const bool h = fHorizontal != 0;
  const bool together = fArrowsTogether != 0;
  const int32_t l = Length();
  const int32_t t = Thickness();
  int32_t start = 0;
  int32_t end = 0;
  ThumbSpan(start, end);
  int32_t kind = h ? 19 : 20;  // the track
  int32_t along = 0;           // start along the bar
  int32_t extent = 0;          // length along the bar
  switch (part) {
    case kPartFirstArrow:
      kind = h ? 26 : 28;
      along = together ? l - 2 * t + 1 : 0;
      extent = t;
      break;
    case kPartSecondArrow:
      kind = h ? 27 : 29;
      along = l - t;
      extent = t;
      break;
    case kPartPageBefore:
      along = together ? 0 : t;
      extent = start - along;
      break;
    case kPartPageAfter:
      along = end;
      extent = together ? l - end - 2 * t + 1 : l - end - t;
      break;
    case kPartThumb:
      if (state == kStateInactive) {
        along = together ? 0 : t;
        extent = together ? l - 2 * t + 1 : l - 2 * t;
      } else {
        kind = h ? 21 : 22;
        along = start;
        extent = end - start;
      }
      break;
    default: {
      const int32_t rect[4] = {0, 0, GetWidth(), GetHeight()};
      DrawLookElement(port, kElementBorder, state, rect, 0);
      return;
    }
  }
  // A bar shorter than its arrows leaves parts no room: they are drawn
  // empty rather than with a negative size.
  if (extent < 0) extent = 0;
  const int32_t rect[4] = {h ? along : 0, h ? 0 : along, h ? extent : t, h ? t : extent};
  DrawLookElement(port, kind, state, rect, 0);
}

void VScrollBar::DrawBarNow() {
  if (auto* owner = dynamic_cast<VScrollOwner*>(fParent)) owner->DrawBarNow(this);
}

// ---- Tracking.

bool VScrollBar::MouseDown(VEvent& event) {
  if (fDisabled != 0 || fActive == 0 || !IsLargeEnough()) return true;
  const int32_t part = HitTest(event.GetX(), event.GetY());
  if (part != kPartNone) Track(event, static_cast<uint8_t>(part));
  return true;
}

void VScrollBar::Track(const VEvent& event, uint8_t part) {
  const bool h = fHorizontal != 0;
  const bool together = fArrowsTogether != 0;
  const int32_t eventP = h ? event.GetX() : event.GetY();
  int32_t lastP = eventP;
  int32_t startValue = fValue;
  uint32_t pressTime = 0;
  uint8_t repeat = 0;
  if (part == kPartThumb) {
    lastP = INT32_MAX;  // not known yet
    startValue = fValue;
    fPressedPart = kPartThumb;
    DrawBarNow();
    fPressedPart = 0;
  } else {
    pressTime = VSystemServices::TickCount60();
  }
  NotifyParent(this, kMsgBarTrackingBegins, 0);
  bool stepped = false;
  uint32_t lastStepTick = 0;
  while (VSystemServices::IsAnyMouseButtonDown()) {
    const uint64_t passStart = GetTickCount64();
    const int32_t l = Length();
    const int32_t t = Thickness();
    int32_t mx = 0;
    int32_t my = 0;
    GetMouseLocation(mx, my);
    int32_t p = h ? mx : my;
    const int32_t q = h ? my : mx;
    int32_t hit = kPartNone;
    int32_t step = 0;
    bool act = false;
    if (part == kPartThumb) {
      if (!together) {
        if (p < t) p = t - 1;
        else if (p > l - t) p = l - t + 1;
      } else {
        if (p < 0) p = 0;
        else if (p > l - 2 * t) p = l - 2 * t + 1;
      }
      // A bar resized meanwhile may have no track left to divide by.
      if (q >= -kThumbStray && q <= t + kThumbStray && p != lastP && fFreeTrack > 0) {
        step = static_cast<int32_t>((startValue - fValue) +
                                    static_cast<double>(p - eventP) * fMaximum / fFreeTrack);
        const bool forwards = p > lastP;
        const bool backwards = lastP != INT32_MAX && p < lastP;
        if (!(forwards && step < 0) && !(backwards && step > 0)) {
          lastP = p;
          fPressedPart = kPartThumb;
          hit = kPartThumb;
          act = true;
        }
      }
    } else {
      const uint32_t now = VSystemServices::TickCount60();
      // The first repeat waits 10 ticks; after it, one step per tick at most
      // so that a fast machine does not race through the content.
      const bool waiting = repeat == 1 && now - pressTime < kFirstRepeatTicks;
      const bool sameTick = stepped && repeat > 1 && now == lastStepTick;
      if (!waiting && !sameTick) {
        ++repeat;
        hit = HitTest(mx, my);
        // With both arrows at the far end the thumb may cover the track's
        // ends; paging still reaches them.
        if (together && hit == kPartThumb &&
            ((part == kPartPageBefore && p < t + fThumbLength) ||
             (part == kPartPageAfter && p > l - 2 * t - fThumbLength))) {
          hit = part;
        }
        if (hit == part) {
          const bool changed = fPressedPart != part;
          fPressedPart = part;
          auto* owner = dynamic_cast<VScrollOwner*>(fParent);
          VScrolledView* view = owner != nullptr ? owner->GetContentView() : nullptr;
          if (view != nullptr) {
            switch (part) {
              case kPartFirstArrow:
                step = -(h ? view->GetHorizontalLineStep(true) : view->GetVerticalLineStep(true));
                break;
              case kPartSecondArrow:
                step = h ? view->GetHorizontalLineStep(false) : view->GetVerticalLineStep(false);
                break;
              case kPartPageBefore:
                step = -(h ? view->GetHorizontalPageStep(true) : view->GetVerticalPageStep(true));
                break;
              default:
                step = h ? view->GetHorizontalPageStep(false) : view->GetVerticalPageStep(false);
                break;
            }
          }
          if (changed) DrawBarNow();
          act = true;
        } else if (fPressedPart == part) {
          fPressedPart = 0;
          DrawBarNow();
        }
      }
    }
    if (act && hit == part && !(fValue <= 0 && step < 0) && !(fValue >= fMaximum && step > 0)) {
      if (fValue + step < 0) step = -fValue;
      if (fValue + step > fMaximum) step = fMaximum - fValue;
      NotifyParent(this, h ? kMsgScrollHorizontally : kMsgScrollVertically, step);
      stepped = true;
      lastStepTick = VSystemServices::TickCount60();
    }
    // About a millisecond per pass, so that holding the button does not spin
    // a core; a clock already moved by the polls (a scripted one) needs none.
    if (GetTickCount64() == passStart) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  NotifyParent(this, kMsgBarTrackingEnds, 0);
  fPressedPart = 0;
  Invalidate(2);
}
