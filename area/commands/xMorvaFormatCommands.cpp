// The host-language commands on the properties of the selection and on the
// area's options: a property read (102) and set (103) as a real in the
// display unit, the font of the selection by name (104, 105), and the area
// options (108, 109).
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

namespace params = xMorvaCommandParams;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorNoSuchFont = 1077;

// Command 102: the property's value over the selection as the host sees
// it, the tab list as its number of stops.
void ReadProperty(xMorvaMain& package, void** p, void* result) {
  params::PutValue<double>(result, 0);
  const auto id = static_cast<uint16_t>(params::WordAt(p, 1));
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  double real = 0;
  // The id is checked before anything reads a property by it.
  int32_t code = area.document->GetPropertyAsReal(id, 0, real);
  if (code == 0 && id == kPropTabs) {
    real = area.text->GetCurrentTabs().Count();
  } else if (code == 0) {
    code = area.document->GetPropertyAsReal(id, area.text->GetPropertyValue(id), real);
  }
  if (code == 0) {
    params::PutWordAt(p, 2, area.engine->GetPropertyState(id) == 1 ? 1 : 0);
    params::PutValue(result, real);
  }
  package.ReportCommandError(code);
}

// Command 104: the name of the selection's font, and whether it is the one
// font of the selection.
void ReadFont(xMorvaMain& package, void** p, void* result) {
  xMorvaTextCommands::ClearPascal(result);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  VStr<255> name;
  bool known = false;
  area.document->FontNameForIndex(area.text->GetPropertyValue(kPropFont), name, known);
  params::PutWordAt(p, 1, area.engine->GetPropertyState(kPropFont) == 1 ? 1 : 0);
  xMorvaTextCommands::PutPascal(result, name);
  package.ReportCommandError(0);
}

// Whether the system's font list holds the name.
bool IsSystemFont(const VString& name) {
  if (gSystemServices == nullptr || name.GetLength() == 0) return false;
  const VStringArray* fonts = gSystemServices->GetFontList(true);
  return fonts != nullptr && fonts->Find(name) > 0;
}

// Command 105: a system font over the selection, through the document's
// font table, in one undo step.
void SetFont(xMorvaMain& package, void** p) {
  VStr<255> name;
  xMorvaTextCommands::PascalAt(p, 1, name);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  if (!IsSystemFont(name)) {
    package.ReportCommandError(kErrorNoSuchFont);
    return;
  }
  xMorvaDocument& document = *area.document;
  document.BeginChange();
  const int16_t index = document.FontIndexForName(name);
  const int32_t code = area.text->SetPropertyWithUndo(kPropFont, index);
  document.EndChange();
  document.Refresh(false, false);
  package.ReportCommandError(code);
}

}  // namespace

namespace xMorvaTextCommands {

bool IsSystemFontName(const VString& name) { return IsSystemFont(name); }

void RunFormatCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  switch (n) {
    case 102: ReadProperty(package, p, result); break;
    case 103: {
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      // The document converts, checks and sets in one undo step, and
      // refreshes on success.
      const int32_t code =
          area.document->SetPropertyFromReal(static_cast<uint16_t>(params::WordAt(p, 1)), params::RealAt(p, 2));
      package.ReportCommandError(code);
      break;
    }
    case 104: ReadFont(package, p, result); break;
    case 105: SetFont(package, p); break;
    case 108: {
      params::PutValue<double>(result, 0);
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      double value = 0;
      const int32_t code = area.document->GetAreaOption(params::WordAt(p, 1), value);
      if (code == 0) params::PutValue(result, value);
      package.ReportCommandError(code);
      break;
    }
    case 109: {
      TextArea area;
      if (!ResolveTextArea(package, p, area)) return;
      const int32_t code = area.document->SetAreaOption(params::WordAt(p, 1), params::RealAt(p, 2));
      if (code == 0) area.document->Refresh(false, true);
      package.ReportCommandError(code);
      break;
    }
    default: break;
  }
}

}  // namespace xMorvaTextCommands
