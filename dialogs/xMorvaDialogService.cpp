// The dialogs behind the editing area's dialog commands. A command no
// dialog here owns answers "cancelled" (false), so that it changes nothing
// in the document and tells the host the run was cancelled.
#include "dialogs/xMorvaDialogService.h"

#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaBorderDialog.h"
#include "dialogs/xMorvaColumnsDialog.h"
#include "dialogs/xMorvaDialog.h"
#include "dialogs/xMorvaDocumentInformationsDialog.h"
#include "dialogs/xMorvaDocumentPreferencesDialog.h"
#include "dialogs/xMorvaDocumentStatisticsDialog.h"
#include "dialogs/xMorvaEditPictureDialogs.h"
#include "dialogs/xMorvaFindDialog.h"
#include "dialogs/xMorvaFontDialog.h"
#include "dialogs/xMorvaHyperlinkDialog.h"
#include "dialogs/xMorvaInsertDateTimeDialog.h"
#include "dialogs/xMorvaInsertPageNumberDialog.h"
#include "dialogs/xMorvaDialogNewArray.h"
#include "dialogs/xMorvaParagraphDialog.h"
#include "dialogs/xMorvaPictureDialog.h"
#include "dialogs/xMorvaPrintPreviewDialog.h"
#include "dialogs/xMorvaQuestionDialogs.h"
#include "dialogs/xMorvaSelectCharDialog.h"
#include "dialogs/xMorvaSmallDialogs.h"
#include "dialogs/xMorvaStyleSheetDialogs.h"
#include "dialogs/xMorvaTabulationsDialog.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"

namespace {

constexpr uint16_t kLastCharacterId = 31;

// The font dialog on the selection's character properties. The dialog
// shows a property that is not the same over the whole selection as mixed,
// so it starts from the selection's own states; what goes back marks only
// what the user changed, so that an accepted dialog sets nothing it left as
// it was.
bool RunFontDialog(xMorvaPlugIn& area, xMorvaProperties& properties, xMorvaPropertiesStates& states) {
  xMorvaDocument* document = area.GetDocument();
  auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  const xMorvaPropertiesStates uniform(text != nullptr ? text->GetPropertiesStates() : states);
  xMorvaFontDialog dialog(&area, properties, uniform);
  if (!dialog.Run()) return false;
  const xMorvaProperties& chosen = dialog.GetProperties();
  const xMorvaPropertiesStates& set = dialog.GetStates();
  states.ClearAll();
  for (uint16_t id = 0; id <= kLastCharacterId; ++id) {
    if (set.GetState(id) != 1) continue;
    if (uniform.GetState(id) != 1 || chosen.GetProperty(id) != properties.GetProperty(id)) states.SetState(id, 1);
  }
  properties.Assign(chosen);
  return true;
}

}  // namespace

bool xMorvaDialogService::RunSelfApplying(int32_t command, xMorvaPlugIn& area, xMorvaDocument& document) {
  switch (command) {
    case 10: return RunAboutDialog(area);
    case 105: return RunDocumentPreferencesDialog(area, document);
    case 408: return RunNewArrayDialog(area, document);
    case 755: return RunStyleSheetsDialog(area, document);
    case 801: return RunDocumentInformationsDialog(area, document);
    case 802: return RunDocumentStatisticsDialog(area, document);
    case 806: return RunLanguageDialog(area, document);
    default: return false;  // no dialog of this command: cancelled
  }
}

bool xMorvaDialogService::RunDateTime(xMorvaPlugIn& area, xMorvaDocument&, uint16_t& format, bool& element,
                                      std::u16string& text) {
  return RunDateTimeDialog(area, format, element, text);
}

bool xMorvaDialogService::RunPageNumber(xMorvaPlugIn& area, uint32_t& format) {
  return RunPageNumberDialog(area, format);
}

bool xMorvaDialogService::RunSelectChar(xMorvaPlugIn& area, std::string& fontName, char16_t& character,
                                        bool fontFixed) {
  return RunSelectCharDialog(area, fontName, character, fontFixed);
}

