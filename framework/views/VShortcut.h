// VShortcut: a key press as the framework carries it: the character typed,
// the framework's key code of the key and the command, option and shift
// modifiers, with the host's key event record it came from. For now only
// what the system environment needs to hand a waiting key over: shortcuts
// made from a host key event record.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/views/VEvent.h"

// The modifier flags of a shortcut: the modifier, and whether it counts when
// shortcuts are matched.
constexpr uint8_t kShortcutCommand = 0x01;
constexpr uint8_t kShortcutCommandSignificant = 0x02;
constexpr uint8_t kShortcutOption = 0x04;
constexpr uint8_t kShortcutOptionSignificant = 0x08;
constexpr uint8_t kShortcutShift = 0x10;
constexpr uint8_t kShortcutShiftSignificant = 0x20;

class VShortcut : public VObject {
 public:
  VShortcut() = default;
  explicit VShortcut(const VHostEventRecord& record);

  // Takes a key event: the character (0 for control characters), the key
  // code of the record's key and its modifiers; true when the record
  // completed a character.
  virtual bool SetFromKeyEvent(const VHostEventRecord& record);
  // The character byte of the stored record, or the character as a
  // Macintosh byte when there is no record.
  virtual uint8_t GetCharCode() const;
  virtual bool HasEventRecord() const { return fHasEventRecord != 0; }

  // Copies the stored record out when there is one.
  void GetEventRecord(VHostEventRecord& out) const;
  char16_t GetCharacter() const { return fCharacter; }
  int16_t GetKeyCode() const { return fKeyCode; }
  uint8_t GetModifierFlags() const { return fModifiers; }

 private:
  VHostEventRecord fRecord{};
  uint8_t fHasEventRecord = 0;
  VHostEventRecord fPendingRecord{};
  uint8_t fPending[5] = {};  // a length byte, then the bytes received so far
  char16_t fCharacter = 0;
  int16_t fKeyCode = 0;
  uint8_t fModifiers = 0;
};

// The framework's key code of a Macintosh key code (masked to 7 bits); 0 for
// a key without one of its own. The keys whose code is their character
// (letters and digits) answer 0 until the keyboard layouts arrive.
int16_t MacKeyToKeyCode(uint8_t macKey);
