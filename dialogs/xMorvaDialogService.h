// The word processor's dialogs as the editing area reaches them: the area's
// dialog commands call this object, installed at start, and each call runs
// the dialog of its command on the area's values.
#pragma once

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaDialogCommands.h"

class xMorvaDialogService final : public xMorvaDialogs, public xMorvaPrintDialogs {
 public:
  bool RunSelfApplying(int32_t command, xMorvaPlugIn& area, xMorvaDocument& document) override;
  bool RunDateTime(xMorvaPlugIn& area, xMorvaDocument& document, uint16_t& format, bool& element,
                   std::u16string& text) override;
  bool RunPageNumber(xMorvaPlugIn& area, uint32_t& format) override;
  bool RunSelectChar(xMorvaPlugIn& area, std::string& fontName, char16_t& character, bool fontFixed) override;
  bool RunHTMLExpression(xMorvaPlugIn& area, std::u16string& expression) override;
  bool RunInterline(xMorvaPlugIn& area, int32_t& value) override;
  bool RunColour(xMorvaPlugIn& area, int32_t& colour) override;
  bool RunProperties(int32_t command, xMorvaPlugIn& area, xMorvaProperties& properties,
                     xMorvaPropertiesStates& states, bool& insideKnown, bool& inside) override;
  bool RunTabulations(xMorvaPlugIn& area, int32_t position, xMorvaTabs& tabs) override;
  bool RunColumns(xMorvaPlugIn& area, xMorvaDocParams& params) override;
  bool RunGotoPage(xMorvaPlugIn& area, int32_t& page) override;
  bool RunPastePicture(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement,
                       xMorvaPagePicture& entry) override;
  bool RunEditPictureInPage(xMorvaPlugIn& area, xMorvaDocument& document, xMorvaPagePicture& entry,
                            VHostRef* expression, bool& expressionChanged) override;
  bool RunEditPicture(xMorvaPlugIn& area, xMorvaDocument& document, xMorvaPictureHeader& header,
                      VHostRef* expression, bool& expressionChanged) override;
  bool RunFind(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters) override;
  bool RunReplace(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters, bool& replaceAll) override;
  // The printing commands' forms.
  bool RunMailing(xMorvaPlugIn& area, int16_t& table) override;
  int16_t RunPaperQuestion(xMorvaPlugIn& area) override;
  bool RunPrintPreview(xMorvaPlugIn& area) override;
};
