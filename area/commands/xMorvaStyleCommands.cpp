// The host-language commands on the document's style sheets, addressed by
// their 1-based place in the document's list: applied (107) and re-applied
// (161), read (148, 153, 155, 157) and changed (149, 152, 154, 158 to 160),
// made (151) and deleted (150). A command loads the sheet from the store
// into a sheet of its own and, when it changes it, saves it back.
#include <memory>

#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/commands/xMorvaTextCommands.h"
#include "area/xMorvaCommandParams.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

namespace params = xMorvaCommandParams;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorSheetMemory = 1041;
constexpr int32_t kErrorNoSheetToApply = 1078;
constexpr int32_t kErrorFontName = 1077;
constexpr int32_t kErrorSheetKept = 1094;

// The sheet at place p[1] of the document, loaded.
struct LoadedSheet {
  int16_t id = 0;
  std::unique_ptr<xMorvaStyleSheet> sheet;
};

// 0 with the sheet, or 1038 when the document has no sheet at that place
// (or its store cannot give it).
int32_t LoadSheetAt(xMorvaDocument& document, int32_t index, LoadedSheet& loaded) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr || !document.StyleSheetIdAt(index, loaded.id)) return kErrorNoStyleSheet;
  loaded.sheet = std::make_unique<xMorvaStyleSheet>();
  if (!loaded.sheet->Load(document, *store, loaded.id)) return kErrorNoStyleSheet;
  return 0;
}

// Writes the changed sheet back under its id; the document is modified.
int32_t SaveSheet(xMorvaDocument& document, LoadedSheet& loaded, const VString* newName = nullptr) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr || !loaded.sheet->Save(document, *store, loaded.id, newName)) return kErrorSheetMemory;
  document.SetModified();
  return 0;
}

// The shortcut of a sheet: the first character of the text, none when empty.
uint16_t ShortcutOf(const VString& text) { return text.GetLength() > 0 ? text.GetCharAt(1) : 0; }

// Command 148 clears its outputs; 153 and 155 their results; 157 its stop.
void ClearOutputs(int32_t n, void** p, void* result) {
  switch (n) {
    case 148:
      xMorvaTextCommands::ClearPascal(params::SlotAt(p, 2));
      params::PutWordAt(p, 3, 0);
      params::PutWordAt(p, 4, 0);
      xMorvaTextCommands::ClearPascal(params::SlotAt(p, 5));
      break;
    case 151: params::PutValue<int32_t>(result, -1); break;
    case 153: params::PutValue<double>(result, 0); break;
    case 155: xMorvaTextCommands::ClearPascal(result); break;
    case 157: xMorvaTextCommands::ClearTabStop(p, 3); break;
    default: break;
  }
}

// Command 151: a sheet of default properties under the name, its 1-based
// place the answer.
int32_t NewSheet(xMorvaDocument& document, void** p, void* result) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr) return kErrorSheetMemory;
  VStr<255> name;
  VStr<255> shortcut;
  xMorvaTextCommands::PascalAt(p, 1, name);
  xMorvaTextCommands::PascalAt(p, 3, shortcut);
  // A sheet without a name gets the numbered name a new sheet has.
  if (name.GetLength() == 0) document.NewStyleSheetName(name);
  auto sheet = std::make_unique<xMorvaStyleSheet>();
  sheet->Init();
  sheet->paragraphSheet = params::WordAt(p, 2) != 0 ? 1 : 0;
  sheet->shortcut = ShortcutOf(shortcut);
  int16_t id = 0;
  if (!sheet->SaveNew(document, *store, name, id)) return kErrorSheetMemory;
  document.SetModified();
  document.UpdateStyleSheetMenu();
  params::PutValue<int32_t>(result, document.StyleSheetIndex(id));
  return 0;
}

// Commands 152 (set) and 153 (read) of one property of the sheet. The
// value of 152 is the host's real, converted as for the selection (lengths
// in the display unit, colours, sheet places); its p[4] names no other
// form that could be checked, so every value goes through that conversion.
int32_t SheetProperty(xMorvaDocument& document, LoadedSheet& loaded, bool set, void** p, void* result) {
  const auto id = static_cast<uint16_t>(params::WordAt(p, 2));
  double real = 0;
  int32_t code = document.GetPropertyAsReal(id, 0, real);
  if (code != 0) return code;
  xMorvaStyleSheet& sheet = *loaded.sheet;
  if (!set) {
    if (id == kPropTabs) {
      real = sheet.tabs.Count();
    } else {
      code = document.GetPropertyAsReal(id, sheet.properties.GetProperty(id), real);
    }
    if (code == 0) params::PutValue(result, real);
    return code;
  }
  // The value is checked and converted as the selection's is, bounded by
  // the sheet's own indents.
  int32_t stored = 0;
  code = document.RealToPropertyValue(id, params::RealAt(p, 3), stored, false, &sheet.properties);
  if (code != 0) return code;
  sheet.properties.SetProperty(id, stored);
  sheet.states.SetState(id, 1);
  return SaveSheet(document, loaded);
}

