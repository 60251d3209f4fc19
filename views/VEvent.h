// VEvent: one user action at a point: where and when it happened, the button
// and modifier state that went with it, how many clicks it completes and,
// when it came from the host, a copy of the host's event record.
#pragma once

#include <cstdint>

#include "framework/core/host/VHostBridge.h"
#include "graphics/VPoint.h"

// Event codes of the host's records that change how an event is filled.
constexpr uint16_t kHostEventMouseDown = 1;
constexpr uint16_t kHostEventMouseUp = 2;
constexpr uint16_t kHostEventKeyWord = 39;

// Modifier bits of the host's event records.
constexpr uint16_t kHostModifierCommand = 0x0100;
constexpr uint16_t kHostModifierShift = 0x0200;
constexpr uint16_t kHostModifierOption = 0x0800;
constexpr uint16_t kHostModifierControl = 0x1000;

// The command flag stands for the Ctrl key and the option flag for Alt.
class VEvent : public VPoint {
 public:
  // The current state: the mouse position in screen coordinates, the tick
  // count, the buttons (the right one makes the event contextual) and the
  // modifier keys; click count and key word 0.
  VEvent();
  VEvent(int32_t x, int32_t y, uint32_t when, bool buttonUp, bool contextual, bool command,
         bool option, bool shift, int16_t clickCount, uint16_t keyWord);
  explicit VEvent(const VHostEventRecord& record);
  // Takes everything but the host record: a copy has none.
  VEvent(const VEvent& other);
  VEvent& operator=(const VEvent& other);

  virtual void SetWhen(uint32_t when) { fWhen = when; }
  virtual void SetButtonUp(bool up) { fButtonUp = up ? 1 : 0; }
  virtual void SetButtonDown(bool down) { fButtonUp = down ? 0 : 1; }
  virtual void SetContextualUp(bool up) { fContextual = up ? 0 : 1; }
  virtual void SetContextual(bool contextual) { fContextual = contextual ? 1 : 0; }
  virtual void SetCommand(bool command) { fCommand = command ? 1 : 0; }
  virtual void SetOption(bool option) { fOption = option ? 1 : 0; }
  virtual void SetShift(bool shift) { fShift = shift ? 1 : 0; }

  // Fills the event from a host record: position, time, the button by the
  // event code, the modifiers, the key word of code 39; click count 0.
  void SetFromHostEvent(const VHostEventRecord& record);
  // Copies the stored record out; leaves `out` alone when there is none.
  void GetHostRecord(VHostEventRecord& out) const;

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
  // The character a key event typed (0 when it typed none or is not a key
  // event); the key word holds the framework's key code.
  char16_t GetCharacter() const { return fCharacter; }
  void SetCharacter(char16_t c) { fCharacter = c; }
  bool HasHostRecord() const { return fHasHostRecord != 0; }

  // Counts the clicks through the system environment (0 when there is none)
  // and keeps and answers the count.
  int16_t SetClickCount();
  int16_t GetClickCount() const { return fClickCount; }
  bool IsDoubleClick() const { return fClickCount >= 2; }
  bool IsTripleClick() const { return fClickCount >= 3; }
  bool IsQuadrupleClick() const { return fClickCount >= 4; }
  bool IsQuintupleClick() const { return fClickCount >= 5; }

 private:
  VHostEventRecord fHostRecord{};
  uint8_t fHasHostRecord = 0;
  uint32_t fWhen = 0;
  int32_t fStartX = 0;
  int32_t fStartY = 0;
  int16_t fClickCount = 0;
  uint8_t fButtonUp = 0;
  uint8_t fContextual = 0;
  uint8_t fCommand = 0;
  uint8_t fOption = 0;
  uint8_t fShift = 0;
  uint16_t fKeyWord = 0;
  char16_t fCharacter = 0;
};
