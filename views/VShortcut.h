// VShortcut: a key press as the framework carries it (the character typed,
// the framework's key code of the key and the command, option and shift
// modifiers, with the host's key event record it came from), and the same
// as the pattern of a keyboard shortcut; VCommandKey binds such a pattern to
// a command. Also the framework's key codes and the tables that give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "framework/core/VObject.h"
#include "framework/core/containers/VListOf.h"
#include "framework/core/host/VHostBridge.h"
#include "views/VEvent.h"

class VResourceFile;
class VString;

// The modifier flags of a shortcut: the modifier, and whether it counts when
// shortcuts are matched.
constexpr uint8_t kShortcutCommand = 0x01;
constexpr uint8_t kShortcutCommandSignificant = 0x02;
constexpr uint8_t kShortcutOption = 0x04;
constexpr uint8_t kShortcutOptionSignificant = 0x08;
constexpr uint8_t kShortcutShift = 0x10;
constexpr uint8_t kShortcutShiftSignificant = 0x20;
constexpr uint8_t kShortcutSignificance =
    kShortcutCommandSignificant | kShortcutOptionSignificant | kShortcutShiftSignificant;

// Framework key codes of the keys that are not their character.
constexpr int16_t kKeyTab = 9;
constexpr int16_t kKeyReturn = 13;
constexpr int16_t kKeySpace = 32;
constexpr int16_t kKeyPad0 = 128;
constexpr int16_t kKeyPad9 = 137;
constexpr int16_t kKeyHome = 138;
constexpr int16_t kKeyEnd = 139;
constexpr int16_t kKeyPageUp = 140;
constexpr int16_t kKeyPageDown = 141;
constexpr int16_t kKeyLeft = 142;
constexpr int16_t kKeyRight = 143;
constexpr int16_t kKeyUp = 144;
constexpr int16_t kKeyDown = 145;
constexpr int16_t kKeyControl = 146;
constexpr int16_t kKeyShift = 148;
constexpr int16_t kKeyBackspace = 149;
constexpr int16_t kKeyDelete = 150;
constexpr int16_t kKeyInsert = 151;
constexpr int16_t kKeyEnter = 152;
constexpr int16_t kKeyEscape = 153;
constexpr int16_t kKeyHelp = 154;
constexpr int16_t kKeyPrint = 155;
constexpr int16_t kKeyCancel = 156;
constexpr int16_t kKeyPause = 157;
constexpr int16_t kKeyF1 = 158;
constexpr int16_t kKeyF12 = 169;

// The key names: items of this 'STR#' list of the module's resource file.
constexpr int16_t kKeyNameList = 9000;
constexpr int16_t kKeyNameCommand = 2;
constexpr int16_t kKeyNameOption = 3;
constexpr int16_t kKeyNameShift = 4;

class VShortcut : public VObject {
 public:
  VShortcut() = default;
  VShortcut(char16_t character, int16_t keyCode, bool command, bool option, bool shift);
  // Modifiers as the host's records give them (0x100 command, 0x800
  // option, 0x200 shift).
  VShortcut(char16_t character, int16_t keyCode, uint16_t modifiers);
  explicit VShortcut(const VHostEventRecord& record);

  // Takes a key event: the character (0 for control characters), the key
  // code of the record's key and its modifiers; false while the record is
  // the first byte of a double-byte character, which the next completes.
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
  bool IsCommand() const { return (fModifiers & kShortcutCommand) != 0; }
  bool IsOption() const { return (fModifiers & kShortcutOption) != 0; }
  bool IsShift() const { return (fModifiers & kShortcutShift) != 0; }
  // Sets the three significance bits from kShortcut...Significant bits.
  void SetSignificance(uint8_t bits);

  // Equal key codes, and equal modifiers where either side marks one
  // significant; the character is not compared.
  bool Matches(const VShortcut& other) const;
  bool Differs(const VShortcut& other) const { return !Matches(other); }

  // The key's name: a named key's item of the key-name list of the file
  // (null: the module's resource file), a keypad digit as the digit, any
  // other key as the character of its code.
  void GetKeyText(VString& out, VResourceFile* file = nullptr) const;

 private:
  void SetModifiers(bool command, bool option, bool shift);

  VHostEventRecord fRecord{};
  uint8_t fHasEventRecord = 0;
  VHostEventRecord fPendingRecord{};
  uint8_t fPending[5] = {};  // a length byte, then the bytes received so far
  char16_t fCharacter = 0;
  int16_t fKeyCode = 0;
  uint8_t fModifiers = 0;
};

class VCommandKey : public VShortcut {
 public:
  VCommandKey(int32_t commandId, int16_t keyCode, bool command, bool option, bool shift,
              bool extraFlag);

  // "Ctrl+Shift+F5": the modifier names joined by "+", then the key text.
  virtual void GetShortcutText(VString& out, VResourceFile* file = nullptr) const;

  int32_t GetCommandId() const { return fCommandId; }
  bool GetExtraFlag() const { return fExtraFlag != 0; }
  bool SameCommand(const VCommandKey& other) const { return fCommandId == other.fCommandId; }

 private:
  int32_t fCommandId;
  uint8_t fExtraFlag;
};

constexpr uint32_t kResTypeKeyShortcuts = FourCC("XKEY");

// 'XKEY', in native order once the resource layer has converted it:
//   count  u16
//   then count records of 6 bytes:
//     command id  s32
//     key code    u8   framework key code
//     flags       u8   bit 7 command, 6 option, 5 shift, 4 the command
//                      key's extra flag, 3 command significant, 2 option
//                      significant, 1 shift significant
// The count is trusted only as far as the data holds whole records.
constexpr size_t kKeyRecordSize = 6;

struct VKeyRecord {
  int32_t commandId;
  uint8_t keyCode;
  uint8_t flags;
};

// Walks the whole records of 'XKEY' bytes (native order); stops early when
// `visit` answers false. Answers the number of records visited.
int32_t ReadKeyRecords(const uint8_t* data, size_t size,
                       const std::function<bool(const VKeyRecord&)>& visit);
// Fills the list (emptied first, its objects not deleted) from 'XKEY' `id`
// of the file; a missing resource leaves the list alone. The caller owns
// the new objects.
void LoadKeyShortcuts(VListOf<VCommandKey*>& list, VResourceFile* file, int16_t id);
// The same from bytes in native order.
void LoadKeyShortcutBytes(VListOf<VCommandKey*>& list, const uint8_t* data, size_t size);

// The framework's key code of a Windows virtual key; 0 for one without.
int16_t VirtualKeyToKeyCode(int32_t virtualKey);
// The framework's key code of a Macintosh key code (masked to 7 bits): the
// keys of the fixed table, then the digit or capital letter the key types
// with Shift in the current keyboard layout; 0 otherwise.
int16_t MacKeyToKeyCode(uint8_t macKey);
// The key-name item of a key code or of a Macintosh key code; 0 for none.
int16_t KeyCodeToNameIndex(int16_t keyCode);
int16_t MacKeyToNameIndex(uint8_t macKey);
