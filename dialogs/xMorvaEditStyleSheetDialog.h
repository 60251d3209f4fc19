// xMorvaEditStyleSheetDialog: one style sheet on the form "mvEditStyle":
// its name, whether it applies to characters or whole paragraphs, its
// shortcut key, and its character properties, paragraph properties,
// borders and tab stops, each edited in a dialog of its own, with the
// sheet's description and a preview.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaStyleSheet.h"

class xMorvaDocument;

// The longest name a sheet takes.
constexpr int32_t kStyleSheetNameLength = 31;

class xMorvaEditStyleSheetDialog : public xMorvaDialog {
 public:
  // Works on a copy of `sheet` (a second copy serves "butRevert") and of
  // its whole `name`. `sheetId` is the id the sheet has in the document, 0
  // for a sheet not stored yet: no other sheet may carry the name the
  // dialog accepts. The form shows the name as the document's forms show
  // it; left as shown, the whole name stays; a name typed is cut to the
  // longest name.
  xMorvaEditStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                             const xMorvaStyleSheet& sheet, const VString& name,
                             int16_t sheetId = 0);
  ~xMorvaEditStyleSheetDialog() override;

  // What the caller takes after an accepted run.
  const xMorvaStyleSheet& GetSheet() const { return fSheet; }
  const VString& GetName() const { return fName; }

  // A sheet whose name may not change (the document's default sheet)
  // shows its name not enterable.
  void SetNameLocked(bool locked) { fNameLocked = locked; }

  bool BeforeOpen() override;
  // Loads every object from the working sheet; the refresh after each
  // change.
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // An empty name, or one another sheet of the document has, is refused
  // with the beep and the form stays open.
  bool CanAccept(const VString& objectName, int16_t page) override;

  // Whether `name` is free for the sheet `sheetId` of the document (names
  // compared without regard to case, as sheets are found by name).
  static bool NameIsFree(xMorvaDocument& document, const VString& name, int16_t sheetId);

 private:
  void ReadName();
  void ReadShortcut();
  // Runs the font, paragraph or border dialog on the working properties;
  // on OK the whole record and its 65 states come back.
  void RunPropertiesDialog(int32_t which);
  void RunTabulations();
  void DrawPreview();

  xMorvaDocument* fDocument;
  xMorvaStyleSheet fSheet;
  xMorvaStyleSheet fSaved;
  // The name the dialog accepts, and the text the form shows of it.
  VStr<kStyleSheetWholeNameLength> fName;
  VStr<kStyleSheetNameLength> fShown;
  int16_t fSheetId;
  bool fNameLocked = false;
};
