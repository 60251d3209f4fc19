// The host commands on an area's display: redraw suspended and resumed
// (9, 10), the docked bar, rulers, bars and scroll bars (29, 42's sibling
// 43, 46, 86, 87), the view, header rules and display unit (77, 78), and the
// document's options of command 30.
#include "area/commands/xMorvaAreaCommands.h"
#include "area/commands/xMorvaCommandValues.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"

namespace {

using namespace xMorvaCommandValues;

constexpr int32_t kErrorViewValue = 1055;
constexpr int32_t kErrorHeaderValue = 1056;
constexpr int32_t kErrorUnitValue = 1057;

// Area options the commands switch: rulers, second page view, the scroll
// bars, different first page and left pages, the display unit.
constexpr int32_t kOptionRulers = 2;
constexpr int32_t kOptionFacingPages = 3;
constexpr int32_t kOptionHorizontalBar = 7;
constexpr int32_t kOptionVerticalBar = 8;
// The document command that command 43 switches.
constexpr int32_t kCommandSwitchedBy43 = 407;
// Display units as the document keeps them.
constexpr int32_t kUnitCentimetres = 0;
constexpr int32_t kUnitInches = 1;
constexpr int32_t kUnitPixels = 2;
// View modes as the document keeps them.
constexpr int16_t kPageView = 0;
constexpr int16_t kContinuousView = 1;
// The document settings command 30 changes.
constexpr int16_t kSettingSaveQuestion = 0;
constexpr int16_t kSettingPreviewPage = 1;
constexpr int16_t kSettingUndo = 2;
constexpr int16_t kSettingFixedHeight = 4;

// Only the values 0 and 1 of command 30's words change anything.
bool IsSwitch(int16_t value) { return value == 0 || value == 1; }

void SetRedraw(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  uint8_t& suspended = object->GetCommandState().redrawSuspended;
  if (WordAt(p, 1) == 0) {
    suspended = 1;
  } else {
    const bool wasSuspended = suspended != 0;
    suspended = 0;
    if (wasSuspended) document->Refresh(false, true);
  }
  package.ReportCommandError(0);
}

// Draws once now, also while the redraw is suspended.
void RedrawNow(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  uint8_t& suspended = object->GetCommandState().redrawSuspended;
  const uint8_t kept = suspended;
  suspended = 0;
  document->Refresh(false, true);
  suspended = kept;
  package.ReportCommandError(0);
}

void ShowDockBar(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    const bool show = WordAt(p, 1) == 0;
    // A locked area keeps its docked bar hidden.
    if (!show || !area->IsAreaLocked()) document->ShowDockBar(show, true);
    UpdateBarState(*area, true);
  }
  package.ReportCommandError(0);
}

void AllowCommand407(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    SetCommandAllowed(*area, kCommandSwitchedBy43, WordAt(p, 1) == 0);
  }
  package.ReportCommandError(0);
}

void ShowRulersAndBars(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  const bool show = WordAt(p, 1) == 0;
  document->Params().SetViewFlag(kOptionRulers, show ? 1 : 0);
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    document->ShowRulers(show, false);
    for (int16_t bar = 0; bar < 3; ++bar) document->ShowBar(bar, show, false);
    // The last one lays the area out once for all of them.
    document->ShowBar(3, show, true);
    UpdateBarState(*area, true);
  }
  package.ReportCommandError(0);
}

void ShowScrollBars(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  const bool show = WordAt(p, 1) != 0;
  xMorvaDocParams& params = document->Params();
  params.SetViewFlag(kOptionHorizontalBar, show ? 1 : 0);
  params.SetViewFlag(kOptionVerticalBar, show ? 1 : 0);
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    document->ShowHorizontalScrollBars(show, true);
    document->ShowVerticalScrollBars(show, true);
    UpdateBarState(*area, true);
  }
  package.ReportCommandError(0);
}

void ReadVerticalBar(xMorvaMain& package, void** p, void* result) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  PutLong(result, document->Params().GetViewFlag(kOptionVerticalBar) != 0 ? 1 : 0);
  package.ReportCommandError(0);
}

