// What every host-language command shares: the split between the two
// executors, the resolution of the area reference, the closing report of
// the command's code, and the user's methods with the host's question
// before each call.
#include <iterator>

#include "area/xMorvaBarState.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VWord.h"
#include "framework/system/environment/VSystemServices.h"
#include "host/context/HostProcesses.h"
#include "host/context/VHostRoutineCall.h"

namespace {

// The command notification table: (user code, document command id) pairs,
// searched from the start; the first pair with the id wins, so the codes
// 703, 711, 9801 and 9908 are never sent.
struct NotificationPair {
  int16_t code;
  int16_t command;
};
constexpr NotificationPair kNotifications[] = {
    {101, 101},  {102, 102},  {103, 103},  {104, 104},  {106, 110},  {108, 802},  {110, 106},
    {115, 107},  {111, 108},  {112, 109},  {114, 20},   {201, 1},    {203, 3},    {204, 4},
    {205, 5},    {206, 6},    {208, 7},    {210, 316},  {211, 315},  {213, 105},  {219, 404},
    {401, 501},  {402, 502},  {403, 503},  {404, 522},  {406, 504},  {407, 506},  {408, 507},
    {418, 751},  {419, 613},  {423, 755},  {9901, 602}, {9902, 603}, {9903, 606}, {9904, 607},
    {9907, 605}, {9908, 613}, {9801, 755}, {501, 208},  {502, 209},  {503, 210},  {504, 211},
    {505, 212},  {507, 309},  {509, 807},  {601, 321},  {602, 322},  {603, 323},  {605, 311},
    {606, 317},  {608, 406},  {610, 701},  {611, 702},  {613, 711},  {614, 712},  {615, 713},
    {616, 714},  {618, 721},  {619, 722},  {620, 723},  {701, 407},  {703, 407},  {704, 412},
    {705, 411},  {706, 402},  {710, 314},  {711, 407},  {713, 804},  {0, 0}};
static_assert(std::size(kNotifications) == 69, "68 pairs and the closing pair");

// The Macintosh control characters of the keys are below 32 and so the
// same in both sets; a typed character is converted.
int16_t MacCharacter(int32_t value) {
  if (value < 0 || value > 0xFFFF || value < 128 || gIntlMgr == nullptr) return static_cast<int16_t>(value);
  return gIntlMgr->UniCharToMac(static_cast<char16_t>(value));
}

}  // namespace

// ---- Executors

void xMorvaMain::ExecuteCommand(int32_t selector, void* params, void* result) {
  if (selector >= kLowCommandEnd && (selector < kFirstTableCommand || selector > kLastTableCommand)) {
    return;  // 95 to 99 and numbers above 172 are no commands.
  }
  // A command that a user's method runs while another command is under way
  // has its own current document and area; the outer command gets its own
  // back, with its document still inside the host command.
  fOuterCommands.push_back({fCurrentDocument, fCurrentObject, fCurrentArea,
                            static_cast<uint8_t>(fCurrentDocument != nullptr && fCurrentDocument->IsInHostCommand())});
  SetCurrent(nullptr, nullptr, 0);
  auto** array = static_cast<void**>(params);
  if (selector < kLowCommandEnd) {
    ExecuteLowCommand(selector, array, result);
  } else {
    ExecuteTableCommand(selector, array, result);
  }
  const CommandFrame outer = fOuterCommands.back();
  fOuterCommands.pop_back();
  SetCurrent(outer.document, outer.object, outer.area);
  if (outer.document != nullptr) outer.document->SetInHostCommand(outer.inHostCommand != 0);
}

void xMorvaMain::ExecuteLowCommand(int32_t selector, void** params, void* result) {
  RunLowCommand(selector, params, result);
}

void xMorvaMain::ExecuteTableCommand(int32_t selector, void** params, void* result) {
  RunTableCommand(selector, params, result);
}

void xMorvaMain::SetCurrent(xMorvaDocument* document, xMorvaHostObject* object, uint32_t area) {
  fCurrentDocument = document;
  fCurrentObject = object;
  fCurrentArea = area;
}

void xMorvaMain::ForgetDocument(const xMorvaDocument* document) {
  if (document == nullptr) return;
  if (fCurrentDocument == document) SetCurrent(nullptr, nullptr, 0);
  for (CommandFrame& frame : fOuterCommands) {
    if (frame.document == document) frame = {nullptr, nullptr, 0, 0};
  }
}

// ---- Resolution and report

bool xMorvaMain::ResolveArea(void** params, xMorvaDocument*& document, xMorvaHostObject*& object) {
  document = nullptr;
  object = nullptr;
  const uint32_t reference =
      params != nullptr && params[0] != nullptr ? *static_cast<const uint32_t*>(params[0]) : 0;
  int32_t kind = kPlugInNone;
  xMorvaHostObject* found = FindReference(reference, kind);
  if (found == nullptr || kind == kPlugInDesign || found->GetDocument() == nullptr) {
    SetCurrent(nullptr, nullptr, 0);
    ReportCommandError(kErrorNoSuchArea);
    return false;
  }
  document = found->GetDocument();
  object = found;
  SetCurrent(document, object, reference);
  if (xMorvaUndo* undo = document->GetUndo()) undo->Commit();
  document->SetInHostCommand(true);
  return true;
}

