// VScrollBar: a scroll bar the framework draws itself: two arrows, a track
// with two page areas and a thumb, and a border, each a look element. Its
// container sets its value, maximum and page size and receives its scroll
// requests; while the mouse is down on it the bar tracks it with a repeat.
#pragma once

#include <cstdint>

#include "views/VFrame.h"

// Messages the bar sends while the mouse tracks it: live drawing begins and
// ends.
enum : int32_t {
  kMsgBarTrackingBegins = -972,
  kMsgBarTrackingEnds = -971,
};

class VScrollBar : public VFrame {
 public:
  // The parts HitTest answers.
  enum Part : uint8_t {
    kPartNone = 0,
    kPartFirstArrow = 1,
    kPartSecondArrow = 2,
    kPartPageBefore = 3,
    kPartPageAfter = 4,
    kPartThumb = 5,
    kPartBorder = 6,
  };

  // Off view at (-1000, -1000) until its container lays it out.
  VScrollBar(VFrame* parent, bool horizontal);
  ~VScrollBar() override;

  void ResizeTo(int32_t width, int32_t height, int16_t mode) override;
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  void MouseWheel(VEvent&) override {}
  void Activated(bool) override {}
  void SetLookIndex(int16_t index) override;
  virtual void SetActive(bool active, int16_t mode);

  void SetValue(int32_t value, int16_t mode);
  void SetMaximum(int32_t maximum, int16_t mode);
  void SetPageSize(int32_t page, int16_t mode);
  // Takes a scroll state (mode 1); an axis with nothing to scroll makes the
  // bar inactive and leaves its numbers alone.
  void ShowScrollState(int32_t value, int32_t maximum, int32_t page);
  void SetDisabled(bool disabled);
  int32_t HitTest(int32_t x, int32_t y) const;
  void GetThumbRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
  // Whether the thumb and both arrows fit in the bar's length.
  bool IsLargeEnough() const;

  int32_t GetValue() const { return fValue; }
  int32_t GetMaximum() const { return fMaximum; }
  int32_t GetPageSize() const { return fPageSize; }
  int32_t GetThumbLength() const { return fThumbLength; }
  int32_t GetFreeTrack() const { return fFreeTrack; }
  uint8_t GetPressedPart() const { return fPressedPart; }
  bool IsHorizontal() const { return fHorizontal != 0; }
  bool IsActive() const { return fActive != 0; }
  bool IsDisabled() const { return fDisabled != 0; }

 protected:
  void UpdateThumb();
  void DrawPart(VPort& port, uint8_t part);

 private:
  int32_t Length() const { return fHorizontal != 0 ? GetWidth() : GetHeight(); }
  int32_t Thickness() const { return fHorizontal != 0 ? GetHeight() : GetWidth(); }
  // The thumb's start and end along the bar.
  void ThumbSpan(int32_t& start, int32_t& end) const;
  void DrawBarNow();
  void Track(const VEvent& event, uint8_t part);

  int32_t fMaximum = 0;
  int32_t fValue = 0;
  int32_t fPageSize = 0;
  int32_t fThumbLength = 0;
  int32_t fFreeTrack = 0;
  uint8_t fPressedPart = 0;
  uint8_t fHorizontal = 0;
  uint8_t fActive = 0;
  uint8_t fDisabled = 0;
  uint8_t fArrowsTogether = 0;
};
