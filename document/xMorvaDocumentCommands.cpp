// The document's numbered commands: every menu item and toolbar control of
// an area ends here, and the host-language executors call them for the
// commands that mirror menu items.
#include <iterator>

#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"

namespace {

constexpr int32_t kNone = -1;
// The last id of a colour group asks the colour dialog.
constexpr int32_t kAskColour = -2;

struct ColourEntry {
  int32_t id;
  int32_t colour;
};

// The common colours of the strike-out, underline and border groups.
#define QV_COMMON_COLOURS(first)                                                            \
  {first, 0x0000FF}, {first + 1, 0x0099FF}, {first + 2, 0x00E6FF}, {first + 3, 0x19CC00},   \
      {first + 4, 0xFF9933}, {first + 5, 0xFF00CC}, {first + 6, 0xFFFFFF},                 \
      {first + 7, 0xCCCCCC}, {first + 8, 0x999999}, {first + 9, 0x666666}

// Colour commands: the property they set, and the value of each id.
constexpr ColourEntry kTextColours[] = {
    {602, 0x000000}, {603, 0x0000FF}, {604, 0x0099FF}, {605, 0x00E6FF}, {606, 0x19CC00},
    {607, 0xFF9933}, {608, 0xFF00CC}, {609, 0xFFFFFF}, {610, 0xCCCCCC}, {611, 0x999999},
    {612, 0x666666}, {613, kAskColour}};
constexpr ColourEntry kBackgroundColours[] = {
    {628, kNone},    {616, 0xFFFFFF}, {617, 0xB3B3FF}, {618, 0xA6D9FF}, {619, 0xCCFFFF},
    {620, 0xB3FFB3}, {621, 0xFFE6B3}, {622, 0xFFC0FF}, {623, 0xCCCCCC}, {624, 0x999999},
    {625, 0x666666}, {626, 0x000000}, {627, kAskColour}};
constexpr ColourEntry kStrikeColours[] = {
    {632, kNone}, {633, 0x000000}, QV_COMMON_COLOURS(634), {644, kAskColour}};
constexpr ColourEntry kUnderlineColours[] = {
    {646, kNone}, {647, 0x000000}, QV_COMMON_COLOURS(648), {658, kAskColour}};
constexpr ColourEntry kShadowColours[] = {
    {662, 0xCCCCCC}, {663, 0x999999}, {664, 0x666666}, {665, kAskColour}};
constexpr ColourEntry kParagraphColours[] = {
    {684, kNone},    {672, 0xFFFFFF}, {673, 0xB3B3FF}, {674, 0xA6D9FF}, {675, 0xCCFFFF},
    {676, 0xB3FFB3}, {677, 0xFFE6B3}, {678, 0xFFC0FF}, {679, 0xCCCCCC}, {680, 0x999999},
    {681, 0x666666}, {682, 0x000000}, {683, kAskColour}};
constexpr ColourEntry kBorderColours[] = {{686, 0x000000}, QV_COMMON_COLOURS(687), {697, kAskColour}};

#undef QV_COMMON_COLOURS

struct ColourGroup {
  const ColourEntry* entries;
  size_t count;
  uint16_t property;
  bool paragraph;
};

template <size_t N>
constexpr ColourGroup Group(const ColourEntry (&entries)[N], uint16_t property, bool paragraph) {
  return ColourGroup{entries, N, property, paragraph};
}

constexpr ColourGroup kColourGroups[] = {
    Group(kTextColours, 9, false),        Group(kBackgroundColours, 10, false),
    Group(kStrikeColours, 11, false),     Group(kUnderlineColours, 12, false),
    Group(kShadowColours, 13, false),     Group(kParagraphColours, 38, true),
    Group(kBorderColours, 39, true),
};

// Ids whose handler is the area's: a dialog, a file or print operation, a
// find, the spelling check or a bar. Without an area they do nothing.
bool IsAreaCommand(int32_t id) {
  switch (id) {
    case 10: case 11:
    case 102: case 103: case 104: case 105: case 106: case 107: case 108: case 109: case 110:
    case 208: case 209: case 210: case 211: case 212:
    case 310: case 320: case 331: case 332: case 333: case 334:
    case 335: case 336: case 337: case 338:
    case 401: case 402: case 407: case 408: case 409: case 413: case 414:
    case 751: case 752: case 753: case 754: case 755: case 756:
    case 801: case 802: case 805: case 806: case 807:
    case 1031: case 1032: case 1033: case 1034: case 1035:
      return true;
    default:
      return false;
  }
}

// Area commands that redraw the document after their handler.
bool RefreshesAfter(int32_t id) { return id == 105 || id == 106; }

// Toggle commands, whose value the host-language executors flip first.
bool IsToggle(int32_t id) {
  return id == 304 || (id >= 311 && id <= 319) || (id >= 502 && id <= 509) || id == 530 ||
         (id >= 1005 && id <= 1008) || id == 1012;
}

// The framework's styles of the time and of the date inserted as text.
constexpr uint16_t kTimeTextStyle = 2;
constexpr uint16_t kDateTextStyle = 3;

}  // namespace