// Each value in turn; the first one out of range ends the command with its
// code and keeps what the values before it set.
void SetView(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  xMorvaDocParams& params = document->Params();
  const int16_t view = WordAt(p, 1);
  const int16_t rules = WordAt(p, 2);
  const int16_t unit = WordAt(p, 3);
  if (view != -1) {
    if (view < 0 || view > 2) {
      package.ReportCommandError(kErrorViewValue);
      return;
    }
    document->SetViewMode(view == 0 ? kContinuousView : kPageView);
    if (view != 0) params.SetViewFlag(kOptionFacingPages, view == 2 ? 1 : 0);
  }
  if (rules != -1) {
    if (rules < 0 || rules > 2) {
      package.ReportCommandError(kErrorHeaderValue);
      return;
    }
    params.SetDifferentFirstPage(rules != 0 ? 1 : 0);
    params.SetDifferentLeftRight(0);
  }
  if (unit != -1) {
    if (unit < 0 || unit > 3) {
      package.ReportCommandError(kErrorUnitValue);
      return;
    }
    params.SetDisplayUnit(unit == 0 ? kUnitInches : unit == 1 ? kUnitCentimetres : kUnitPixels);
  }
  document->Refresh(false, true);
  package.ReportCommandError(0);
}

// The settings of 77 read back in its own codes.
void ReadView(xMorvaMain& package, void** p) {
  for (int i = 1; i <= 3; ++i) xMorvaCommandParams::PutWordAt(p, i, 0);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  const xMorvaDocParams& params = document->Params();
  int16_t view = 0;
  if (params.GetViewMode() == kPageView) view = params.GetViewFlag(kOptionFacingPages) != 0 ? 2 : 1;
  const int32_t unit = params.GetDisplayUnit();
  xMorvaCommandParams::PutWordAt(p, 1, view);
  xMorvaCommandParams::PutWordAt(p, 2, params.GetDifferentFirstPage() != 0 ? 1 : 0);
  xMorvaCommandParams::PutWordAt(p, 3, unit == kUnitCentimetres ? 1 : unit == kUnitInches ? 0 : 2);
  package.ReportCommandError(0);
}

// Command 30: with area reference 0 the package's defaults for new
// documents, nothing recorded; otherwise the document's own settings.
void SetDocumentOptions(xMorvaMain& package, void** p) {
  const int16_t saveQuestion = WordAt(p, 2);
  const int16_t fixedHeight = WordAt(p, 3);
  const int16_t blankPreview = WordAt(p, 4);
  const int16_t undoOff = WordAt(p, 5);
  if (static_cast<uint32_t>(LongAt(p, 0)) == 0) {
    if (IsSwitch(saveQuestion)) package.SetOption(kSettingSaveQuestion, saveQuestion, nullptr);
    if (IsSwitch(blankPreview)) package.SetOption(kSettingPreviewPage, blankPreview == 0 ? 1 : 0, nullptr);
    if (IsSwitch(undoOff)) package.SetOption(kSettingUndo, undoOff == 0 ? 1 : 0, nullptr);
    return;
  }
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  if (IsSwitch(saveQuestion)) document->SetAreaSetting(kSettingSaveQuestion, saveQuestion, nullptr);
  if (IsSwitch(fixedHeight)) document->SetAreaSetting(kSettingFixedHeight, fixedHeight, nullptr);
  if (IsSwitch(blankPreview)) document->SetAreaSetting(kSettingPreviewPage, blankPreview == 0 ? 1 : 0, nullptr);
  // Suspending also empties the undo buffer.
  if (IsSwitch(undoOff)) document->SetAreaSetting(kSettingUndo, undoOff == 0 ? 1 : 0, nullptr);
  package.ReportCommandError(0);
}

}  // namespace

namespace xMorvaAreaCommands {

void RunViewCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  switch (n) {
    case 9: SetRedraw(package, p); break;
    case 10: RedrawNow(package, p); break;
    case 29: ShowDockBar(package, p); break;
    case 30: SetDocumentOptions(package, p); break;
    case 43: AllowCommand407(package, p); break;
    case 46: ShowRulersAndBars(package, p); break;
    case 77: SetView(package, p); break;
    case 78: ReadView(package, p); break;
    case 86: ShowScrollBars(package, p); break;
    case 87: ReadVerticalBar(package, p, result); break;
    default: break;
  }
}

}  // namespace xMorvaAreaCommands
