// The dialogs behind the editing area's dialog commands. A dialog that is
// not built yet answers "cancelled" (false), so that its command changes
// nothing in the document and tells the host the run was cancelled.
#include "dialogs/xMorvaDialogService.h"

#include "dialogs/xMorvaParagraphDialog.h"
#include "dialogs/xMorvaSelectCharDialog.h"

bool xMorvaDialogService::RunSelfApplying(int32_t, xMorvaPlugIn&, xMorvaDocument&) { return false; }

bool xMorvaDialogService::RunDateTime(xMorvaPlugIn&, xMorvaDocument&, uint16_t&, bool&, std::u16string&) {
  return false;  // not built yet: cancelled
}

bool xMorvaDialogService::RunPageNumber(xMorvaPlugIn&, uint32_t&) { return false; }

bool xMorvaDialogService::RunSelectChar(xMorvaPlugIn& area, std::string& fontName, char16_t& character) {
  return RunSelectCharDialog(area, fontName, character);
}

bool xMorvaDialogService::RunHTMLExpression(xMorvaPlugIn&, std::u16string&) { return false; }

bool xMorvaDialogService::RunInterline(xMorvaPlugIn& area, int32_t& value) { return RunInterlineDialog(area, value); }

bool xMorvaDialogService::RunProperties(int32_t command, xMorvaPlugIn& area, xMorvaProperties& properties,
                                        xMorvaPropertiesStates& states, bool&, bool&) {
  if (command == 752) return RunParagraphDialog(area, properties, states);
  return false;
}

bool xMorvaDialogService::RunTabulations(xMorvaPlugIn&, bool, xMorvaTabs&) { return false; }

bool xMorvaDialogService::RunColumns(xMorvaPlugIn&, xMorvaDocParams&) { return false; }

bool xMorvaDialogService::RunGotoPage(xMorvaPlugIn&, int32_t&) { return false; }

bool xMorvaDialogService::RunPastePicture(xMorvaPlugIn&, xMorvaDocument&, int16_t&, VRect&, int32_t&) {
  return false;
}

bool xMorvaDialogService::RunFind(xMorvaPlugIn&, xMorvaFindReplaceParameters&) { return false; }

bool xMorvaDialogService::RunReplace(xMorvaPlugIn&, xMorvaFindReplaceParameters&, bool&) { return false; }
