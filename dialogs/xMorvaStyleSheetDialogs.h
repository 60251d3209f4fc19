// The style sheet dialogs: the manager of a document's sheets on
// "mvStyleSheets" (each button acts on the document at once), the choice of
// what a new sheet starts from on "mvNewStyle", the question whether text
// that carries an edited sheet is formatted again on "mvStyleModified", and
// the choice of one sheet (or none) as a search criterion on
// "mvChooseStyle".
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaStyleSheet.h"

class xMorvaDocument;

// The most sheets a document holds.
constexpr int32_t kMostStyleSheets = 256;

class xMorvaStyleSheetDialog : public xMorvaDialog {
 public:
  xMorvaStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document);
  ~xMorvaStyleSheetDialog() override;

  bool BeforeOpen() override;
  // Describes and previews the selected sheet; the refresh after changes.
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // Whether the sheet may be neither deleted nor renamed: its locked flag,
  // or the document's default sheet, which every text falls back to.
  static bool IsLocked(const xMorvaStyleSheet& sheet, int16_t id);

 private:
  // The sheet of the selected row: false for row 0 or a row past the end.
  bool SelectedId(int32_t& row, int16_t& id);
  void FillList();
  void NewSheet();
  void EditSheet();
  void DeleteSheet();
  void ImportSheets();
  void ApplySheet();

  xMorvaDocument* fDocument;
  xMorvaStyleSheet fSheet;
};

class xMorvaNewStyleSheetDialog : public xMorvaDialog {
 public:
  xMorvaNewStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document);
  ~xMorvaNewStyleSheetDialog() override;

  // The sheet a new one starts from, after an accepted run.
  const xMorvaStyleSheet& GetSheet() const { return fSheet; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  // The sheet named by the pop-up's chosen item, unlocked; false when the
  // item names none.
  bool TakeChosenSheet();

  xMorvaDocument* fDocument;
  xMorvaStyleSheet fSheet;
};

class xMorvaApplyStyleSheetDialog : public xMorvaDialog {
 public:
  explicit xMorvaApplyStyleSheetDialog(xMorvaPlugIn* area);
  ~xMorvaApplyStyleSheetDialog() override;

  // 1: the text that carries the sheet is formatted again; 0: left. Read
  // however the run ended.
  uint8_t GetChoice() const { return fChoice; }

  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  uint8_t fChoice = 1;
};

class xMorvaChooseStyleSheetDialog : public xMorvaDialog {
 public:
  xMorvaChooseStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                               const xMorvaProperties& properties,
                               const xMorvaPropertiesStates& states);
  ~xMorvaChooseStyleSheetDialog() override;

  // Property 15 holds the chosen sheet's id and state 15 is set; state 15
  // clear for none.
  const xMorvaProperties& GetProperties() const { return fProperties; }
  const xMorvaPropertiesStates& GetStates() const { return fStates; }

  bool BeforeOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  xMorvaDocument* fDocument;
  xMorvaProperties fProperties;
  xMorvaPropertiesStates fStates;
};

// Loads the document's sheet named `name` (compared without regard to
// case) into `sheet`: false, the sheet unchanged, when none has the name.
bool LoadStyleSheetByName(xMorvaDocument& document, const VString& name, xMorvaStyleSheet& sheet);

// Asks for another document file and adds its style sheets to the
// document: 0, or 1032 for a file that is no document of this format and
// 1015 for one that is damaged, each told by an alert; -1 when the user
// cancelled. A sheet whose name the document already has is not added (the
// document's own stays), nor one past the most sheets a document holds.
int32_t ImportStyleSheets(xMorvaPlugIn& area, xMorvaDocument& document);

// The style sheets command (755): the manager on the area's document.
bool RunStyleSheetsDialog(xMorvaPlugIn& area, xMorvaDocument& document);
