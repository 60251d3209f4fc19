// VEvent: events from explicit values, the current state and host records,
// and their click count.
#include "views/VEvent.h"

#include "framework/system/environment/VSystemServices.h"

VEvent::VEvent() {
  int32_t x = 0;
  int32_t y = 0;
  VSystemServices::GetMousePosition(x, y);
  fX = x;
  fY = y;
  fStartX = x;
  fStartY = y;
  fWhen = VSystemServices::TickCount60();
  fButtonUp = VSystemServices::IsAnyMouseButtonDown() ? 0 : 1;
  fContextual = VSystemServices::IsRightButtonDown() ? 1 : 0;
  fCommand = VSystemServices::IsControlDown() ? 1 : 0;
  fOption = VSystemServices::IsAltDown() ? 1 : 0;
  fShift = VSystemServices::IsShiftDown() ? 1 : 0;
}

VEvent::VEvent(int32_t x, int32_t y, uint32_t when, bool buttonUp, bool contextual, bool command,
               bool option, bool shift, int16_t clickCount, uint16_t keyWord)
    : VPoint(x, y),
      fWhen(when),
      fStartX(x),
      fStartY(y),
      fClickCount(clickCount),
      fButtonUp(buttonUp ? 1 : 0),
      fContextual(contextual ? 1 : 0),
      fCommand(command ? 1 : 0),
      fOption(option ? 1 : 0),
      fShift(shift ? 1 : 0),
      fKeyWord(keyWord) {}

VEvent::VEvent(const VHostEventRecord& record) { SetFromHostEvent(record); }

VEvent::VEvent(const VEvent& other) : VPoint(other) { *this = other; }

VEvent& VEvent::operator=(const VEvent& other) {
  if (this == &other) return *this;
  VPoint::operator=(other);
  fHasHostRecord = 0;
  fWhen = other.fWhen;
  fStartX = other.fStartX;
  fStartY = other.fStartY;
  fClickCount = other.fClickCount;
  fButtonUp = other.fButtonUp;
  fContextual = other.fContextual;
  fCommand = other.fCommand;
  fOption = other.fOption;
  fShift = other.fShift;
  fKeyWord = other.fKeyWord;
  fCharacter = other.fCharacter;
  return *this;
}

void VEvent::SetFromHostEvent(const VHostEventRecord& record) {
  fX = record.whereH;
  fY = record.whereV;
  fStartX = fX;
  fStartY = fY;
  fWhen = record.when;
  switch (record.what) {
    case kHostEventMouseDown:
      fButtonUp = 0;
      break;
    case kHostEventMouseUp:
      fButtonUp = 1;
      break;
    default:
      // The key word is the first 16 bits of the message as the host laid
      // it in memory, which on this machine are its low bits.
      if (record.what == kHostEventKeyWord) fKeyWord = static_cast<uint16_t>(record.message & 0xFFFF);
      fButtonUp = VSystemServices::IsAnyMouseButtonDown() ? 0 : 1;
      break;
  }
  fContextual = (record.modifiers & kHostModifierControl) ? 1 : 0;
  fCommand = (record.modifiers & kHostModifierCommand) ? 1 : 0;
  fOption = (record.modifiers & kHostModifierOption) ? 1 : 0;
  fShift = (record.modifiers & kHostModifierShift) ? 1 : 0;
  fHostRecord = record;
  fHasHostRecord = 1;
  fClickCount = 0;
}

void VEvent::GetHostRecord(VHostEventRecord& out) const {
  if (fHasHostRecord) out = fHostRecord;
}

int16_t VEvent::SetClickCount() {
  fClickCount = gSystemServices != nullptr ? gSystemServices->CountClicks(*this) : 0;
  return fClickCount;
}
