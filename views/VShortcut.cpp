// VShortcut and VCommandKey: shortcuts from host key event records, their
// matching and texts, 'XKEY' lists, and the key code tables.
#include "views/VShortcut.h"

#include "framework/core/strings/VUniString.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/ResourceBytes_p.h"
#include "platform/toolbox/TbxScript.h"

namespace {

// Ctrl+Backspace arrives as key 0x33 with the character 0x7F.
constexpr uint32_t kControlBackspace = 0x337F;
constexpr uint32_t kBackspace = 0x3308;
constexpr uint8_t kPendingCapacity = 4;

VResourceFile* KeyNameFile(VResourceFile* file) {
  if (file != nullptr) return file;
  return gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
}

void AppendKeyName(VString& out, VResourceFile* file, int16_t index) {
  file = KeyNameFile(file);
  if (file == nullptr) return;
  VStr<255> name;
  file->GetIndString(&name, kKeyNameList, index);
  out.CopyText(name);
}

}  // namespace

VShortcut::VShortcut(char16_t character, int16_t keyCode, bool command, bool option, bool shift)
    : fCharacter(character), fKeyCode(keyCode) {
  SetModifiers(command, option, shift);
}

VShortcut::VShortcut(char16_t character, int16_t keyCode, uint16_t modifiers)
    : VShortcut(character, keyCode, (modifiers & kHostModifierCommand) != 0,
                (modifiers & kHostModifierOption) != 0, (modifiers & kHostModifierShift) != 0) {}

VShortcut::VShortcut(const VHostEventRecord& record) { SetFromKeyEvent(record); }

void VShortcut::SetModifiers(bool command, bool option, bool shift) {
  fModifiers = static_cast<uint8_t>((command ? kShortcutCommand : 0) | (option ? kShortcutOption : 0) |
                                    (shift ? kShortcutShift : 0));
}

void VShortcut::SetSignificance(uint8_t bits) {
  fModifiers = static_cast<uint8_t>((fModifiers & ~kShortcutSignificance) | (bits & kShortcutSignificance));
}