// Commands 158 to 160: one stop of the sheet changed, added or removed;
// its tab list then counts as set.
int32_t SheetTabs(xMorvaDocument& document, LoadedSheet& loaded, int32_t n, void** p) {
  xMorvaTabs& tabs = loaded.sheet->tabs;
  const int32_t index = n == 159 ? 0 : params::LongAt(p, 2);
  if (n != 159 && (index < 1 || index > tabs.Count())) return xMorvaTextCommands::kErrorNoTabStop;
  if (n == 160) {
    tabs.RemoveStopAt(index - 1);
  } else {
    const int first = n == 159 ? 2 : 3;
    VStr<255> leader;
    xMorvaTextCommands::PascalAt(p, first + 2, leader);
    uint32_t stop = 0;
    const int32_t code = xMorvaTextCommands::TabStopFromHost(
        document, params::RealAt(p, first), params::WordAt(p, first + 1), leader, n == 159, stop);
    if (code != 0) return code;
    if (n == 159 && tabs.Count() >= xMorvaTabs::kCapacity) return xMorvaTextCommands::kErrorTabListFull;
    if (n == 158) tabs.RemoveStopAt(index - 1);
    tabs.AddStop(stop);
  }
  loaded.sheet->states.SetState(kPropTabs, 1);
  return SaveSheet(document, loaded);
}

// The commands that name a sheet by its place in p[1].
int32_t RunOnSheet(xMorvaDocument& document, int32_t n, void** p, void* result) {
  LoadedSheet loaded;
  int32_t code = LoadSheetAt(document, params::LongAt(p, 1), loaded);
  if (code != 0) return n == 107 ? kErrorNoSheetToApply : code;
  xMorvaStyleSheet& sheet = *loaded.sheet;
  switch (n) {
    case 107:
      code = document.ApplyStyleSheet(loaded.id);
      if (code == kErrorNoStyleSheet) code = kErrorNoSheetToApply;
      document.Refresh(false, true);
      return code;
    case 148: {
      // The host's text is Macintosh text: the name as forms show it.
      VStr<255> name;
      document.GetStyleSheetFormName(loaded.id, name);
      xMorvaTextCommands::PutPascal(params::SlotAt(p, 2), name);
      params::PutWordAt(p, 3, sheet.paragraphSheet);
      params::PutWordAt(p, 4, sheet.reserved);
      xMorvaTextCommands::PutCharacter(params::SlotAt(p, 5), sheet.shortcut);
      return 0;
    }
    case 149: {
      VStr<255> name;
      VStr<255> shortcut;
      xMorvaTextCommands::PascalAt(p, 2, name);
      xMorvaTextCommands::PascalAt(p, 4, shortcut);
      sheet.paragraphSheet = params::WordAt(p, 3) != 0 ? 1 : 0;
      sheet.shortcut = ShortcutOf(shortcut);
      // An empty name leaves the sheet its own: a sheet is never nameless;
      // and so does the name command 148 gave, which may not be whole.
      const bool kept = name.GetLength() == 0 || document.IsStyleSheetFormName(loaded.id, name);
      code = SaveSheet(document, loaded, kept ? nullptr : &name);
      document.UpdateStyleSheetMenu();
      return code;
    }
    case 150:
      // The default sheet is what every text falls back to, and a sheet
      // whose first flag is set is kept.
      if (loaded.id == kDefaultStyleSheetId || sheet.reserved != 0) return kErrorSheetKept;
      document.DeleteStyleSheet(loaded.id);
      document.SetModified();
      // The runs that carried it go back to the default sheet.
      code = document.ReapplyStyleSheetEverywhere(loaded.id, true);
      document.Refresh(false, true);
      return code;
    case 152:
    case 153: return SheetProperty(document, loaded, n == 152, p, result);
    case 154: {
      VStr<255> name;
      xMorvaTextCommands::PascalAt(p, 2, name);
      if (!xMorvaTextCommands::IsSystemFontName(name)) return kErrorFontName;
      sheet.properties.SetProperty(kPropFont, document.FontIndexForName(name));
      sheet.states.SetState(kPropFont, 1);
      return SaveSheet(document, loaded);
    }
    case 155: {
      VStr<255> name;
      bool known = false;
      document.FontNameForIndex(sheet.properties.GetProperty(kPropFont), name, known);
      xMorvaTextCommands::PutPascal(result, name);
      return 0;
    }
    case 157:
      if (sheet.states.GetState(kPropTabs) != 1) return xMorvaTextCommands::kErrorNoTabStop;
      return xMorvaTextCommands::PutTabStop(document, sheet.tabs, params::LongAt(p, 2), p, 3);
    case 158:
    case 159:
    case 160: return SheetTabs(document, loaded, n, p);
    case 161:
      code = document.ReapplyStyleSheetEverywhere(loaded.id, false);
      document.Refresh(false, true);
      return code;
    default: return 0;
  }
}

}  // namespace

namespace xMorvaTextCommands {

void RunStyleSheetCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  ClearOutputs(n, p, result);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  const int32_t code = n == 151 ? NewSheet(*area.document, p, result) : RunOnSheet(*area.document, n, p, result);
  package.ReportCommandError(code);
}

}  // namespace xMorvaTextCommands
