// The dialogs behind the editing area's dialog commands. A dialog that is
// not built yet answers "cancelled" (false), so that its command changes
// nothing in the document and tells the host the run was cancelled.
#include "dialogs/xMorvaDialogService.h"

bool xMorvaDialogService::RunSelfApplying(int32_t, xMorvaPlugIn&, xMorvaDocument&) { return false; }

bool xMorvaDialogService::RunDateTime(xMorvaPlugIn&, xMorvaDocument&, uint16_t&, bool&, std::u16string&) {
  return false;  // not built yet: cancelled
}

bool xMorvaDialogService::RunPageNumber(xMorvaPlugIn&, uint32_t&) { return false; }

bool xMorvaDialogService::RunSelectChar(xMorvaPlugIn&, std::string&, char16_t&) { return false; }

bool xMorvaDialogService::RunHTMLExpression(xMorvaPlugIn&, std::u16string&) { return false; }

bool xMorvaDialogService::RunInterline(xMorvaPlugIn&, int32_t&) { return false; }

bool xMorvaDialogService::RunProperties(int32_t, xMorvaPlugIn&, xMorvaProperties&, xMorvaPropertiesStates&, bool&,
                                        bool&) {
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
