// The dialog commands of an editing area: the values each dialog starts
// with, and what an accepted dialog changes in the document.
#include "area/xMorvaDialogCommands.h"

#include <memory>

#include "area/view/xMorvaHyperlink.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaBarState.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VShape.h"
#include "graphics/pictures/VPictureData.h"
#include "host/context/HostServices.h"
#include "host/context/VHostRef.h"
#include "host/dialog/VFormulaDialog.h"

namespace {

// Property ids: the character ones, the paragraph ones the paragraph
// dialog sets, and those of the borders.
constexpr uint16_t kFirstCharacterProperty = 0;
constexpr uint16_t kLastCharacterProperty = 31;
constexpr uint16_t kFirstParagraphProperty = 32;
constexpr uint16_t kLastParagraphDialogProperty = 37;
constexpr uint16_t kPropertyFont = 7;
constexpr uint16_t kBorderProperties[] = {38, 39, 40, 45};
constexpr uint16_t kUndoProperties = 1;
constexpr uint16_t kUndoSpecialChar = 4;
// The document's word list and its item that follows the number of
// replacements made.
constexpr int16_t kDocumentWordsOffset = 10;
constexpr int16_t kReplacementsMadeItem = 17;
// Where the paste picture dialog puts a picture.
constexpr int16_t kPlacementOnPage = 0;
constexpr int16_t kPlacementCancelled = -1;
constexpr int16_t kPlacementInText = 1;

xMorvaEngine* CurrentText(xMorvaDocument& document) {
  return static_cast<xMorvaEngine*>(document.GetCurrentPart());
}

// A change of the document the dialog's values go into, redrawn whole
// afterwards.
class DocumentChange {
 public:
  explicit DocumentChange(xMorvaDocument& document) : fDocument(document) { fDocument.BeginChange(); }
  ~DocumentChange() {
    fDocument.EndChange();
    fDocument.Refresh(true, true);
  }
  DocumentChange(const DocumentChange&) = delete;
  DocumentChange& operator=(const DocumentChange&) = delete;

 private:
  xMorvaDocument& fDocument;
};

// Inserts the text at the selection as element units, as one undo step.
int32_t InsertText(xMorvaEngine& text, const std::u16string& units) {
  VStrInHandle string;
  string.AppendUniChars(units.data(), int32_t(units.size()));
  VMemHandle handle = gMemoryMgr->NewHandle(0, 64);
  if (handle == 0) return 1041;
  uint32_t positions = 0;
  uint32_t bytes = 0;
  int32_t error = 1041;
  if (text.StringToUnits(string, handle, positions, bytes, false)) error = text.InsertHandleWithUndo(handle, int32_t(positions));
  gMemoryMgr->DisposeHandle(handle);
  return error;
}

// Opens a dialog that applies its own result and tells the host the
// outcome: true when it was accepted.
bool RunSelfApplying(xMorvaPlugIn& area, xMorvaDocument& document, int32_t command) {
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  const bool accepted = dialogs != nullptr && dialogs->RunSelfApplying(command, area, document);
  document.SetHostOutcome(accepted);
  return accepted;
}

void RunPropertyDialog(xMorvaPlugIn& area, xMorvaDocument& document, int32_t command) {
  xMorvaEngine* text = CurrentText(document);
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  if (text == nullptr) return;
  xMorvaProperties properties(text->GetCurrentProperties());
  xMorvaPropertiesStates states(text->GetPropertiesStates());
  // Nothing counts as changed until the dialog says so.
  if (dialogs != nullptr) states.ClearAll();
  bool insideKnown = false;
  bool inside = false;
  const bool accepted =
      dialogs != nullptr && dialogs->RunProperties(command, area, properties, states, insideKnown, inside);
  document.SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(document);
  switch (command) {
    case 751:
      xMorvaDialogCommands::ApplyProperties(document, properties, states, kFirstCharacterProperty,
                                            kLastCharacterProperty);
      break;
    case 752:
      xMorvaDialogCommands::ApplyProperties(document, properties, states, kFirstParagraphProperty,
                                            kLastParagraphDialogProperty);
      break;
    default: {
      // The border properties, then the sides the dialog decided and the
      // lines between the paragraphs when it made that choice: one step.
      text->BeginUndoStep(kUndoProperties, 0);
      int32_t error = 0;
      for (uint16_t id : kBorderProperties) {
        if (states.GetState(id) == 1 && error == 0) error = text->SetPropertyValue(id, properties.GetProperty(id));
      }
      if (error == 0) error = text->ApplyParagraphBorders(properties, states, insideKnown, inside);
      text->EndUndoStep(error);
      break;
    }
  }
}

// Tells how many matches were replaced: the count and the list's words.
void ShowReplacementCount(xMorvaPlugIn& area, int32_t count) {
  VStrInHandle message;
  const std::string number = std::to_string(count);
  message.AppendCText(number.c_str(), kCharSetAnsi);
  xMorvaMain* package = area.GetMorvaPackage();
  if (package != nullptr && package->GetResourceFile() != nullptr) {
    VStr<255> words;
    package->GetResourceFile()->GetIndString(
        &words, static_cast<int16_t>(package->GetResourceBase() + kDocumentWordsOffset), kReplacementsMadeItem);
    for (int32_t i = 1; i <= words.GetLength(); ++i) message.AppendUniChar(words.GetCharAt(i));
  }
  uint8_t text[256];
  message.GetPText(text, 255, kCharSetMac);
  HostShowMessage(text);
}

// The host expression at the selection, or a new one when none stands
// there.
std::unique_ptr<VHostRef> ReferenceAtSelection(xMorvaEngine& text) {
  const VMemHandle stored = text.GetHostExpressionAtSelection();
  std::unique_ptr<VHostRef> reference;
  if (stored != 0) {
    const uint32_t size = gMemoryMgr->GetHandleSize(stored);
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(stored));
    if (bytes != nullptr) reference = std::make_unique<VHostRef>(bytes, size);
    gMemoryMgr->UnlockHandle(stored);
    gMemoryMgr->DisposeHandle(stored);
  }
  if (!reference) reference = std::make_unique<VHostRef>(int16_t(0), int16_t(0), false);
  return reference;
}

