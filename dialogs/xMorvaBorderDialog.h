// xMorvaBorderDialog: the paragraph borders of a properties record on the
// form "mvBorders": which sides have a line (41 left, 42 right, 43 top,
// 44 bottom), the line style (40), the line colour (39), the background
// inside the border (38), the spacing between border and text (45), and
// whether the boundaries between the selected paragraphs get a line too.
// A side whose state is off is mixed: its check box shows 2, its lines are
// hidden, and it is left as each paragraph has it.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

class xMorvaDocument;
class xMorvaPlugIn;

// The spacing between border and text, in pixels: a byte of the paragraph
// record.
constexpr int32_t kLargestBorderSpacing = 255;

class xMorvaBorderDialog : public xMorvaDialog {
 public:
  // Works on copies of `properties` and `states`; the document gives the
  // display unit of the spacing (pixels without one).
  xMorvaBorderDialog(xMorvaPlugIn* area, xMorvaDocument* document, const xMorvaProperties& properties,
                     const xMorvaPropertiesStates& states);
  ~xMorvaBorderDialog() override;

  // What the caller takes after an accepted run: the properties with their
  // states (a state of 1 marks one to apply), whether the inside choice was
  // made, and that choice.
  const xMorvaProperties& GetProperties() const { return fProperties; }
  const xMorvaPropertiesStates& GetStates() const { return fStates; }
  bool IsInsideKnown() const { return fInsideKnown != 0; }
  bool GetInside() const { return fInside != 0; }
  bool GetAll() const { return fAll != 0; }

  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // A spacing typed in the unit, as pixels within 0..255.
  static int32_t ClampSpacing(int32_t pixels);

 private:
  // Shows every object from the working copies.
  void Refresh();
  void ReadSide(const char* object, uint16_t id);
  void ReadColour(const char* object, bool background, uint16_t id);
  void ShowSpacing();

  xMorvaDocument* fDocument;
  xMorvaProperties fProperties;
  xMorvaPropertiesStates fStates;
  xMorvaProperties fSavedProperties;
  xMorvaPropertiesStates fSavedStates;
  uint8_t fInside = 0;
  uint8_t fAll = 0;
  uint8_t fInsideKnown = 0;
};

// The border command (754): the dialog on the selection's properties, each
// uniform one (state 1) shown as it is; on OK `properties` and `states`
// hold what to apply, and the two flags the inside choice.
bool RunBorderDialog(xMorvaPlugIn& area, xMorvaProperties& properties, xMorvaPropertiesStates& states,
                     bool& insideKnown, bool& inside);

// The border dialog opened by another dialog on the record it edits: the
// caller's form hides during the run. On OK the record takes the dialog's
// properties and states; on cancel it is left alone.
bool RunBorderSubDialog(xMorvaDialog& caller, xMorvaProperties& properties, xMorvaPropertiesStates& states);
