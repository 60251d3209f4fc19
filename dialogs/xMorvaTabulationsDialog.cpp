// The tab stops dialog: the working list and the ascending positions that
// the form's list shows change together; every position the user types or
// the dialog proposes is brought within the text width and onto the unit's
// grid.
#include "dialogs/xMorvaTabulationsDialog.h"

#include <algorithm>

#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

// Where a stop can stand without a document: its 16-bit position.
constexpr int32_t kHighestStop = 32767;
// The proposals of "butAdd" step back by this many pixels from the last
// stop when the place they give is taken.
constexpr int32_t kProposalStepBack = 5;
constexpr uint8_t kKindVerticalSeparator = 5;

struct Radio {
  const char* name;
  int32_t value;
};
constexpr Radio kKinds[] = {{"arbLeft", kTabLeft},
                            {"arbCenter", kTabCentre},
                            {"arbRight", kTabRight},
                            {"arbDecimal", kTabDecimal},
                            {"arbVertSep", kKindVerticalSeparator}};
constexpr Radio kLeaders[] = {{"brbNone", 0}, {"brbContinuous", '_'}, {"brbDotted", '.'}, {"brbHatched", '-'}};
constexpr char16_t kCustomLeader = '*';

// What "butAdd" proposes after the last stop: a centimetre, half an inch
// or ten pixels; and the unit's grid.
double ProposalStep(int32_t unit) {
  switch (unit) {
    case kUnitCentimetres: return 1.0;
    case kUnitInches: return 0.5;
    default: return 10.0;
  }
}
double GridStep(int32_t unit) {
  switch (unit) {
    case kUnitCentimetres: return 0.1;
    case kUnitInches: return 0.125;
    default: return 1.0;
  }
}

bool IsStandardLeader(int32_t leader) {
  return std::any_of(std::begin(kLeaders), std::end(kLeaders), [&](const Radio& r) { return r.value == leader; });
}

}  // namespace

xMorvaTabulationsDialog::xMorvaTabulationsDialog(xMorvaPlugIn* area, int32_t position, const xMorvaTabs& tabs,
                                                 xMorvaDocument* document)
    : xMorvaTabulationsDialog(area, position, tabs, document != nullptr ? document->GetParams() : xMorvaDocParams(),
                              0, kHighestStop) {
  if (document != nullptr) {
    document->TextWidthRange(fLow, fHigh);
  } else {
    fParams.SetDisplayUnit(kUnitPoints);
  }
}

xMorvaTabulationsDialog::xMorvaTabulationsDialog(xMorvaPlugIn* area, int32_t position, const xMorvaTabs& tabs,
                                                 const xMorvaDocParams& params, int32_t low, int32_t high)
    : xMorvaDialog(area, "mvTabulations"), fTabs(tabs), fParams(params), fLow(low), fHigh(high),
      fCurrent(position) {}

xMorvaTabulationsDialog::~xMorvaTabulationsDialog() = default;

int32_t xMorvaTabulationsDialog::ClampPosition(int32_t pixels) const {
  int32_t p = pixels;
  if (p > fHigh) p = fHigh;
  if (p < fLow) p = fLow;
  p = fParams.FromDisplayUnit(fParams.ToDisplayUnit(p));
  // The grid's place nearest the end of the text may lie past it: the place
  // before it then.
  if (p > fHigh) p = fParams.FromDisplayUnit(fParams.ToDisplayUnit(p) - GridStep(fParams.GetDisplayUnit()));
  return p;
}

bool xMorvaTabulationsDialog::HasPosition(int32_t pixels) const {
  return std::binary_search(fPositions.begin(), fPositions.end(), pixels);
}

int32_t xMorvaTabulationsDialog::RowOf(int32_t pixels) const {
  const auto at = std::lower_bound(fPositions.begin(), fPositions.end(), pixels);
  return at != fPositions.end() && *at == pixels ? int32_t(at - fPositions.begin()) + 1 : 0;
}

void xMorvaTabulationsDialog::ShowNumberFormat(const char* object) {
  VStr<255> format;
  fParams.MakeNumberFormat(format);
  HostFormSetFormat(object, format);
}

bool xMorvaTabulationsDialog::BeforeOpen() {
  fPositions.clear();
  for (int32_t i = 0; i < fTabs.Count(); ++i) fPositions.push_back(TabStopPosition(fTabs.StopAt(i)));
  std::sort(fPositions.begin(), fPositions.end());
  HostFormListCall327("ListTabs");
  HostFormSetReal("vPosition", 0.0);
  return true;
}