int32_t xMorvaDocument::CommandValue(int32_t id) const {
  return fArea != nullptr ? fArea->GetCommandLong(id) : 0;
}

void xMorvaDocument::UpdateMenuItemState(int32_t id) {
  if (fArea == nullptr || !IsToggle(id)) return;
  fArea->SetCommandLong(id, fArea->GetCommandLong(id) == 0 ? 1 : 0, 1);
}

void xMorvaDocument::ApplySelectionAttribute(uint16_t id, uint32_t value) {
  if (fCurrent == nullptr) return;
  if (fCurrent->HasSelection()) {
    BeginChange();
    fCurrent->SetPropertyWithUndo(id, int32_t(value));
    EndChange();
    Refresh(true, false);
    return;
  }
  // A caret: the value waits for the next typed character, no undo step.
  fCurrent->SetPropertyValue(id, int32_t(value));
  if (fArea != nullptr) fArea->SetCommandLong(501, fCurrent->GetPlainStyleState(), 1);
}

void xMorvaDocument::ApplyParagraphAttribute(uint16_t id, uint32_t value) {
  if (fCurrent == nullptr) return;
  BeginChange();
  fCurrent->SetPropertyWithUndo(id, int32_t(value));
  EndChange();
  Refresh(false, false);
}

void xMorvaDocument::InsertElements(const uint8_t* bytes, uint32_t size, int32_t positions) {
  if (fCurrent == nullptr || size == 0) return;
  const VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes, size);
  if (handle == 0) return;
  BeginChange();
  // The caret goes behind what was inserted, as after typing.
  if (fCurrent->InsertHandleWithUndo(handle, positions) == 0) {
    const int32_t end = fCurrent->GetSelEnd();
    fCurrent->SetSelection(end, end);
  }
  EndChange();
  gMemoryMgr->DisposeHandle(handle);
}

void xMorvaDocument::InsertSoftHyphen() {
  if (fCurrent == nullptr) return;
  BeginChange();
  fCurrent->InsertSoftHyphenWithUndo();
  EndChange();
}

void xMorvaDocument::InsertBreak(uint16_t code) {
  if (fCurrent == nullptr) return;
  BeginChange();
  // The engine writes the break with its paragraph end and puts the caret
  // after it.
  fCurrent->InsertBreakWithUndo(code);
  EndChange();
}

void xMorvaDocument::InsertNowAsText(bool time) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr) return;
  VStr<255> now;
  if (time) {
    VHour hour;
    hour.SetNow();
    now.AppendTimeText(hour.GetTime(kWholeValue), kTimeTextStyle);
  } else {
    VDate today;
    today.SetToday();
    VDateRec date;
    today.GetDate(date, kWholeValue);
    now.AppendDateText(date, kDateTextStyle);
  }
  const VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return;
  uint32_t count = 0;
  uint32_t bytes = 0;
  if (text->StringToUnits(now, units, count, bytes, false) && count > 0)
    InsertUnits(units, int32_t(count), false);
  gMemoryMgr->DisposeHandle(units);
}

void xMorvaDocument::DeleteSelection(bool copyFirst) {
  // A selected picture on a page is what cut and clear take.
  if (fPagePictures && fPagePictures->HasSelection() && fStyleSheets) {
    if (copyFirst) CopySelection();
    DeletePagePicture(-1);
    Refresh(true, false);
    return;
  }
  if (fCurrent == nullptr || !fCurrent->HasSelection()) return;
  if (copyFirst) CopySelection();
  BeginChange();
  fCurrent->DeleteSelectionWithUndo();
  EndChange();
  Refresh(true, false);
}