// Puts the reference's picture on a page (the document shows the pages,
// keeps the undo step and tells a failure): false when the pictures on the
// pages could not take it.
bool PlaceOnPage(xMorvaDocument& document, VHostRef& reference, const VPictureData& picture,
                 const xMorvaPagePicture& entry) {
  return document.PlacePagePicture(kUndoPaste, [&] {
    auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document.GetPagePictures());
    VMemoryResourceFile* store = document.GetStyleSheetStore();
    if (pictures == nullptr || store == nullptr || pictures->AddReferencePicture(*store, &picture, &reference, entry) != 0)
      return false;
    pictures->SetSelection(pictures->GetCount() - 1);
    return true;
  });
}

// The paste picture dialog on a copy of the placing a picture starts with
// on the caret's page: true with where it goes and that placing when the
// user accepted.
bool AskPlacement(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement, xMorvaPagePicture& entry) {
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  placement = kPlacementInText;
  entry = xMorvaPagePicture();
  entry.page = document.GetCaretPage();
  return dialogs != nullptr && dialogs->RunPastePicture(area, document, placement, entry);
}

}  // namespace

namespace xMorvaDialogCommands {

int32_t ApplyProperties(xMorvaDocument& document, const xMorvaProperties& properties,
                        const xMorvaPropertiesStates& states, uint16_t first, uint16_t last) {
  xMorvaEngine* text = CurrentText(document);
  if (text == nullptr) return 0;
  text->BeginUndoStep(kUndoProperties, 0);
  int32_t error = 0;
  for (uint16_t id = first; id <= last && error == 0; ++id) {
    if (states.GetState(id) == 1) error = text->SetPropertyValue(id, properties.GetProperty(id));
  }
  text->EndUndoStep(error);
  return error;
}

void PasteReference(xMorvaPlugIn& area, VHostRef& reference, VValue* resolved) {
  std::unique_ptr<VValue> value(resolved);
  xMorvaDocument* document = area.GetDocument();
  xMorvaEngine* text = document != nullptr ? CurrentText(*document) : nullptr;
  if (text == nullptr) return;
  if (value && value->GetKind() == kValuePicture) {
    int16_t placement = kPlacementInText;
    xMorvaPagePicture entry;
    const bool accepted = AskPlacement(area, *document, placement, entry);
    document->SetHostOutcome(accepted);
    if (!accepted) return;
    if (placement == kPlacementOnPage) {
      PlaceOnPage(*document, reference, static_cast<const VPictureData&>(*value), entry);
      return;
    }
  } else {
    document->SetHostOutcome(true);
  }
  const VMemHandle stored = reference.ToHandle();
  if (stored == 0) return;
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(stored));
  if (bytes != nullptr) {
    DocumentChange change(*document);
    text->InsertHostExpressionWithUndo(bytes, gMemoryMgr->GetHandleSize(stored), value.release());
  }
  gMemoryMgr->UnlockHandle(stored);
  gMemoryMgr->DisposeHandle(stored);
}

