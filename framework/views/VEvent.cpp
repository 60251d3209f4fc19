// VEvent: events from explicit values and their click count.
#include "framework/views/VEvent.h"

#include "framework/system/environment/VSystemServices.h"

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

int16_t VEvent::SetClickCount() {
  fClickCount = gSystemServices != nullptr ? gSystemServices->CountClicks(*this) : 0;
  return fClickCount;
}