bool xMorvaDocument::DoColourCommand(int32_t id) {
  for (const ColourGroup& group : kColourGroups) {
    for (size_t i = 0; i < group.count; ++i) {
      if (group.entries[i].id != id) continue;
      int32_t colour = group.entries[i].colour;
      if (colour == kAskColour) {
        if (fArea == nullptr || fCurrent == nullptr) return true;
        const int32_t current = fCurrent->GetPropertyValue(group.property);
        int32_t chosen = current;
        // A cancelled dialog, or the same colour, changes nothing.
        if (!fArea->AskValue(id, current, chosen) || chosen == current) return true;
        colour = chosen;
      }
      if (group.paragraph)
        ApplyParagraphAttribute(group.property, uint32_t(colour));
      else
        ApplySelectionAttribute(group.property, uint32_t(colour));
      return true;
    }
  }
  return false;
}

bool xMorvaDocument::DoCommand(int32_t id, int32_t* failure) {
  if (fUndo) fUndo->Commit();
  if (fArea != nullptr && !fInHostCommand) {
    // Both are asked, whatever the first answers.
    const bool byMethod = fArea->CallCommandMethod(id);
    const bool byCallback = fArea->CallAreaCallback(id);
    if (byMethod || byCallback) return true;
  }

  if (IsAreaCommand(id)) {
    int32_t code = 0;
    if (fArea != nullptr) {
      code = fArea->RunCommand(id);
      if (RefreshesAfter(id)) Refresh(true, true);
      if (id == 807) ShowSelection(true);
    }
    // A save that wrote nothing was not done: whoever ran it (the close
    // question, the host language) hears so.
    if (code != 0 && failure != nullptr) *failure = code;
    return code == 0;
  }
  if (DoColourCommand(id)) return true;

  return DoEditCommand(id) || DoViewCommand(id) || DoInsertCommand(id) || DoCharacterCommand(id) ||
         DoFontCommand(id) || DoParagraphCommand(id);
}

void xMorvaDocument::SetPropertiesInOneStep(std::initializer_list<uint16_t> properties, int32_t value, uint16_t kind,
                                            uint16_t code) {
  xMorvaTextInterface* text = fCurrent;
  BeginChange();
  text->BeginUndoStep(kind, code);
  int32_t result = 0;
  for (uint16_t property : properties) {
    result = text->SetPropertyValue(property, value);
    if (result != 0) break;
  }
  text->EndUndoStep(result);
  EndChange();
  Refresh(true, false);
}

// Undo and redo, the clipboard, rulers, select all, the end of a host
// command, the damage check and a new document.
bool xMorvaDocument::DoEditCommand(int32_t id) {
  xMorvaTextInterface* text = fCurrent;
  switch (id) {
    case 1:
    case 2:
      if (fUndo) {
        if (id == 1)
          fUndo->Undo();
        else
          fUndo->Redo();
      }
      Refresh(true, true);
      return true;
    case 3:
    case 6:
      DeleteSelection(id == 3);
      return true;
    case 4:
      CopySelection();
      // What is now on the clipboard can be pasted: paste takes its state
      // at once, not at the next user event.
      if (fArea != nullptr) fArea->UpdateCommands(0);
      return true;
    case 5:
      PasteClipboard();
      Refresh(true, true);
      return true;
    case 701:
      CopyRuler();
      return true;
    case 702:
      PasteRuler();
      return true;
    case 7:
      if (text != nullptr) text->SetSelection(0, text->GetLength());
      ShowSelection(false);
      return true;
    case 20:
      // The own window from the host language: the area decides whether
      // there is a switch to make and leaves host-command mode before it.
      if (fArea == nullptr || !fInHostCommand) return false;
      fArea->FinishHostCommand();
      return true;
    case 49:
      // The damage check belongs to the line composition; a text without
      // lines is sound.
      return true;
    case 101:
      if (fArea == nullptr || fArea->CanClose(1)) {
        Reset(false);
        ApplyViewOptions(false);
        Refresh(true, true);
      }
      return true;
    default:
      return false;
  }
}