bool VShortcut::SetFromKeyEvent(const VHostEventRecord& record) {
  uintptr_t message = record.message;
  uint16_t modifiers = record.modifiers;
  if ((message & 0xFFFF) == kControlBackspace) {
    message = (message & ~uintptr_t{0xFFFF}) | kBackspace;
    modifiers |= kHostModifierCommand;
  }
  // The pending bytes hold four; a fifth starts them again rather than
  // running past them.
  if (fPending[0] >= kPendingCapacity) fPending[0] = 0;
  fPending[1 + fPending[0]] = static_cast<uint8_t>(message & 0xFF);
  ++fPending[0];
  const auto script = static_cast<int16_t>(Tbx::GetScriptManagerVariable(Tbx::smKeyScript));
  if (Tbx::CharacterByteType(fPending + 1, static_cast<int16_t>(fPending[0] - 1), script) ==
      Tbx::smFirstByte) {
    fPendingRecord = record;
    fHasEventRecord = 0;
    fCharacter = 0;
    fKeyCode = 0;
    fModifiers = 0;
    return false;
  }

  char16_t unit = 0;
  if (script == Tbx::smRoman) {
    VStr<8> text;
    text.SetChars(reinterpret_cast<const char*>(fPending + 1), 0, fPending[0], 0);
    if (text.GetLength() > 0) unit = text.GetCharAt(1);
  } else {
    char16_t units[4] = {};
    if (Tbx::ScriptTextToUnicode(fPending + 1, fPending[0], script, units, 4) > 0) unit = units[0];
  }
  fCharacter = unit < 32 ? 0 : unit;
  fPending[0] = 0;

  fKeyCode = MacKeyToKeyCode(static_cast<uint8_t>((message >> 8) & 0xFF));
  SetModifiers((modifiers & kHostModifierCommand) != 0, (modifiers & kHostModifierOption) != 0,
               (modifiers & kHostModifierShift) != 0);
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

bool VShortcut::Matches(const VShortcut& other) const {
  const uint8_t significant = fModifiers | other.fModifiers;
  const uint8_t differing = fModifiers ^ other.fModifiers;
  if ((significant & kShortcutCommandSignificant) && (differing & kShortcutCommand)) return false;
  if ((significant & kShortcutOptionSignificant) && (differing & kShortcutOption)) return false;
  if ((significant & kShortcutShiftSignificant) && (differing & kShortcutShift)) return false;
  return fKeyCode == other.fKeyCode;
}

void VShortcut::GetKeyText(VString& out, VResourceFile* file) const {
  out.SetEmpty(false);
  const int16_t index = KeyCodeToNameIndex(fKeyCode);
  if (index != 0) {
    AppendKeyName(out, file, index);
  } else if (fKeyCode >= kKeyPad0 && fKeyCode <= kKeyPad9) {
    out.AppendUniChar(static_cast<char16_t>(fKeyCode - 80));
  } else if (fKeyCode > 0) {
    out.AppendUniChar(static_cast<char16_t>(fKeyCode));
  }
}

VCommandKey::VCommandKey(int32_t commandId, int16_t keyCode, bool command, bool option, bool shift,
                         bool extraFlag)
    : VShortcut(0, keyCode, command, option, shift),
      fCommandId(commandId),
      fExtraFlag(extraFlag ? 1 : 0) {}

void VCommandKey::GetShortcutText(VString& out, VResourceFile* file) const {
  out.SetEmpty(false);
  bool any = false;
  if (IsCommand()) {
    AppendKeyName(out, file, kKeyNameCommand);
    any = true;
  }
  if (IsOption()) {
    if (any) out.AppendUniChar(u'+');
    AppendKeyName(out, file, kKeyNameOption);
    any = true;
  }
  if (IsShift()) {
    if (any) out.AppendUniChar(u'+');
    AppendKeyName(out, file, kKeyNameShift);
    any = true;
  }
  if (any) out.AppendUniChar(u'+');
  VStr<255> key;
  GetKeyText(key, file);
  out.CopyText(key);
}

int32_t ReadKeyRecords(const uint8_t* data, size_t size,
                       const std::function<bool(const VKeyRecord&)>& visit) {
  VByteReader reader(data, size);
  const uint16_t claimed = reader.U16();
  if (reader.Failed()) return 0;
  // A count beyond the data counts only the whole records there are.
  const size_t held = reader.Remaining() / kKeyRecordSize;
  const size_t count = claimed < held ? claimed : held;
  int32_t visited = 0;
  for (size_t i = 0; i < count; ++i) {
    VKeyRecord record{};
    record.commandId = reader.I32();
    record.keyCode = reader.U8();
    record.flags = reader.U8();
    if (reader.Failed()) break;
    ++visited;
    if (!visit(record)) break;
  }
  return visited;
}

void LoadKeyShortcuts(VListOf<VCommandKey*>& list, VResourceFile* file, int16_t id) {
  if (file == nullptr) return;
  const VResourceRef ref = file->GetResource(kResTypeKeyShortcuts, id, nullptr);
  if (ref == 0) return;
  LockedResource resource(file, ref);
  list.RemoveAll(true);
  if (resource.Data() == nullptr) return;
  LoadKeyShortcutBytes(list, resource.Data(), resource.Size());
}

void LoadKeyShortcutBytes(VListOf<VCommandKey*>& list, const uint8_t* data, size_t size) {
  list.RemoveAll(true);
  ReadKeyRecords(data, size, [&](const VKeyRecord& record) {
    const uint8_t f = record.flags;
    auto* key = new VCommandKey(record.commandId, record.keyCode, (f & 0x80) != 0, (f & 0x40) != 0,
                                (f & 0x20) != 0, (f & 0x10) != 0);
    key->SetSignificance(static_cast<uint8_t>(((f & 0x08) ? kShortcutCommandSignificant : 0) |
                                              ((f & 0x04) ? kShortcutOptionSignificant : 0) |
                                              ((f & 0x02) ? kShortcutShiftSignificant : 0)));
    list.AddLast(&key);
    return true;
  });
}

int16_t VirtualKeyToKeyCode(int32_t virtualKey) {
  if ((virtualKey >= 48 && virtualKey <= 57) || (virtualKey >= 65 && virtualKey <= 90))
    return static_cast<int16_t>(virtualKey);
  if (virtualKey >= 96 && virtualKey <= 105) return static_cast<int16_t>(virtualKey - 96 + kKeyPad0);
  if (virtualKey >= 112 && virtualKey <= 123) return static_cast<int16_t>(virtualKey - 112 + kKeyF1);
  switch (virtualKey) {
    case 3: return kKeyCancel;
    case 8: return kKeyBackspace;
    case 9: return kKeyTab;
    case 12: return kKeyDelete;
    case 13: return kKeyReturn;
    case 16:
    case 160:
    case 161: return kKeyShift;
    case 17:
    case 162:
    case 163: return kKeyControl;
    case 19: return kKeyPause;
    case 27: return kKeyEscape;
    case 32: return kKeySpace;
    case 33: return kKeyPageUp;
    case 34: return kKeyPageDown;
    case 35: return kKeyEnd;
    case 36: return kKeyHome;
    case 37: return kKeyLeft;
    case 38: return kKeyUp;
    case 39: return kKeyRight;
    case 40: return kKeyDown;
    case 42: return kKeyPrint;
    case 43: return kKeyEnter;
    case 45: return kKeyInsert;
    case 46: return kKeyDelete;
    case 47: return kKeyHelp;
    case 106: return 42;
    case 107: return 43;
    case 109: return 45;
    case 110: return 46;
    case 111: return 47;
    default: return 0;
  }
}

int16_t MacKeyToKeyCode(uint8_t macKey) {
  const uint8_t key = macKey & 0x7F;
  if (key >= 0x52 && key <= 0x59) return static_cast<int16_t>(key - 0x52 + kKeyPad0);
  switch (key) {
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
    default: break;
  }
  // Any other key: what it types with Shift in the current layout, when
  // that is a digit or a capital letter.
  const auto* layout = reinterpret_cast<const void*>(Tbx::GetScriptManagerVariable(Tbx::smKCHRCache));
  uint32_t state = 0;
  const auto c = static_cast<uint8_t>(Tbx::KeyTranslate(layout, Tbx::kTranslateShift | key, &state) & 0xFF);
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
  return 0;
}

int16_t KeyCodeToNameIndex(int16_t keyCode) {
  if (keyCode >= kKeyF1 && keyCode <= kKeyF12) return static_cast<int16_t>(keyCode - kKeyF1 + 5);
  switch (keyCode) {
    case 9: return 30;
    case 13: return 37;
    case 32: return 31;
    case 138: return 22;
    case 139: return 23;
    case 140: return 24;
    case 141: return 25;
    case 142: return 26;
    case 143: return 27;
    case 144: return 28;
    case 145: return 29;
    case 149: return 33;
    case 150: return 21;
    case 152: return 34;
    case 153: return 35;
    case 154: return 20;
    case 155: return 17;
    case 156: return 18;
    case 157: return 19;
    default: return 0;
  }
}

int16_t MacKeyToNameIndex(uint8_t macKey) {
  switch (macKey) {
    case 0x24: return 37;
    case 0x30: return 30;
    case 0x31: return 31;
    case 0x33: return 33;
    case 0x34:
    case 0x4C: return 34;
    case 0x35: return 35;
    case 0x60: return 9;
    case 0x61: return 10;
    case 0x62: return 11;
    case 0x63: return 7;
    case 0x64: return 12;
    case 0x65: return 13;
    case 0x67: return 15;
    case 0x69: return 17;
    case 0x6B: return 18;
    case 0x6D: return 14;
    case 0x6F: return 16;
    case 0x71: return 19;
    case 0x72: return 20;
    case 0x73: return 22;
    case 0x74: return 24;
    case 0x75: return 21;
    case 0x76: return 8;
    case 0x77: return 23;
    case 0x78: return 6;
    case 0x79: return 25;
    case 0x7A: return 5;
    case 0x7B: return 26;
    case 0x7C: return 27;
    case 0x7D: return 29;
    case 0x7E: return 28;
    default: return 0;
  }
}
