// The host-language commands that read and set the package's and the
// areas' state: options, the user's methods, errors and their messages,
// offscreen areas, allowed commands and command values, the editing lock.
// The other numbers reach their place here and wait for their commands.
#include <cstring>

#include "area/commands/xMorvaAreaCommands.h"
#include "area/commands/xMorvaLowTextCommands.h"
#include "area/commands/xMorvaTableCommands.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"

namespace {

using xMorvaCommandParams::LongAt;
using xMorvaCommandParams::WordAt;

// ---- The value forms of the parameters: each pointer may be null, and a
// null one reads as 0 or the empty text and takes no output.

uint32_t ReferenceOf(void** p) { return p != nullptr && p[0] != nullptr ? *static_cast<const uint32_t*>(p[0]) : 0; }

// A length-byte string in the Macintosh character set.
void StringAt(void** p, int i, VString& out) {
  out.SetEmpty(false);
  if (p != nullptr && p[i] != nullptr) out.SetMacPText(static_cast<const uint8_t*>(p[i]));
}

void PutLong(void* slot, int32_t value) {
  if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}

void PutWord(void* slot, int16_t value) {
  if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}

// A string result or output: a length-byte string of at most 255 bytes in
// the host's 256-byte buffer.
void PutString(void* buffer, const VString& text) {
  if (buffer != nullptr) text.GetPText(static_cast<uint8_t*>(buffer), 255, kCharSetMac);
}

void ClearString(void* buffer) {
  if (buffer != nullptr) static_cast<uint8_t*>(buffer)[0] = 0;
}

void* At(void** p, int i) { return p != nullptr ? p[i] : nullptr; }

// Which method a command names.
enum : int32_t { kCallbackMethod, kCommandMethod, kEventMethod };

}  // namespace

void xMorvaMain::RunLowCommand(int32_t selector, void** p, void* result) {
  switch (selector) {
    case 4: xMorvaPrinting::CommandPrint(*this, p); break;
    case 5: xMorvaPrinting::CommandMailing(*this, p); break;
    case 26: xMorvaPrinting::CommandPrintedPage(result); break;
    case 28: CommandLastError(p, result); break;
    case 36: CommandNewAreaFromBlob(p, result); break;
    case 37:
    case 51: CommandWriteBlob(selector, p, result); break;
    case 49: CommandReadBlob(selector, p); break;
    case 38: CommandDeleteOffscreen(p); break;
    case 48: CommandOpenFile(p); break;
    case 50: CommandSaveFile(p); break;
    case 42: CommandLockArea(p); break;
    case 39: {
      const int16_t code = WordAt(p, 0);
      VStr<255> message;
      if (code > 999 && code < 1101) GetListString(message, kErrorTextListOffset, static_cast<int16_t>(code - 999));
      PutString(result, message);
      break;
    }
    case 47: CommandNewOffscreen(result); break;
    case 52: {
      VStr<255> name;
      StringAt(p, 0, name);
      fErrorMethod.Set(name);
      break;
    }
    case 57: SetMethodOfArea(p, kCommandMethod); break;
    case 58: SetMethodOfArea(p, kEventMethod); break;
    case 9:
    case 10:
    case 29:
    case 30:
    case 43:
    case 46:
    case 77:
    case 78:
    case 86:
    case 87: xMorvaAreaCommands::RunViewCommand(*this, selector, p, result); break;
    case 25:
    case 44:
    case 53: xMorvaAreaCommands::RunMenuCommand(*this, selector, p); break;
    case 54: xMorvaAreaCommands::InsertBlob(*this, p, result); break;
    case 45: xMorvaAreaCommands::SaveToHost(*this, p); break;
    case 31:
    case 32:
    case 65:
    case 79:
    case 80:
    case 91: xMorvaAreaCommands::RunFontCommand(selector, p, result); break;
    // Numbers that do nothing, record nothing and leave the result alone.
    case 6:
    case 7:
    case 8:
    case 23:
    case 33:
    case 55:
    case 56:
    case 64:
    case 66:
    case 67:
    case 81:
    case 82:
    case 83: break;
    case 2:
    case 3:
    case 27:
    case 59:
    case 84: xMorvaLowTextCommands::RunSelectionCommand(*this, selector, p, result); break;
    case 19:
    case 20:
    case 21:
    case 40:
    case 88:
    case 89:
    case 90: xMorvaLowTextCommands::RunTextCommand(*this, selector, p, result); break;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 61:
    case 63: xMorvaLowTextCommands::RunAttributeCommand(*this, selector, p, result); break;
    case 17:
    case 18: xMorvaLowTextCommands::RunTabCommand(*this, selector, p, result); break;
    case 22:
    case 24:
    case 60: xMorvaLowTextCommands::RunReferenceCommand(*this, selector, p, result); break;
    case 68:
    case 69:
    case 70:
    case 71: xMorvaLowTextCommands::RunPictureCommand(*this, selector, p, result); break;
    case 72:
    case 73:
    case 74:
    case 75:
    case 76: xMorvaLowTextCommands::RunStyleSheetCommand(*this, selector, p, result); break;
    case 34:
    case 35: xMorvaLowTextCommands::RunFindCommand(*this, selector, p, result); break;
    case 41:
    case 62:
    case 85: xMorvaLowTextCommands::RunCountCommand(*this, selector, p, result); break;
    default:
      // The other low commands come with the editing commands.
      break;
  }
}