// The view modes, the printer metrics, the caret, the view flags and the
// choice of body, header or footer.
bool xMorvaDocument::DoViewCommand(int32_t id) {
  switch (id) {
    case 302:
      SetViewMode(1);
      Refresh(true, false);
      return true;
    case 303:
      SetViewMode(0);
      Refresh(true, true);
      return true;
    case 304:
      SetPrinterMetrics(uint8_t(CommandValue(304) != 0));
      Refresh(false, true);
      return true;
    case 309:
      UpdateCaret(true);
      return true;
    case 321:
      SelectBody();
      ShowSelection(true);
      return true;
    case 322:
    case 323:
      if (fParams.GetViewMode() != 0) fParams.SetViewMode(0);
      if (id == 322)
        SelectHeaderForPage(fCaretPage);
      else
        SelectFooterForPage(fCaretPage);
      ShowSelection(true);
      return true;
    default:
      return DoViewFlagCommand(id);
  }
}

// The view flags 311 to 319: rulers, header, footer, invisibles and the
// others, each shown as its command's check says.
bool xMorvaDocument::DoViewFlagCommand(int32_t id) {
  if (id < 311 || id > 319) return false;
  if (fArea == nullptr) return true;
  const uint8_t value = CommandValue(id) != 0 ? 1 : 0;
  static constexpr int32_t kViewFlags[] = {2, 0, 0, 16, 6, 15, 3, 7, 8};
  const int32_t flag = kViewFlags[id - 311];
  if (id == 312 || id == 313) {
    if (id == 312) {
      ShowHeader(value != 0);
    } else {
      ShowFooter(value != 0);
    }
    Refresh(false, true);
    return true;
  }
  fParams.SetViewFlag(flag, value);
  if (id == 314) ApplyToAllParts(value);
  if (id == 311) {
    ShowRulers(value != 0, true);
  } else if (id == 318) {
    ShowHorizontalScrollBars(value != 0, true);
  } else if (id == 319) {
    ShowVerticalScrollBars(value != 0, true);
  } else {
    Refresh(false, true);
  }
  return true;
}

// Soft hyphens, non-breaking spaces, breaks, dates and times, and the
// update and freezing of computed elements.
bool xMorvaDocument::DoInsertCommand(int32_t id) {
  xMorvaTextInterface* text = fCurrent;
  switch (id) {
    case 404:
      InsertSoftHyphen();
      Refresh(true, false);
      return true;
    case 405:
      if (text != nullptr) {
        BeginChange();
        text->TypeCharacterWithUndo(0xA0);
        EndChange();
        Refresh(true, false);
      }
      return true;
    case 406:
    case 410:
      // Page and column breaks belong to the body only.
      if (IsBodyCurrent()) InsertBreak(id == 406 ? 24004 : 24003);
      Refresh(true, false);
      return true;
    case 411:
    case 412:
      InsertNowAsText(id == 411);
      Refresh(true, false);
      return true;
    case 803:
      UpdateDateTimeFields();
      Refresh(true, true);
      return true;
    case 804:
      FreezeComputedElements();
      Refresh(true, true);
      return true;
    default:
      return false;
  }
}

// Case changes, plain style, the face toggles, positions and case modes,
// and the underline kinds.
bool xMorvaDocument::DoCharacterCommand(int32_t id) {
  xMorvaTextInterface* text = fCurrent;
  switch (id) {
    case 221:
    case 222:
    case 223:
    case 224:
      if (text != nullptr && text->HasSelection()) {
        BeginChange();
        text->ChangeCaseWithUndo(int16_t(id - 221));
        EndChange();
        Refresh(true, false);
      }
      return true;
    case 501:
      if (text != nullptr) SetPropertiesInOneStep({0, 1, 4, 3, 2, 5}, 0, 0, 65);
      return true;
    case 502:
    case 503:
    case 504:
    case 505:
      if (fArea != nullptr) ApplySelectionAttribute(uint16_t(id - 502), CommandValue(id) != 0);
      return true;
    case 506:
    case 507:
    case 508:
    case 509: {
      if (fArea == nullptr) return true;
      const bool checked = CommandValue(id) != 0;
      const int32_t partner = (id == 506 || id == 508) ? id + 1 : id - 1;
      const uint16_t property = id <= 507 ? 5 : 6;
      const uint32_t value = checked ? ((id == 506 || id == 508) ? 1 : 2) : 0;
      fArea->SetCommandLong(partner, 0, 1);
      ApplySelectionAttribute(property, value);
      return true;
    }
    case 521:
    case 523:
    case 524:
    case 525:
      ApplySelectionAttribute(4, uint32_t(id == 521 ? 0 : id - 521));
      return true;
    case 522:
      ApplySelectionAttribute(4, CommandValue(522) != 0 ? 1 : 0);
      return true;
    case 530:
      if (fArea != nullptr) ApplySelectionAttribute(4, CommandValue(530) != 0 ? 1 : 0);
      return true;
    default:
      return false;
  }
}

