// The dialog commands of an editing area: each (an operation of the area,
// xMorvaPlugIn) opens one modal dialog with the area's values, tells the
// host the outcome, and on OK applies what the dialog chose in one change
// of the document. The dialogs layer installs the dialogs at start; without
// them every dialog counts as cancelled.
#pragma once

#include <cstdint>
#include <string>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "framework/core/VService.h"

class xMorvaDocParams;
class xMorvaDocument;
class xMorvaFindReplaceParameters;
class xMorvaPlugIn;
struct xMorvaPagePicture;
struct xMorvaPictureHeader;
class VHostRef;
class VValue;

// The dialogs behind the commands. Each answers true for OK; the in-out
// values are what the dialog starts with and, on OK, what it chose.
class xMorvaDialogs {
 public:
  virtual ~xMorvaDialogs() = default;
  // Dialogs that do their work themselves (about, preferences, new table,
  // style sheets, informations, statistics, language): the command number
  // says which.
  virtual bool RunSelfApplying(int32_t command, xMorvaPlugIn& area, xMorvaDocument& document) = 0;
  // Date and time (401): the format of the element at the selection in;
  // `element` chosen: insert an element of `format`, else `text`.
  virtual bool RunDateTime(xMorvaPlugIn& area, xMorvaDocument& document, uint16_t& format, bool& element,
                           std::u16string& text) = 0;
  // Page number (402): the format of the element at the selection.
  virtual bool RunPageNumber(xMorvaPlugIn& area, uint32_t& format) = 0;
  // Special character (409) and symbol (1028, font "Wingdings"): the font
  // and the character in and, on OK, chosen; `fontFixed` (the symbols)
  // keeps the font from being changed.
  virtual bool RunSelectChar(xMorvaPlugIn& area, std::string& fontName, char16_t& character,
                             bool fontFixed) = 0;
  // The text of an HTML expression (414).
  virtual bool RunHTMLExpression(xMorvaPlugIn& area, std::u16string& expression) = 0;
  // Interline (724).
  virtual bool RunInterline(xMorvaPlugIn& area, int32_t& value) = 0;
  // The system's colour chooser (the last id of each colour palette) on a
  // colour of the properties: true when another colour was chosen, which
  // replaces `colour`; cancelled or the same colour leaves it.
  virtual bool RunColour(xMorvaPlugIn& area, int32_t& colour) = 0;
  // Font (751), paragraph (752) and border (754): the selection's current
  // properties and their states in; on OK a state of 1 marks a property
  // the user changed. The border dialog also answers whether the choice of
  // the lines between the selected paragraphs was made, and that choice.
  virtual bool RunProperties(int32_t command, xMorvaPlugIn& area, xMorvaProperties& properties,
                             xMorvaPropertiesStates& states, bool& insideKnown, bool& inside) = 0;
  // Tab stops of the selected paragraphs (753), the stop at `position`
  // selected (-1: none).
  virtual bool RunTabulations(xMorvaPlugIn& area, int32_t position, xMorvaTabs& tabs) = 0;
  // Columns and page (756): a copy of the document's parameters.
  virtual bool RunColumns(xMorvaPlugIn& area, xMorvaDocParams& params) = 0;
  // Go to page (807): the 0-based page.
  virtual bool RunGotoPage(xMorvaPlugIn& area, int32_t& page) = 0;
  // Paste picture (407), once the host reference gave a picture: where it
  // goes (0 on a page, 1 in the text) and, on a page, its placing: place
  // in page pixels, pages, behind the text or not, drawing mode (the
  // caret's page comes in as the entry's page).
  virtual bool RunPastePicture(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement,
                               xMorvaPagePicture& entry) = 0;
  // The edit dialog of the selected picture on a page (its double click):
  // a copy of its entry and, for a picture that shows a host expression,
  // that expression, which the dialog may change (`expressionChanged`).
  virtual bool RunEditPictureInPage(xMorvaPlugIn& area, xMorvaDocument& document, xMorvaPagePicture& entry,
                                    VHostRef* expression, bool& expressionChanged) = 0;
  // The edit dialog of the selected picture in the text (its double
  // click): a copy of the picture element's header (shown and own size,
  // keep-size flag, drawing mode) and, for a picture that is the result of
  // a host expression, that expression, which the dialog may change.
  virtual bool RunEditPicture(xMorvaPlugIn& area, xMorvaDocument& document, xMorvaPictureHeader& header,
                              VHostRef* expression, bool& expressionChanged) = 0;
  // Find (208) and replace (210) edit the area's search parameters in
  // place; the replace dialog also answers whether every match is to be
  // replaced (true) or the current one (false).
  virtual bool RunFind(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters) = 0;
  virtual bool RunReplace(xMorvaPlugIn& area, xMorvaFindReplaceParameters& parameters, bool& replaceAll) = 0;
};
using xMorvaDialogSlot = VService<xMorvaDialogs>;

namespace xMorvaDialogCommands {

// Whether the command is one of the area's dialog commands.
bool IsDialogCommand(int32_t command);
// Runs the dialog command through the area's runner for it (the
// xMorvaPlugIn operations declared with the dialog commands); false for a
// command that is none.
bool Run(xMorvaPlugIn& area, int32_t command);

// What the paste picture command (407) does once the formula editor has
// accepted `reference`, whose current value is `value` (taken; null for
// none): a picture goes where the picture dialog says, on a page (the
// document then shown in page view) or in the text; anything else becomes
// a host expression element at the selection, in an undo step.
void PasteReference(xMorvaPlugIn& area, VHostRef& reference, VValue* value);

// Sets, in one undo step, each property from `first` to `last` whose state
// is 1, in increasing id order; the first error cancels the step, undoing
// what was set before it. 0 or that error.
int32_t ApplyProperties(xMorvaDocument& document, const xMorvaProperties& properties,
                        const xMorvaPropertiesStates& states, uint16_t first, uint16_t last);

}  // namespace xMorvaDialogCommands