void xMorvaMain::ReportCommandError(int32_t code) {
  if (fCurrentObject != nullptr) fCurrentObject->GetCommandState().lastError = code;
  if (code != 0 && fErrorMethod.on != 0 && fErrorMethod.busy == 0 && MayCallMethods()) {
    fErrorMethod.busy = 1;
    VStr<255> message;
    GetListString(message, kErrorTextListOffset, static_cast<int16_t>(code - 999));
    const VLong area(static_cast<int32_t>(fCurrentArea));
    const VLong number(code);
    const VValue* arguments[] = {&area, &number, &message};
    InvokeMethod(fErrorMethod.name, arguments, 3, false);
    fErrorMethod.busy = 0;
  }
  if (fCurrentDocument != nullptr) fCurrentDocument->SetInHostCommand(false);
}

// ---- User methods

bool xMorvaMain::MayCallMethods() {
  if (HostRoomLeft255(0) >= kMethodRoomNeeded) return true;
  ShowAlert(kAlertNoMethods);
  return false;
}

int32_t xMorvaMain::InvokeMethod(const VString& name, const VValue* const* arguments, int32_t count,
                                 bool function) {
  VHostRoutineCall call(name);
  VValue* answer = call.HostRoutineExecute(arguments, static_cast<uint32_t>(count));
  const int32_t number = function && answer != nullptr ? answer->GetLong(0) : 0;
  delete answer;
  return number;
}

bool xMorvaMain::CallAreaCallback(xMorvaHostObject& object, int32_t id) {
  for (xMorvaUserMethod* method : {&object.GetCommandState().callback, &fCallbackMethod}) {
    if (method->on == 0 || method->busy != 0) continue;
    method->busy = 1;
    CallCallbackMethod(object, method->name, id);
    method->busy = 0;
    return true;
  }
  return false;
}

void xMorvaMain::CallCallbackMethod(xMorvaHostObject& object, const VString& name, int32_t value) {
  if (!MayCallMethods()) return;
  fLastMethodValue = value;
  const VLong area(static_cast<int32_t>(object.GetReference()));
  const VLong id(value);
  const VValue* arguments[] = {&area, &id};
  InvokeMethod(name, arguments, 2, false);
  if (xMorvaPlugIn* plugIn = object.GetEditingArea()) UpdateBarState(*plugIn, true);
}

bool xMorvaMain::CallCommandMethod(xMorvaHostObject& object, int32_t id) {
  for (xMorvaUserMethod* method : {&object.GetCommandState().command, &fCommandMethod}) {
    if (method->on == 0 || method->busy != 0) continue;
    method->busy = 1;
    const bool notified = NotifyCommand(object, method->name, id);
    method->busy = 0;
    return notified;
  }
  return false;
}

bool xMorvaMain::NotifyCommand(xMorvaHostObject& object, const VString& name, int32_t id) {
  const int16_t code = UserCodeOfCommand(id);
  if (code == 0) return false;
  // A refusal still counts as notified: the command is not run.
  if (!MayCallMethods()) return true;
  fLastMethodValue = id;
  const VLong area(static_cast<int32_t>(object.GetReference()));
  const VLong user(code);
  const VLong modifiers(ModifierValue(VSystemServices::IsControlDown(), VSystemServices::IsShiftDown(),
                                      VSystemServices::IsCapsLockOn(), VSystemServices::IsAltDown()));
  const VValue* arguments[] = {&area, &user, &modifiers};
  InvokeMethod(name, arguments, 3, false);
  if (xMorvaPlugIn* plugIn = object.GetEditingArea()) UpdateBarState(*plugIn, true);
  return true;
}

bool xMorvaMain::CallEventCallback(xMorvaPlugIn* area, int32_t kind, int32_t value) {
  xMorvaUserMethod* candidates[4] = {};
  if (area != nullptr) {
    candidates[0] = area->GetEventMethods().ForKind(kind);
    candidates[1] = area->GetEventMethods().ForKind(kFirstEventKind);
  }
  candidates[2] = fEventMethods.ForKind(kind);
  candidates[3] = fEventMethods.ForKind(kFirstEventKind);
  for (xMorvaUserMethod* method : candidates) {
    if (method == nullptr || method->on == 0 || method->busy != 0) continue;
    method->busy = 1;
    const bool consumed = CallEventMethod(area, method->name, kind, value);
    method->busy = 0;
    return consumed;
  }
  return false;
}

bool xMorvaMain::CallEventMethod(xMorvaPlugIn* area, const VString& name, int32_t kind, int32_t value) {
  if (!MayCallMethods()) return false;
  const VLong reference(area != nullptr ? static_cast<int32_t>(area->GetReference()) : 0);
  const VWord shift(VSystemServices::IsShiftDown() ? 1 : 0);
  const VWord alt(VSystemServices::IsAltDown() ? 1 : 0);
  const VWord control(VSystemServices::IsControlDown() ? 1 : 0);
  const VWord kindWord(static_cast<int16_t>(kind));
  const VWord valueWord(kind == 0 ? MacCharacter(value) : static_cast<int16_t>(value));
  const VValue* arguments[] = {&reference, &shift, &alt, &control, &kindWord, &valueWord};
  return InvokeMethod(name, arguments, 6, true) != 0;
}

int16_t xMorvaMain::UserCodeOfCommand(int32_t id) {
  for (const NotificationPair& pair : kNotifications) {
    if (pair.code == 0) break;
    if (pair.command == id) return pair.code;
  }
  return 0;
}

int32_t xMorvaMain::CommandOfUserCode(int32_t code) {
  for (const NotificationPair& pair : kNotifications) {
    if (pair.code == 0) break;
    if (pair.code == code) return pair.command;
  }
  return 0;
}

int32_t xMorvaMain::ModifierValue(bool control, bool shift, bool capsLock, bool alt) {
  return (control ? 256 : 0) + (shift ? 512 : 0) + (capsLock ? 1024 : 0) + (alt ? 2048 : 0);
}