// The style sheet, size and font chosen in the tool bar's lists.
bool xMorvaDocument::DoFontCommand(int32_t id) {
  switch (id) {
    case 1000: {
      // The style sheet chosen in the list: the list holds the document's
      // style sheets in their order.
      if (fArea == nullptr) return true;
      int16_t sheet = 0;
      if (StyleSheetIdAt(fArea->GetCommandChoice(1000), sheet) && ApplyStyleSheet(sheet) == 0) Refresh(true, true);
      return true;
    }
    case 1001: {
      if (fArea == nullptr) return true;
      int32_t size = CommandValue(1001);
      if (size > 255) {
        size = 255;
        fArea->SetCommandLong(1001, 255, 1);
      }
      ApplySelectionAttribute(8, uint32_t(size));
      fTypingResync = 1;
      return true;
    }
    case 1002: {
      if (fArea == nullptr) return true;
      VStr<255> name;
      fArea->GetCommandString(1002, name);
      // The font table appends a name it does not hold yet.
      const int16_t font = name.GetLength() > 0 ? DocumentFontIndex(*this, name) : 0;
      if (font > 0) ApplySelectionAttribute(7, uint32_t(font));
      return true;
    }
    default:
      return false;
  }
}

// Alignment, line spacing, the asked interline and bullet, borders and
// bullets.
bool xMorvaDocument::DoParagraphCommand(int32_t id) {
  xMorvaTextInterface* text = fCurrent;
  switch (id) {
    case 711:
    case 712:
    case 713:
    case 714:
      ApplyParagraphAttribute(32, uint32_t(id - 711));
      return true;
    case 721:
    case 722:
    case 723:
      ApplyParagraphAttribute(33, uint32_t(id == 721 ? 10 : id == 722 ? 15 : 20));
      return true;
    case 724:
    case 1028: {
      if (fArea == nullptr || text == nullptr) return true;
      const uint16_t property = id == 724 ? 33 : 34;
      // The bullet goes whole to the symbol grid, which finds its cell
      // through the code page (U+20AC is the cell 0x80, not 0xAC).
      const int32_t current = text->GetPropertyValue(property);
      int32_t chosen = current;
      if (fArea->AskValue(id, current, chosen)) ApplyParagraphAttribute(property, uint32_t(chosen));
      return true;
    }
    case 1005:
    case 1006:
    case 1007:
    case 1008: {
      if (fArea == nullptr) return true;
      static constexpr uint16_t kBorders[] = {41, 43, 42, 44};
      ApplyParagraphAttribute(kBorders[id - 1005], CommandValue(id) != 0 ? 1 : 0);
      return true;
    }
    case 1009:
    case 1010:
    case 1011:
      if (text != nullptr) SetPropertiesInOneStep({41, 42, 43, 44}, id == 1011 ? 0 : 1, 1, 0);
      return true;
    case 1012:
      if (fArea != nullptr) ApplyParagraphAttribute(34, CommandValue(1012) != 0 ? 0x6C : 0);
      return true;
    case 1021:
    case 1022:
    case 1023:
    case 1024:
    case 1025:
    case 1026:
    case 1027: {
      static constexpr uint32_t kBullets[] = {0, 0x6E, 0x6F, 0x6C, 0x6D, 0x75, 0x76};
      ApplyParagraphAttribute(34, kBullets[id - 1021]);
      return true;
    }
    default:
      return false;
  }
}