bool xMorvaTabulationsDialog::AfterOpen() {
  ShowNumberFormat("vPosition");
  ShowNumberFormat("ListTabs");
  FillTabList();
  UpdateFields();
  return true;
}

void xMorvaTabulationsDialog::FillTabList() {
  // Rows 1 to 256: every row a list can hold.
  HostFormSetListRange("ListTabs", 1, xMorvaTabs::kCapacity);
  for (int32_t position : fPositions)
    HostFormListCall328("ListTabs", int16_t(xMorvaTabs::kCapacity), fParams.ToDisplayUnit(position));
}

void xMorvaTabulationsDialog::UpdateFields() {
  uint32_t stop = 0;
  const bool found = fCurrent >= 0 && fTabs.FindStop(int16_t(fCurrent), stop);
  for (const Radio& r : kKinds) HostFormEnableObject(r.name, found);
  for (const Radio& r : kLeaders) HostFormEnableObject(r.name, found);
  HostFormEnableObject("brbCustom", found);
  HostFormEnableObject("butRemove", found);
  HostFormEnableObject("butSet", found);
  if (!found) {
    fCurrent = -1;
    HostFormSetEnterable("vPosition", false);
    VStr<8> format;
    format.SetAnsiCText("#");
    HostFormSetFormat("vPosition", format);
    HostFormSetReal("vPosition", 0.0);
    SetItemNumber("ListTabs", 0);
    for (const Radio& r : kKinds) HostFormSetLong(r.name, 0);
    for (const Radio& r : kLeaders) HostFormSetLong(r.name, 0);
    HostFormSetLong("brbCustom", 0);
    HostFormClearText("vLeader");
    HostFormEnableObject("vLeader", false);
    fKind = kTabLeft;
    fLeader = 0;
    return;
  }
  ShowNumberFormat("vPosition");
  HostFormSetEnterable("vPosition", true);
  HostFormSetReal("vPosition", fParams.ToDisplayUnit(fCurrent));
  SetItemNumber("ListTabs", RowOf(fCurrent));
  fKind = TabStopKind(stop);
  fLeader = TabStopLeader(stop);
  for (const Radio& r : kKinds) HostFormSetLong(r.name, fKind == r.value ? 1 : 0);
  for (const Radio& r : kLeaders) HostFormSetLong(r.name, fLeader == r.value ? 1 : 0);
  if (IsStandardLeader(fLeader)) {
    HostFormSetLong("brbCustom", 0);
    HostFormClearText("vLeader");
    HostFormEnableObject("vLeader", false);
  } else {
    HostFormSetLong("brbCustom", 1);
    HostFormEnableObject("vLeader", true);
    VStr<8> leader;
    leader.SetUniChar(char16_t(fLeader));
    HostFormSetText("vLeader", leader);
  }
}

void xMorvaTabulationsDialog::ApplyKindLeader() {
  uint32_t stop = 0;
  if (fCurrent < 0 || !fTabs.FindStop(int16_t(fCurrent), stop)) return;
  fTabs.AddStop(MakeTabStop(int16_t(fCurrent), uint8_t(fLeader), uint8_t(fKind)));
  UpdateFields();
}

void xMorvaTabulationsDialog::SetStop() {
  const int32_t row = HostFormGetListSelection("ListTabs");
  uint32_t stop = 0;
  if (row < 1 || row > int32_t(fPositions.size()) || !fTabs.FindStop(int16_t(fCurrent), stop)) return;
  const int32_t position = ClampPosition(fParams.FromDisplayUnit(HostFormGetReal("vPosition")));
  if (HasPosition(position)) {
    // Onto a place a stop holds: that stop is shown, nothing moves.
    fCurrent = position;
    UpdateFields();
    VSystemServices::Beep();
    return;
  }
  fTabs.RemoveStopAtPosition(int16_t(fCurrent));
  fTabs.AddStop(MakeTabStop(int16_t(position), TabStopLeader(stop), TabStopKind(stop)));
  fPositions.erase(std::find(fPositions.begin(), fPositions.end(), fCurrent));
  fPositions.insert(std::lower_bound(fPositions.begin(), fPositions.end(), position), position);
  fCurrent = position;
  FillTabList();
  HostFormSetReal("vPosition", fParams.ToDisplayUnit(position));
  SetItemNumber("ListTabs", RowOf(position));
}