bool IsDialogCommand(int32_t command) {
  switch (command) {
    case 10: case 105: case 208: case 209: case 210: case 211: case 212:
    case 401: case 402: case 407: case 408: case 409: case 413: case 414:
    case 751: case 752: case 753: case 754: case 755: case 756:
    case 801: case 802: case 806: case 807:
      return true;
    default:
      return false;
  }
}

bool Run(xMorvaPlugIn& area, int32_t command) {
  if (!IsDialogCommand(command)) return false;
  if (area.GetDocument() == nullptr) return true;
  switch (command) {
    case 10: area.RunAboutDialog(); break;
    case 105: area.RunPreferencesDialog(); break;
    case 208: area.FindCommand(); break;
    case 209: area.FindAgain(); break;
    case 210: area.ReplaceCommand(); break;
    case 211: area.ReplaceAgain(false); break;
    case 212: area.ReplaceAgain(true); break;
    case 401: area.RunDateTimeDialog(); break;
    case 402: area.RunPageNumberDialog(); break;
    case 407: area.RunPastePictureDialog(); break;
    case 408: area.RunNewArrayDialog(); break;
    case 409: area.RunSpecialCharDialog(); break;
    case 413: area.RunHyperlinkDialog(); break;
    case 414: area.RunHTMLexpressionDialog(); break;
    case 751: area.RunFontDialog(); break;
    case 752: area.RunParagraphDialog(); break;
    case 753: area.RunTabulationsDialog(-1); break;
    case 754: area.RunBorderDialog(); break;
    case 755: area.RunStyleSheetsDialog(); break;
    case 756: area.RunColumnsDialog(); break;
    case 801: area.RunInformationsDialog(); break;
    case 802: area.RunStatisticsDialog(); break;
    case 806: area.RunLanguageDialog(); break;
    case 807: area.RunGotoPageDialog(); break;
    default: break;
  }
  return true;
}

}  // namespace xMorvaDialogCommands

// ---- The area's dialog commands

void xMorvaPlugIn::RunAboutDialog() {
  if (fDocument) RunSelfApplying(*this, *fDocument, 10);
}

void xMorvaPlugIn::RunPreferencesDialog() {
  if (fDocument) RunSelfApplying(*this, *fDocument, 105);
}

void xMorvaPlugIn::RunNewArrayDialog() {
  if (fDocument && RunSelfApplying(*this, *fDocument, 408)) fDocument->Refresh(true, true);
}

void xMorvaPlugIn::RunStyleSheetsDialog() {
  if (fDocument) RunSelfApplying(*this, *fDocument, 755);
}

void xMorvaPlugIn::RunInformationsDialog() {
  if (!fDocument || !RunSelfApplying(*this, *fDocument, 801)) return;
  // The document's lock setting locks its editing and takes the rulers and
  // bars away.
  const bool locked = fDocument->Infos().GetLocked() != 0;
  SetEditingLocked(*this, locked);
  ShowBars(locked);
}

void xMorvaPlugIn::RunStatisticsDialog() {
  if (fDocument) RunSelfApplying(*this, *fDocument, 802);
}

void xMorvaPlugIn::RunLanguageDialog() {
  if (!fDocument) return;
  // The speller of the old language goes first, so that the next check
  // loads the chosen one.
  UnloadWinSpeller();
  RunSelfApplying(*this, *fDocument, 806);
}

void xMorvaPlugIn::RunFontDialog() {
  if (fDocument) RunPropertyDialog(*this, *fDocument, 751);
}

void xMorvaPlugIn::RunParagraphDialog() {
  if (fDocument) RunPropertyDialog(*this, *fDocument, 752);
}

void xMorvaPlugIn::RunBorderDialog() {
  if (fDocument) RunPropertyDialog(*this, *fDocument, 754);
}