void xMorvaMain::RunTableCommand(int32_t selector, void** p, void* result) {
  switch (selector) {
    case 114:
    case 146: CommandAreaSwitch(selector, p); break;
    case 115: CommandCommandState(p, true); break;
    case 139:
    case 140: CommandWriteBlob(selector, p, result); break;
    case 141:
    case 142: CommandReadBlob(selector, p); break;
    case 116: SetMethodOfArea(p, kCallbackMethod); break;
    case 137: CommandOptions(true, p); break;
    case 138: CommandOptions(false, p); break;
    case 119:
    case 121:
    case 122:
    case 123:
    case 124:
    case 125:
    case 126:
    case 136:
    case 165: xMorvaTableCommands::RunPictureCommand(*this, selector, p, result); break;
    case 117:
    case 118:
    case 120:
    case 127:
    case 128:
    case 135:
    case 147:
    case 156:
    case 166:
    case 167:
    case 168:
    case 169: xMorvaTableCommands::RunElementCommand(*this, selector, p, result); break;
    case 143:
    case 144:
    case 145: xMorvaTableCommands::RunCountCommand(*this, selector, p, result); break;
    case 170: ReadMethodOfArea(p, result, kEventMethod); break;
    case 171: ReadMethodOfArea(p, result, kCallbackMethod); break;
    case 100:
    case 101:
    case 106:
    case 129:
    case 134:
    case 162:
    case 163:
    case 164: xMorvaTextCommands::RunSelectionCommand(*this, selector, p, result); break;
    case 102:
    case 103:
    case 104:
    case 105:
    case 108:
    case 109: xMorvaTextCommands::RunFormatCommand(*this, selector, p, result); break;
    case 110:
    case 111:
    case 112: xMorvaTextCommands::RunFindCommand(*this, selector, p, result); break;
    case 113: xMorvaTextCommands::RunDocumentCommand(*this, p); break;
    case 130:
    case 131:
    case 132:
    case 133: xMorvaTextCommands::RunTabCommand(*this, selector, p, result); break;
    case 107:
    case 148:
    case 149:
    case 150:
    case 151:
    case 152:
    case 153:
    case 154:
    case 155:
    case 157:
    case 158:
    case 159:
    case 160:
    case 161: xMorvaTextCommands::RunStyleSheetCommand(*this, selector, p, result); break;
    case 172: {
      VStr<31> name;
      fErrorMethod.GetName(name);
      PutString(result, name);
      break;
    }
    default:
      // The other table commands come with the editing commands.
      break;
  }
}

void xMorvaMain::CommandLastError(void** p, void* result) {
  PutLong(result, kErrorNoSuchArea);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  const int32_t code = object->GetCommandState().lastError;
  PutLong(result, code);
  // Recorded again: it stays the last error, and the error method hears of
  // it once more.
  ReportCommandError(code);
}

void xMorvaMain::CommandDeleteOffscreen(void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  int32_t kind = kPlugInNone;
  FindReference(object->GetReference(), kind);
  xMorvaPlugIn* area = object->GetEditingArea();
  if (kind != kPlugInOffscreen || area == nullptr) {
    ReportCommandError(kErrorNoSuchArea);
    return;
  }
  // The code goes before the area: its document is gone afterwards.
  ReportCommandError(0);
  area->Close();
  delete area;
}

void xMorvaMain::CommandLockArea(void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    const bool locked = WordAt(p, 1) != 0;
    SetAreaLocked(*area, locked);
    SetEditingLocked(*area, locked);
    // What is shown hides while locked; unlocking shows the rulers again.
    area->ShowBars(locked);
    document->Refresh(false, true);
    UpdateBarState(*area, true);
  }
  ReportCommandError(0);
}

