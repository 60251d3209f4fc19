// The paragraph dialog (form "mvParagraphs"): alignment, interline, bullet
// and the three indents of a properties record, each with a "use" check box
// that says whether it is applied, and a sample of the result; and the
// interline dialog (form "mvInterlineSize"), which asks for one interline.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

class xMorvaDocument;
class xMorvaPlugIn;

// The interlines the dialogs take, in tenths of a line: single to ten
// lines, what a stored document holds (a loaded text drops any other as
// damage) and what the host may set.
constexpr int32_t kSmallestInterline = 10;
constexpr int32_t kLargestInterline = 100;

// The interline typed in an entry, in tenths truncated toward zero; false
// for a value outside the range above (or not a number).
bool InterlineFromEntry(double entry, int32_t& tenths);
// Whether an interline in tenths lies in the range above.
bool IsInterlineInRange(int32_t tenths);

class xMorvaParagraphDialog : public xMorvaDialog {
 public:
  // Works on copies of `properties` and `states` (ids 32 to 37); the
  // document gives the display unit, the text width that bounds the
  // indents, the sample and, through its area, the symbol chooser.
  xMorvaParagraphDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                        const xMorvaProperties& properties, const xMorvaPropertiesStates& states);
  ~xMorvaParagraphDialog() override;

  // The working copies: what the caller applies after OK (a state of 1
  // marks a property to apply).
  const xMorvaProperties& GetProperties() const { return fProperties; }
  const xMorvaPropertiesStates& GetStates() const { return fStates; }

  bool BeforeOpen() override;
  // Loads every object of the form from the working copies; called again
  // after each check box and button.
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // An interline in use outside the range (one the selection had) is not
  // applied: OK beeps and the form stays open until it is mended or left
  // unused.
  bool CanAccept(const VString& objectName, int16_t page) override;

  // The bullet list's item for a bullet code, and the code of items 1 to 7.
  static int32_t BulletItem(int32_t code);
  static int32_t BulletCode(int32_t item);

 private:
  // The indent `id` from its entry, bounded by the text width and the other
  // indents; the entry shows the bounded value at once.
  void TakeIndent(const char* entry, uint16_t id);
  void ShowSample();
  void ChooseSymbol();

  xMorvaDocument* fDocument;
  xMorvaProperties fProperties;
  xMorvaPropertiesStates fStates;
  xMorvaProperties fSavedProperties;
  xMorvaPropertiesStates fSavedStates;
};

class xMorvaInterlineDialog : public xMorvaDialog {
 public:
  xMorvaInterlineDialog(xMorvaPlugIn* area, int32_t value);
  ~xMorvaInterlineDialog() override;

  int32_t GetValue() const { return fValue; }

  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // OK keeps the form open while the interline is outside the range (the
  // step's entry has beeped already).
  bool CanAccept(const VString& objectName, int16_t page) override;

 private:
  int32_t fValue;
};

// The paragraph command (752): the dialog on the selection's paragraph
// properties, each uniform one (state 1) shown in use; on OK `properties`
// and `states` hold what to apply.
bool RunParagraphDialog(xMorvaPlugIn& area, xMorvaProperties& properties,
                        xMorvaPropertiesStates& states);
// The interline command (724): on OK `value` holds the chosen interline.
bool RunInterlineDialog(xMorvaPlugIn& area, int32_t& value);