void xMorvaPlugIn::RunDateTimeDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  uint16_t format = kDefaultDateTimeFormat;
  text->GetDateTimeFormatAtSelection(format);
  bool element = false;
  std::u16string chosen;
  const bool accepted = dialogs != nullptr && dialogs->RunDateTime(*this, *fDocument, format, element, chosen);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(*fDocument);
  if (element) {
    VDateRec date{};
    int32_t seconds = 0;
    xMorvaDocInfos::Now(date, seconds);
    text->InsertDateTimeField(date, seconds, format, true);
  } else {
    InsertText(*text, chosen);
  }
}

void xMorvaPlugIn::RunPageNumberDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  uint32_t format = 0;
  text->GetPageNumberFormatAtSelection(format);
  const bool accepted = dialogs != nullptr && dialogs->RunPageNumber(*this, format);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(*fDocument);
  text->InsertPageNumberField(format, true);
}

// The formula editor on the host expression at the selection, then what
// its reference gives put in the document.
void xMorvaPlugIn::RunPastePictureDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  std::unique_ptr<VHostRef> reference = ReferenceAtSelection(*text);
  if (!RunFormulaDialog(reference.get())) {
    fDocument->SetHostOutcome(false);
    return;
  }
  xMorvaDialogCommands::PasteReference(*this, *reference, reference->Evaluate());
}

// A picture from the clipboard: the placing chosen on a page waits for
// AddPagePicture, which the document runs next.
int16_t xMorvaPlugIn::AskPastePicturePlacement() {
  fPastedPlacement.reset();
  if (!fDocument) return kPlacementCancelled;
  auto entry = std::make_unique<xMorvaPagePicture>();
  int16_t placement = kPlacementInText;
  if (!AskPlacement(*this, *fDocument, placement, *entry)) return kPlacementCancelled;
  if (placement != kPlacementOnPage) return kPlacementInText;
  fPastedPlacement = std::move(entry);
  return kPlacementOnPage;
}

bool xMorvaPlugIn::AddPagePicture(VPictureData* picture) {
  const std::unique_ptr<VPictureData> taken(picture);
  const std::unique_ptr<xMorvaPagePicture> entry = std::move(fPastedPlacement);
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  VMemoryResourceFile* store = fDocument ? fDocument->GetStyleSheetStore() : nullptr;
  if (!taken || !entry || pictures == nullptr || store == nullptr || pictures->AddPicture(*store, *taken, *entry) != 0)
    return false;
  pictures->SetSelection(pictures->GetCount() - 1);
  return true;
}

void xMorvaPlugIn::RunSpecialCharDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  // The selection's font, or the document's default when the table does
  // not know its name.
  VStr<255> name;
  bool known = false;
  if (!fDocument->FontNameForIndex(text->GetPropertyValue(kPropertyFont), name, known) || !known) {
    name.SetEmpty(false);
    name.AppendCText(fDocument->GetDefaultFontName().c_str(), kCharSetAnsi);
  }
  char buffer[256] = {};
  name.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  std::string font = buffer;
  char16_t character = u' ';
  const bool accepted = dialogs != nullptr && dialogs->RunSelectChar(*this, font, character, false);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(*fDocument);
  // The chosen font for the inserted character only: the typing after it
  // keeps the font it had.
  const int32_t previous = text->GetPropertyValue(kPropertyFont);
  VStr<255> chosenName;
  chosenName.AppendCText(font.c_str(), kCharSetAnsi);
  const int16_t index = fDocument->FontIndexForName(chosenName);
  text->BeginUndoStep(kUndoSpecialChar, 0);
  int32_t error = text->SetPropertyValue(kPropertyFont, index);
  if (error == 0) error = text->TypeCharacter(character);
  if (error == 0) error = text->SetPropertyValue(kPropertyFont, previous);
  text->EndUndoStep(error);
}

// The hyperlink at the selection, or an empty one, edited in the link
// dialog; OK puts a link element with its values at the selection.
void xMorvaPlugIn::RunHyperlinkDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaHyperlink link;
  if (!text->GetHyperlinkAtSelection(link)) link = xMorvaHyperlink();
  const bool accepted = link.EditInDialog(*this);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(*fDocument);
  text->InsertHyperlinkWithUndo(link);
}

void xMorvaPlugIn::RunHTMLexpressionDialog() {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  std::u16string expression;
  const bool accepted = dialogs != nullptr && dialogs->RunHTMLExpression(*this, expression);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  VStrInHandle string;
  string.AppendUniChars(expression.data(), int32_t(expression.size()));
  DocumentChange change(*fDocument);
  text->InsertHTMLExpressionWithUndo(string);
}