void xMorvaMain::CommandNewOffscreen(void* result) {
  PutLong(result, 0);
  if (!MayCallMethods()) return;
  auto* area = new xMorvaPlugIn(this);
  area->ReloadCommands();
  PutLong(result, static_cast<int32_t>(area->GetReference()));
}

void xMorvaMain::SetMethodOfArea(void** p, int32_t which) {
  const int textIndex = which == kEventMethod ? 2 : 1;
  const int16_t kind = which == kEventMethod ? WordAt(p, 1) : 0;
  VStr<255> name;
  StringAt(p, textIndex, name);
  if (ReferenceOf(p) == 0) {
    // The package's own method; nothing recorded.
    xMorvaUserMethod* method = which == kCallbackMethod  ? &fCallbackMethod
                               : which == kCommandMethod ? &fCommandMethod
                                                         : fEventMethods.ForKind(kind);
    if (method != nullptr) method->Set(name);
    return;
  }
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  int32_t code = 0;
  if (which == kCallbackMethod) {
    object->GetCommandState().callback.Set(name);
  } else if (which == kCommandMethod) {
    object->GetCommandState().command.Set(name);
  } else if (xMorvaPlugIn* area = object->GetAreaObject()) {
    xMorvaUserMethod* method = area->GetEventMethods().ForKind(kind);
    if (method != nullptr) {
      method->Set(name);
    } else {
      code = kErrorEventKind;
    }
  }
  ReportCommandError(code);
}

void xMorvaMain::ReadMethodOfArea(void** p, void* result, int32_t which) {
  ClearString(result);
  const int16_t kind = which == kEventMethod ? WordAt(p, 1) : 0;
  VStr<31> name;
  if (ReferenceOf(p) == 0) {
    // The package's own method; nothing recorded.
    xMorvaUserMethod* method = which == kCallbackMethod ? &fCallbackMethod : fEventMethods.ForKind(kind);
    if (method != nullptr) method->GetName(name);
    PutString(result, name);
    return;
  }
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  int32_t code = 0;
  if (which == kCallbackMethod) {
    object->GetCommandState().callback.GetName(name);
  } else if (!xMorvaEventMethods::IsKind(kind)) {
    code = kErrorEventKind;
  } else if (xMorvaPlugIn* area = object->GetEditingArea()) {
    area->GetEventMethods().ForKind(kind)->GetName(name);
  }
  PutString(result, name);
  ReportCommandError(code);
}

void xMorvaMain::CommandOptions(bool set, void** p) {
  const int16_t option = WordAt(p, 1);
  VStr<255> text;
  if (set) {
    StringAt(p, 3, text);
  } else {
    PutWord(At(p, 2), 0);
    ClearString(At(p, 3));
  }
  int32_t code = 0;
  uint16_t value = 0;
  if (ReferenceOf(p) == 0) {
    SetCurrent(nullptr, nullptr, 0);
    code = set ? SetOption(option, WordAt(p, 2), &text) : GetOption(option, value, &text);
  } else {
    xMorvaDocument* document = nullptr;
    xMorvaHostObject* object = nullptr;
    if (!ResolveArea(p, document, object)) return;
    code = set ? document->SetAreaSetting(option, WordAt(p, 2), &text)
               : document->GetAreaSetting(option, value, &text);
  }
  if (!set && code == 0) {
    PutWord(At(p, 2), static_cast<int16_t>(value));
    PutString(At(p, 3), text);
  }
  ReportCommandError(code);
}

void xMorvaMain::CommandCommandState(void** p, bool) {
  const int32_t id = LongAt(p, 1);
  PutLong(At(p, 2), 0);
  ClearString(At(p, 3));
  ClearString(At(p, 4));
  PutWord(At(p, 5), 0);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetEditingArea()) {
    UpdateBarState(*area, true);
    VStr<255> text;
    PutLong(At(p, 2), area->VFrame::GetCommandLong(id));
    area->VFrame::GetCommandString(text, id);
    PutString(At(p, 3), text);
    text.SetEmpty(false);
    area->GetCommandTitle(text, id);
    PutString(At(p, 4), text);
    PutWord(At(p, 5), area->IsCommandEnabled(id) ? 1 : 0);
  }
  ReportCommandError(0);
}

void xMorvaMain::CommandAreaSwitch(int32_t selector, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetEditingArea()) {
    if (selector == 114) {
      // p[2] = 0 allows the command, any other value forbids it.
      SetCommandAllowed(*area, LongAt(p, 1), WordAt(p, 2) == 0);
    } else {
      SetEditingLocked(*area, WordAt(p, 1) != 0);
    }
  }
  ReportCommandError(0);
}
