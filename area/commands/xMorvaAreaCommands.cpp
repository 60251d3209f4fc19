// The host commands below 95 on whole documents: a BLOB's document inserted
// into the text (54), the document stored back into its host field (45),
// the printed page (26), the menu commands that the user names by code
// (25, 44, 53), and the font and colour conversions that need no area.
#include "area/commands/xMorvaAreaCommands.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/environment/VSystemServices.h"
#include "host/context/HostArrays.h"
#include "views/VPlugInDocMgr.h"

namespace {

using namespace xMorvaCommandValues;

constexpr int32_t kErrorNoBlob = 1017;
constexpr int32_t kErrorNoMemory = 1041;
constexpr int32_t kErrorUnknownCode = 1016;

// ---- Menu commands by the user's code.

// The codes the commands handle themselves besides the notification table.
constexpr int16_t kCodeSizes[] = {410, 411, 412, 413, 414, 415};
constexpr int32_t kSizesOfCodes[] = {9, 10, 12, 14, 18, 24};
constexpr int16_t kCodeLarger = 420;
constexpr int16_t kCodeSmaller = 421;
constexpr int16_t kCodeAzure = 9905;
constexpr int16_t kCodeRose = 9906;
// Style sheets are 9803 to 9803 + N, fonts 301 to 300 + F.
constexpr int32_t kFirstStyleSheetCode = 9803;
constexpr int32_t kFirstFontCode = 301;
// The colours as the properties store them: blue, green, red from the top.
constexpr uint32_t kStoredAzure = 0xFF9900;
constexpr uint32_t kStoredRose = 0x9900FF;
constexpr int32_t kLargestSize = 255;
constexpr int32_t kSmallestSize = 5;
constexpr int32_t kFontMenuCommand = 1002;

bool IsQuietCode(int16_t c) { return c == 405 || c == 702 || c == 708; }

int32_t SizeIndex(int16_t c) {
  const auto* at = std::find(std::begin(kCodeSizes), std::end(kCodeSizes), c);
  return at == std::end(kCodeSizes) ? -1 : int32_t(at - std::begin(kCodeSizes));
}

bool IsStyleSheetCode(const xMorvaDocument& document, int16_t c) {
  return c >= kFirstStyleSheetCode && c <= kFirstStyleSheetCode + document.StyleSheetCount();
}

// The codes that every one of 25, 44 and 53 accepts without acting on the
// font menu.
bool IsOwnCode(const xMorvaDocument& document, int16_t c) {
  return IsQuietCode(c) || SizeIndex(c) >= 0 || c == kCodeLarger || c == kCodeSmaller || c == kCodeAzure ||
         c == kCodeRose || IsStyleSheetCode(document, c);
}

// Font f (1-based) of the list the font menu shows; null outside it.
const VString* MenuFont(int32_t f) {
  const VStringArray* fonts = gSystemServices != nullptr ? gSystemServices->GetFontList(false) : nullptr;
  if (fonts == nullptr || f < 1 || f > fonts->Count()) return nullptr;
  return fonts->GetAt(f);
}

// Command 25's own codes; the code to record.
int32_t RunOwnCode(xMorvaDocument& document, int16_t c) {
  if (IsQuietCode(c)) return 0;
  xMorvaTextInterface* text = document.GetCurrentPart();
  const int32_t size = text != nullptr ? text->GetPropertyValue(kPropSize) : 0;
  if (const int32_t index = SizeIndex(c); index >= 0) {
    document.ApplySelectionAttribute(kPropSize, uint32_t(kSizesOfCodes[index]));
  } else if (c == kCodeLarger) {
    if (size < kLargestSize) document.ApplySelectionAttribute(kPropSize, uint32_t(size + 1));
  } else if (c == kCodeSmaller) {
    if (size > kSmallestSize) document.ApplySelectionAttribute(kPropSize, uint32_t(size - 1));
  } else if (c == kCodeAzure || c == kCodeRose) {
    document.ApplySelectionAttribute(kPropTextColour, c == kCodeAzure ? kStoredAzure : kStoredRose);
  } else if (IsStyleSheetCode(document, c)) {
    // The code one past the last sheet finds none and does nothing.
    int16_t id = 0;
    if (document.StyleSheetIdAt(c - (kFirstStyleSheetCode - 1), id)) return document.ApplyStyleSheet(id);
  } else if (const VString* font = MenuFont(c - (kFirstFontCode - 1))) {
    VStr<255> name;
    name.Assign(*font);
    document.ApplySelectionAttribute(kPropFont, uint32_t(document.FontIndexForName(name)));
  } else {
    return kErrorUnknownCode;
  }
  return 0;
}

void RunByCode(xMorvaMain& package, void** p) {
  const int16_t c = WordAt(p, 1);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  const int32_t id = xMorvaMain::CommandOfUserCode(c);
  if (id > 0) {
    // A command method that runs this very command gets it without its
    // value being turned over a second time.
    const bool methodBusy = object->GetCommandState().command.busy != 0 || package.GetCommandMethod().busy != 0;
    if (!(methodBusy && id == package.GetLastMethodValue())) document->UpdateMenuItemState(id);
    // A save that wrote nothing answers as on every other road (1092
    // cancelled, 1012 the write failed); whatever else runs answers 0.
    int32_t failure = 0;
    document->DoCommand(id, &failure);
    package.ReportCommandError(failure);
    return;
  }
  const int32_t code = RunOwnCode(*document, c);
  if (xMorvaPlugIn* area = object->GetAreaObject()) UpdateBarState(*area, true);
  package.ReportCommandError(code);
}

void ReadByCode(xMorvaMain& package, void** p) {
  const int16_t c = WordAt(p, 1);
  PutLong(At(p, 2), 0);
  PutWord(At(p, 3), 0);
  ClearString(At(p, 4));
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  int32_t code = 0;
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    UpdateBarState(*area, true);
    const int32_t id = xMorvaMain::CommandOfUserCode(c);
    if (id > 0) {
      VStr<255> title;
      area->GetCommandTitle(title, id);
      PutLong(At(p, 2), area->VFrame::GetCommandLong(id));
      PutWord(At(p, 3), area->IsCommandEnabled(id) ? 1 : 0);
      PutString(At(p, 4), title);
    } else if (IsOwnCode(*document, c)) {
      // Their outputs stay as they are.
    } else if (const VString* font = MenuFont(c - (kFirstFontCode - 1))) {
      PutString(At(p, 4), *font);
      PutWord(At(p, 3), area->IsCommandEnabled(kFontMenuCommand) ? 1 : 0);
      bool current = false;
      auto* engine = static_cast<xMorvaEngine*>(document->GetCurrentPart());
      if (engine != nullptr && engine->GetPropertyState(kPropFont) != 0) {
        VStr<255> name;
        bool known = false;
        current = document->FontNameForIndex(engine->GetPropertyValue(kPropFont), name, known) && known &&
                  name.Compare(*font, false) == 0;
      }
      PutLong(At(p, 2), current ? 1 : 0);
    } else {
      code = kErrorUnknownCode;
    }
  }
  package.ReportCommandError(code);
}