void xMorvaPlugIn::RunTabulationsDialog(int32_t position) {
  xMorvaEngine* text = fDocument ? CurrentText(*fDocument) : nullptr;
  if (text == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  xMorvaTabs tabs(text->GetCurrentTabs());
  const bool accepted = dialogs != nullptr && dialogs->RunTabulations(*this, position, tabs);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  DocumentChange change(*fDocument);
  text->SetTabsWithUndo(tabs);
}

void xMorvaPlugIn::RunColumnsDialog() {
  if (!fDocument || CurrentText(*fDocument) == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  xMorvaDocParams params(fDocument->GetParams());
  const bool accepted = dialogs != nullptr && dialogs->RunColumns(*this, params);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) return;
  if (!params.IsEqual(fDocument->GetParams())) fDocument->SetModified();
  fDocument->Params() = params;
  fDocument->UpdateReferencePrinter();
  fDocument->Refresh(true, true);
}

void xMorvaPlugIn::RunGotoPageDialog() {
  if (!fDocument || CurrentText(*fDocument) == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  int32_t page = 0;
  const bool accepted = dialogs != nullptr && dialogs->RunGotoPage(*this, page);
  fDocument->SetHostOutcome(accepted);
  if (accepted) fDocument->GoToPage(page);
}

bool xMorvaPlugIn::AskValue(int32_t command, int32_t current, int32_t& value) {
  if (xMorvaDialogSlot::Get() == nullptr || fDocument == nullptr) return false;
  value = current;
  if (command == 724) return RunInterlineDialog(value);
  if (command == 1028) return ChooseSymbolChar(value);
  // Every other value the document asks for is a colour: the last id of
  // one of its colour palettes.
  return xMorvaDialogSlot::Get()->RunColour(*this, value);
}

bool xMorvaPlugIn::RunInterlineDialog(int32_t& value) {
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  if (dialogs == nullptr || fDocument == nullptr) return false;
  const int32_t current = value;
  const bool accepted = dialogs->RunInterline(*this, value);
  fDocument->SetHostOutcome(accepted);
  if (!accepted) value = current;
  return accepted;
}

bool xMorvaPlugIn::ChooseSymbolChar(int32_t& character) {
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  if (dialogs == nullptr || fDocument == nullptr) return false;
  std::string font = "Wingdings";
  char16_t chosen = char16_t(character);
  const bool accepted = dialogs->RunSelectChar(*this, font, chosen, true);
  fDocument->SetHostOutcome(accepted);
  if (accepted) character = chosen;
  return accepted;
}

// ---- Find and replace, with the area's search parameters

void xMorvaPlugIn::FindCommand() {
  xMorvaFindReplaceParameters* parameters = GetFindReplace();
  if (!fDocument || parameters == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  const bool accepted = dialogs != nullptr && dialogs->RunFind(*this, *parameters);
  fDocument->SetHostOutcome(accepted);
  if (accepted) FindAgain();
}

// Finds the next match and shows it; no match beeps.
void xMorvaPlugIn::FindAgain() {
  xMorvaFindReplaceParameters* parameters = GetFindReplace();
  if (!fDocument || parameters == nullptr) return;
  if (fDocument->FindNext(*parameters)) {
    fDocument->ShowSelection(true);
  } else {
    VSystemServices::Beep();
  }
}

void xMorvaPlugIn::ReplaceCommand() {
  xMorvaFindReplaceParameters* parameters = GetFindReplace();
  if (!fDocument || parameters == nullptr) return;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  bool all = false;
  const bool accepted = dialogs != nullptr && dialogs->RunReplace(*this, *parameters, all);
  fDocument->SetHostOutcome(accepted);
  if (accepted) ReplaceAgain(all);
}

// Every match (the count is told, none beeps) or the current match, the
// next one then found (none beeps). The document is redrawn when something
// was replaced.
void xMorvaPlugIn::ReplaceAgain(bool all) {
  xMorvaFindReplaceParameters* parameters = GetFindReplace();
  if (!fDocument || parameters == nullptr) return;
  if (all) {
    const int32_t count = fDocument->ReplaceAll(*parameters);
    if (count <= 0) {
      VSystemServices::Beep();
      return;
    }
    fDocument->Refresh(true, true);
    ShowReplacementCount(*this, count);
    return;
  }
  if (!fDocument->ReplaceNext(*parameters)) {
    VSystemServices::Beep();
    return;
  }
  fDocument->Refresh(true, true);
}