bool xMorvaDialogService::RunHTMLExpression(xMorvaPlugIn& area, std::u16string& expression) {
  return RunHTMLExpressionDialog(area, expression);
}

bool xMorvaDialogService::RunInterline(xMorvaPlugIn& area, int32_t& value) { return RunInterlineDialog(area, value); }

bool xMorvaDialogService::RunColour(xMorvaPlugIn&, int32_t& colour) { return ChooseColour(colour); }

bool xMorvaDialogService::RunProperties(int32_t command, xMorvaPlugIn& area, xMorvaProperties& properties,
                                        xMorvaPropertiesStates& states, bool& insideKnown, bool& inside) {
  switch (command) {
    case 751: return RunFontDialog(area, properties, states);
    case 752: return RunParagraphDialog(area, properties, states);
    case 754: return RunBorderDialog(area, properties, states, insideKnown, inside);
    default: return false;
  }
}

bool xMorvaDialogService::RunTabulations(xMorvaPlugIn& area, int32_t position, xMorvaTabs& tabs) {
  return RunTabulationsDialog(area, position, tabs);
}

bool xMorvaDialogService::RunColumns(xMorvaPlugIn& area, xMorvaDocParams& params) {
  return RunColumnsDialog(area, params);
}

bool xMorvaDialogService::RunGotoPage(xMorvaPlugIn& area, int32_t& page) { return RunGotoPageDialog(area, page); }

bool xMorvaDialogService::RunPastePicture(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement,
                                          xMorvaPagePicture& entry) {
  return RunPictureDialog(area, document, placement, entry);
}

bool xMorvaDialogService::RunEditPictureInPage(xMorvaPlugIn& area, xMorvaDocument& document,
                                               xMorvaPagePicture& entry, VHostRef* expression,
                                               bool& expressionChanged) {
  xMorvaEditPictureInPageDialog dialog(&area, &document, entry, expression != nullptr, expression);
  if (!dialog.Run()) return false;
  entry = dialog.GetEntry();
  expressionChanged = dialog.ExpressionChanged();
  return true;
}

bool xMorvaDialogService::RunEditPicture(xMorvaPlugIn& area, xMorvaDocument& document,
                                         xMorvaPictureHeader& header, VHostRef* expression,
                                         bool& expressionChanged) {
  xMorvaTextPictureSettings settings;
  settings.width = header.shownWidth;
  settings.height = header.shownHeight;
  settings.ownWidth = header.ownWidth;
  settings.ownHeight = header.ownHeight;
  settings.keepsSize = header.flag;
  settings.displayMode = int16_t(header.mode);
  xMorvaEditPictureDialog dialog(&area, &document, settings, expression);
  if (!dialog.Run()) return false;
  const xMorvaTextPictureSettings& chosen = dialog.GetSettings();
  header.shownWidth = chosen.width;
  header.shownHeight = chosen.height;
  header.flag = chosen.keepsSize;
  header.mode = uint16_t(chosen.displayMode);
  expressionChanged = dialog.ExpressionChanged();
  return true;
}

bool xMorvaDialogService::RunFind(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters) {
  xMorvaFindReplace search{parameters, area.GetFindHistory(), area.GetReplaceHistory(), area.GetDocument()};
  return search.RunFindDialog(&area);
}

bool xMorvaDialogService::RunReplace(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters,
                                     bool& replaceAll) {
  xMorvaFindReplace search{parameters, area.GetFindHistory(), area.GetReplaceHistory(), area.GetDocument()};
  return search.RunReplaceDialog(&area, replaceAll);
}

bool xMorvaDialogService::RunMailing(xMorvaPlugIn& area, int16_t& table) { return RunMailingDialog(area, table); }

int16_t xMorvaDialogService::RunPaperQuestion(xMorvaPlugIn& area) { return RunPaperQuestionDialog(area); }

bool xMorvaDialogService::RunPrintPreview(xMorvaPlugIn& area) { return RunPrintPreviewDialog(area); }
