// VShortcut: shortcuts from host key event records, and the table of the
// Macintosh key codes.
#include "framework/views/VShortcut.h"

#include <cstring>

#include "framework/core/strings/VUniString.h"

namespace {

// Ctrl+Backspace arrives as key 0x33 with the character 0x7F.
constexpr uint16_t kControlBackspace = 0x337F;
constexpr uint16_t kBackspace = 0x3308;

}  // namespace

VShortcut::VShortcut(const VHostEventRecord& record) { SetFromKeyEvent(record); }

bool VShortcut::SetFromKeyEvent(const VHostEventRecord& record) {
  uint32_t message = record.message;
  uint16_t modifiers = record.modifiers;
  if ((message & 0xFFFF) == kControlBackspace) {
    message = (message & 0xFFFF0000u) | kBackspace;
    modifiers |= kHostModifierCommand;
  }
  // The pending bytes hold one character; Macintosh Roman has no
  // two-byte characters, so every byte completes one.
  const auto byte = static_cast<uint8_t>(message & 0xFF);
  fPending[0] = 1;
  fPending[1] = byte;
  VStr<4> text;
  text.SetChars(reinterpret_cast<const char*>(fPending + 1), 0, fPending[0], 0);
  const char16_t unit = text.GetLength() > 0 ? text.GetCharAt(1) : 0;
  fCharacter = unit < 32 ? 0 : unit;
  std::memset(fPending, 0, sizeof fPending);

  fKeyCode = MacKeyToKeyCode(static_cast<uint8_t>((message >> 8) & 0xFF));
  fModifiers = static_cast<uint8_t>(((modifiers & kHostModifierCommand) ? kShortcutCommand : 0) |
                                    ((modifiers & kHostModifierOption) ? kShortcutOption : 0) |
                                    ((modifiers & kHostModifierShift) ? kShortcutShift : 0));
  fRecord = record;
  fRecord.message = message;
  fRecord.modifiers = modifiers;
  fHasEventRecord = 1;
  return true;
}

uint8_t VShortcut::GetCharCode() const {
  if (fHasEventRecord) return static_cast<uint8_t>(fRecord.message & 0xFF);
  VStr<2> text;
  text.SetUniChar(fCharacter);
  uint8_t pascal[4] = {};
  text.GetPText(pascal, 2, 0);
  return pascal[0] > 0 ? pascal[1] : 0;
}

void VShortcut::GetEventRecord(VHostEventRecord& out) const {
  if (fHasEventRecord) out = fRecord;
}

int16_t MacKeyToKeyCode(uint8_t macKey) {
  switch (macKey & 0x7F) {
    case 0x24: return 13;
    case 0x2C: return 61;
    case 0x30: return 9;
    case 0x31: return 32;
    case 0x33: return 149;
    case 0x34:
    case 0x4C: return 152;
    case 0x35: return 153;
    case 0x41: return 46;
    case 0x43: return 42;
    case 0x45: return 43;
    case 0x4B: return 47;
    case 0x4E: return 45;
    case 0x52: return 128;
    case 0x53: return 129;
    case 0x54: return 130;
    case 0x55: return 131;
    case 0x56: return 132;
    case 0x57: return 133;
    case 0x58: return 134;
    case 0x59: return 135;
    case 0x5B: return 136;
    case 0x5C: return 137;
    case 0x60: return 162;
    case 0x61: return 163;
    case 0x62: return 164;
    case 0x63: return 160;
    case 0x64: return 165;
    case 0x65: return 166;
    case 0x67: return 168;
    case 0x69: return 155;
    case 0x6B: return 156;
    case 0x6D: return 167;
    case 0x6F: return 169;
    case 0x71: return 157;
    case 0x72: return 154;
    case 0x73: return 138;
    case 0x74: return 140;
    case 0x75: return 150;
    case 0x76: return 161;
    case 0x77: return 139;
    case 0x78: return 159;
    case 0x79: return 141;
    case 0x7A: return 158;
    case 0x7B: return 142;
    case 0x7C: return 143;
    case 0x7D: return 145;
    case 0x7E: return 144;
    default: return 0;
  }
}
