// VEvent: one user action at a point: where and when it happened, the button
// and modifier state that went with it, and how many clicks it completes.
// For now only what the system environment's click counting needs: events
// made from explicit values; the host's event records and the current state
// come with the rest of the view framework.
#pragma once

#include <cstdint>

#include "framework/core/host/VHostBridge.h"
#include "graphics/VPoint.h"

class VEvent : public VPoint {
 public:
  VEvent(int32_t x, int32_t y, uint32_t when, bool buttonUp, bool contextual, bool command,
         bool option, bool shift, int16_t clickCount, uint16_t keyWord);

  uint32_t GetWhen() const { return fWhen; }
  // The position when the event was made; Offset moves only the position.
  void GetStartPosition(int32_t& x, int32_t& y) const {
    x = fStartX;
    y = fStartY;
  }
  bool IsButtonUp() const { return fButtonUp != 0; }
  bool IsContextual() const { return fContextual != 0; }
  bool IsCommand() const { return fCommand != 0; }
  bool IsOption() const { return fOption != 0; }
  bool IsShift() const { return fShift != 0; }
  uint16_t GetKeyWord() const { return fKeyWord; }
  bool HasHostRecord() const { return fHasHostRecord != 0; }

  // Counts the clicks through the system environment (0 when there is none)
  // and keeps and answers the count.
  int16_t SetClickCount();
  int16_t GetClickCount() const { return fClickCount; }
  bool IsDoubleClick() const { return fClickCount >= 2; }
  bool IsTripleClick() const { return fClickCount >= 3; }

 private:
  VHostEventRecord fHostRecord{};
  uint8_t fHasHostRecord = 0;
  uint32_t fWhen;
  int32_t fStartX;
  int32_t fStartY;
  int16_t fClickCount;
  uint8_t fButtonUp;
  uint8_t fContextual;
  uint8_t fCommand;
  uint8_t fOption;
  uint8_t fShift;
  uint16_t fKeyWord;
};