void xMorvaTabulationsDialog::RemoveStop() {
  const int32_t row = HostFormGetListSelection("ListTabs");
  const auto at = std::find(fPositions.begin(), fPositions.end(), fCurrent);
  if (row < 1 || row > int32_t(fPositions.size()) || at == fPositions.end()) return;
  fPositions.erase(at);
  fTabs.RemoveStopAtPosition(int16_t(fCurrent));
  fCurrent = -1;
  FillTabList();
  UpdateFields();
}

void xMorvaTabulationsDialog::AddStop() {
  if (fTabs.Count() >= xMorvaTabs::kCapacity) {
    VSystemServices::Beep();
    return;
  }
  const double typed = HostFormGetReal("vPosition");
  int32_t position = typed != 0.0 ? ClampPosition(fParams.FromDisplayUnit(typed)) : 0;
  if (typed == 0.0 || HasPosition(position)) {
    // Proposals: a unit step after the last stop, then from ever lower
    // bases; once a proposal comes to the start of the text taken, every
    // place they can give has been tried.
    const double step = ProposalStep(fParams.GetDisplayUnit());
    int32_t base = fPositions.empty() ? 0 : fPositions.back();
    for (;;) {
      position = ClampPosition(fParams.FromDisplayUnit(fParams.ToDisplayUnit(base) + step));
      if (!HasPosition(position)) break;
      if (position <= ClampPosition(fLow)) {
        VSystemServices::Beep();
        return;
      }
      base -= kProposalStepBack;
    }
  }
  fTabs.AddStop(MakeTabStop(int16_t(position), uint8_t(fLeader), uint8_t(fKind)));
  fPositions.insert(std::lower_bound(fPositions.begin(), fPositions.end(), position), position);
  fCurrent = position;
  FillTabList();
  UpdateFields();
}

void xMorvaTabulationsDialog::ReadLeader() {
  VStr<255> text;
  HostFormGetText("vLeader", text);
  // An empty entry has no character to take: the leader stays.
  if (text.GetLength() > 0) fLeader = text.GetCharAt(1) & 0xFF;
  ApplyKindLeader();
}

void xMorvaTabulationsDialog::ItemHit(const VString& name, int16_t) {
  for (const Radio& r : kKinds) {
    if (IsFormObject(name, r.name)) {
      fKind = r.value;
      ApplyKindLeader();
      return;
    }
  }
  for (const Radio& r : kLeaders) {
    if (IsFormObject(name, r.name)) {
      fLeader = r.value;
      HostFormClearText("vLeader");
      HostFormEnableObject("vLeader", false);
      ApplyKindLeader();
      return;
    }
  }
  if (IsFormObject(name, "brbCustom")) {
    HostFormEnableObject("vLeader", true);
    VStr<8> star;
    star.SetUniChar(kCustomLeader);
    HostFormSetText("vLeader", star);
    fLeader = kCustomLeader;
    ApplyKindLeader();
  } else if (IsFormObject(name, "vLeader")) {
    ReadLeader();
  } else if (IsFormObject(name, "butSet")) {
    SetStop();
  } else if (IsFormObject(name, "butRemove")) {
    RemoveStop();
  } else if (IsFormObject(name, "butAdd")) {
    AddStop();
  } else if (IsFormObject(name, "ListTabs")) {
    // Row 0, or a row past the list, selects no stop.
    const int32_t row = HostFormGetListSelection("ListTabs");
    fCurrent = row >= 1 && row <= int32_t(fPositions.size()) ? fPositions[size_t(row - 1)] : -1;
    UpdateFields();
  }
}

bool RunTabulationsDialog(xMorvaPlugIn& area, int32_t position, xMorvaTabs& tabs) {
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return false;
  xMorvaTabulationsDialog dialog(&area, position, tabs, document);
  if (!dialog.Run()) return false;
  tabs.Assign(dialog.GetTabs());
  return true;
}

bool RunTabulationsSubDialog(xMorvaDialog& caller, xMorvaTabs& tabs) {
  xMorvaTabulationsDialog dialog(caller.GetArea(), -1, tabs, caller.GetDocument());
  if (!caller.RunSubDialog(dialog)) return false;
  tabs.Assign(dialog.GetTabs());
  return true;
}