// The groups of document commands that command 53 switches together.
struct CommandGroup {
  int16_t code;
  std::initializer_list<int16_t> ids;
};
const CommandGroup kGroups[] = {
    {100, {101, 102, 103, 104, 110, 802, 106, 107, 108, 109, 20}},
    {200, {1, 3, 4, 5, 6, 7, 316, 315, 105, 404}},
    {300, {1002}},
    {400, {501, 502, 503, 522, 504, 506, 507, 751, 613, 755}},
    {500, {208, 209, 210, 211, 212, 309, 807}},
    {600, {321, 322, 323, 311, 317, 406, 701, 702, 711, 712, 713, 714, 721, 722, 723}},
    {700, {407, 412, 411, 402, 314, 804}},
};

void SwitchByCode(xMorvaMain& package, void** p) {
  const int16_t c = WordAt(p, 1);
  const bool enabled = WordAt(p, 2) == 0;
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  int32_t code = 0;
  if (xMorvaPlugIn* area = object->GetAreaObject()) {
    const int32_t id = xMorvaMain::CommandOfUserCode(c);
    const auto* group = std::find_if(std::begin(kGroups), std::end(kGroups),
                                     [c](const CommandGroup& g) { return g.code == c; });
    if (id > 0) {
      SetCommandAllowed(*area, id, enabled);
    } else if (group != std::end(kGroups)) {
      for (int16_t member : group->ids) SetCommandAllowed(*area, member, enabled);
    } else if (!IsOwnCode(*document, c)) {
      // Font codes included: the fonts are switched as one, by group 300.
      code = kErrorUnknownCode;
    }
  }
  package.ReportCommandError(code);
}

// ---- BLOB insertion.

// The element stream of the BLOB's whole body, or 0 with the code: the
// BLOB is read into a scratch document first, and any code but 0 (a
// repaired document too) inserts nothing.
VMemHandle BodyOfBlob(uint32_t blob, int32_t& code) {
  auto scratch = std::make_unique<xMorvaDocument>(nullptr);
  scratch->Reset(false);
  // Read as command 49 reads a BLOB: the own format or the older one.
  code = xMorvaMain::ReadBlobDocument(*scratch, blob, false);
  if (code != 0) return 0;
  code = kErrorNoMemory;
  auto* body = static_cast<xMorvaEngine*>(scratch->GetBodyText());
  if (body == nullptr) return 0;
  body->SelectAll();
  return body->WriteStream(*scratch);
}

}  // namespace

