// The host-language commands on the tab stops of the selection: one stop
// read (130), changed (131), added (132) and removed (133), and the stop
// forms that the style sheets' tab commands share.
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "framework/core/strings/VUniString.h"

namespace {

namespace params = xMorvaCommandParams;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

// The highest tab kind the host may give: the bar stop of the tab selector.
constexpr int16_t kLastTabKind = 5;

// Sets the selection's paragraphs to `tabs` in one change and one undo
// step.
int32_t StoreSelectionTabs(xMorvaDocument& document, xMorvaTextInterface& text, const xMorvaTabs& tabs) {
  document.BeginChange();
  const int32_t code = text.SetTabsWithUndo(tabs);
  document.EndChange();
  document.Refresh(false, false);
  return code;
}

void ChangeStop(xMorvaMain& package, int32_t n, void** p) {
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaDocument& document = *area.document;
  const xMorvaTabs& current = area.text->GetCurrentTabs();
  const int32_t index = n == 132 ? 0 : params::LongAt(p, 1);
  int32_t code = 0;
  if (n != 132 && (index < 1 || index > current.Count())) {
    code = xMorvaTextCommands::kErrorNoTabStop;
  } else if (n == 133) {
    xMorvaTabs tabs(current);
    tabs.RemoveStopAt(index - 1);
    code = StoreSelectionTabs(document, *area.text, tabs);
  } else {
    const int first = n == 132 ? 1 : 2;
    VStr<255> leader;
    xMorvaTextCommands::PascalAt(p, first + 2, leader);
    uint32_t stop = 0;
    code = xMorvaTextCommands::TabStopFromHost(document, params::RealAt(p, first), params::WordAt(p, first + 1),
                                               leader, n == 132, stop);
    if (code == 0 && n == 132) {
      if (current.Count() >= xMorvaTabs::kCapacity) {
        code = xMorvaTextCommands::kErrorTabListFull;
      } else {
        // The stop goes in as one value of the tab list property.
        document.BeginChange();
        code = area.text->SetPropertyWithUndo(kPropTabs, int32_t(stop));
        document.EndChange();
        document.Refresh(false, false);
      }
    } else if (code == 0) {
      xMorvaTabs tabs(current);
      tabs.RemoveStopAt(index - 1);
      tabs.AddStop(stop);
      code = StoreSelectionTabs(document, *area.text, tabs);
    }
  }
  package.ReportCommandError(code);
}

}  // namespace

namespace xMorvaTextCommands {

void ClearTabStop(void** p, int first) {
  params::PutRealAt(p, first, 0);
  params::PutLongAt(p, first + 1, 0);
  ClearPascal(params::SlotAt(p, first + 2));
}

int32_t PutTabStop(const xMorvaDocument& document, const xMorvaTabs& tabs, int32_t n, void** p, int first) {
  if (n < 1 || n > tabs.Count()) return kErrorNoTabStop;
  const uint32_t stop = tabs.StopAt(n - 1);
  params::PutRealAt(p, first, document.GetParams().ToDisplayUnit(TabStopPosition(stop)));
  params::PutLongAt(p, first + 1, TabStopKind(stop));
  PutCharacter(params::SlotAt(p, first + 2), TabStopLeader(stop));
  return 0;
}

int32_t TabStopFromHost(xMorvaDocument& document, double position, int16_t kind, const VString& leader,
                        bool adding, uint32_t& stop) {
  // A real that is no number, or far outside, is no position.
  if (!(position >= -1e6 && position <= 1e6)) return kErrorTabPosition;
  const int32_t pixels = document.GetParams().FromDisplayUnit(position);
  if (pixels < 0 || pixels > document.CurrentTextWidth()) return kErrorTabPosition;
  if (kind < (adding ? 0 : 1) || kind > kLastTabKind) return kErrorTabKind;
  if (kind == kTabNone) kind = kTabLeft;
  const char16_t first = leader.GetLength() > 0 ? leader.GetCharAt(1) : 0;
  const uint8_t mark = first > 32 && first < 128 ? uint8_t(first) : 0;
  stop = MakeTabStop(int16_t(pixels), mark, uint8_t(kind));
  return 0;
}

void RunTabCommand(xMorvaMain& package, int32_t n, void** p, void*) {
  if (n != 130) {
    ChangeStop(package, n, p);
    return;
  }
  ClearTabStop(p, 2);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  package.ReportCommandError(PutTabStop(*area.document, area.text->GetCurrentTabs(), params::LongAt(p, 1), p, 2));
}

}  // namespace xMorvaTextCommands