namespace xMorvaAreaCommands {

void RunMenuCommand(xMorvaMain& package, int32_t n, void** p) {
  if (n == 25) RunByCode(package, p);
  if (n == 44) ReadByCode(package, p);
  if (n == 53) SwitchByCode(package, p);
}

void InsertBlob(xMorvaMain& package, void** p, void* result) {
  PutLong(result, kErrorNoSuchArea);
  xMorvaTextCommands::TextArea area;
  if (!xMorvaTextCommands::ResolveTextArea(package, p, area)) return;
  const uint32_t blob = HandleAt(p, 1);
  int32_t code = kErrorNoBlob;
  VMemHandle handle = blob != 0 ? BodyOfBlob(blob, code) : 0;
  if (handle != 0 && area.engine != nullptr) {
    xMorvaEngine& engine = *area.engine;
    xMorvaDocument& document = *area.document;
    if (WordAt(p, 2) != 0) engine.SetSelection(INT32_MAX, INT32_MAX);
    VHandleStream stream(handle);
    if (stream.OpenRead() == 0) {
      document.BeginChange();
      int32_t s = 0, e = 0;
      engine.GetSelection(s, e);
      engine.BeginUndoStep(kUndoPaste, 0);
      // The inserted text starts a paragraph of its own.
      code = engine.InsertParagraphEnd();
      if (code == 0) {
        engine.SetSelection(s + 1, s + 1);
        code = engine.ReadStream(stream, document);
      }
      if (code == 0) {
        e = engine.GetSelEnd();
        engine.RefreshComputedElements(engine.GetSelStartOffset(), engine.GetSelEndOffset());
        if (WordAt(p, 3) == 0) {
          engine.SetSelection(e, e);
          code = engine.InsertParagraphEnd();
          ++e;
        }
        engine.SetSelection(s, e);
      }
      // A failed step takes back what it changed, the first paragraph end
      // included.
      engine.EndUndoStep(code);
      document.EndChange();
      if (code == 0) engine.SetSelection(e, e);
      document.Refresh(true, true);
      stream.CloseRead();
    }
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  package.ReportCommandError(code);
  PutLong(result, code);
}

void SaveToHost(xMorvaMain& package, void** p) {
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  if (xMorvaPlugIn* area = object->GetEditingArea()) {
    if (VPlugInDocMgr* manager = area->GetDocMgr()) manager->SaveToField(area);
  }
  package.ReportCommandError(0);
}

int32_t ColourFromComponents(int32_t red, int32_t green, int32_t blue) {
  // The shifts left run on the bits, so that a far component wraps as the
  // 32-bit long it lands in rather than overflowing.
  const auto high = [](int32_t component) { return uint32_t(component >> 8); };
  return int32_t((high(red) << 16) | (high(green) << 8) | high(blue));
}

void RunFontCommand(int32_t n, void** p, void* result) {
  switch (n) {
    case 31: {
      VStr<255> name;
      StringAt(p, 0, name);
      PutLong(result, VSystemServices::GetFontNumber(name));
      break;
    }
    case 32: {
      VStr<255> name;
      VSystemServices::GetFontName(WordAt(p, 0), name);
      PutString(result, name);
      break;
    }
    case 65: {
      auto* entry = static_cast<HostVariableEntry*>(At(p, 0));
      const VStringArray* fonts = gSystemServices != nullptr ? gSystemServices->GetFontList(false) : nullptr;
      if (entry == nullptr || fonts == nullptr) break;
      if (!ResizeHostArray(*entry, fonts->Count())) break;
      for (int32_t i = 1; i <= fonts->Count(); ++i) {
        if (const VString* name = fonts->GetAt(i)) SetHostArrayString(*entry, i, *name);
      }
      break;
    }
    case 79: PutLong(result, ColourFromComponents(LongAt(p, 0), LongAt(p, 1), LongAt(p, 2))); break;
    case 80: {
      const int32_t colour = LongAt(p, 0);
      PutLong(At(p, 1), ((colour >> 16) & 0xFF) * 256);
      PutLong(At(p, 2), ((colour >> 8) & 0xFF) * 256);
      PutLong(At(p, 3), (colour & 0xFF) * 256);
      break;
    }
    case 91: PutLong(result, 0); break;
    default: break;
  }
}

}  // namespace xMorvaAreaCommands
