// xMorvaDialogNewArray: composes a table on the form "mvNewArray" before it
// goes into the text at the selection. The table's model and text are
// xMorvaArrayTable's; this dialog shows them on the form, changes them on
// every item hit and redraws the live preview, built in an engine of its
// own so the document is never touched until OK.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/xMorvaArrayTable.h"
#include "dialogs/xMorvaDialog.h"
#include "framework/core/memory/VMemoryMgr.h"

class VEmfPictureData;
class VResourceFile;
class VStringArray;
class xMorvaEngine;
class xMorvaLines;
class xMorvaDocumentInterface;

// Reads every 'ARAY' resource of the file into the table's templates, in
// ascending id order, and their names; one that cannot be read keeps its
// place with empty lists.
void LoadArrayTemplates(VResourceFile& file, xMorvaArrayTable& table, std::vector<std::string>& names);

class xMorvaDialogNewArray : public xMorvaDialog {
 public:
  xMorvaDialogNewArray(xMorvaPlugIn* area, xMorvaDocument* document);
  ~xMorvaDialogNewArray() override;

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // The whole preview text as an engine stream in a new handle (0 on
  // failure), for the caller to paste after OK.
  VMemHandle WritePreview();
  xMorvaArrayTable& GetTable() { return fTable; }
  const std::vector<std::string>& GetTemplateNames() const { return fNames; }
  // The preview engine and its lines over the document; false when either
  // cannot be made (the dialog then does not open).
  bool MakePreview();
  // The preview rebuilt and drawn: W + 60 by H + 20 pixels.
  std::unique_ptr<VEmfPictureData> DrawPreview();
  // Builds the table text in the preview engine: field columns take the
  // host's records when the area shows host data.
  void BuildTable();
  // Builds the table in the preview engine and shows its picture.
  void UpdatePreview();
  xMorvaEngine* GetPreviewEngine() const { return fEngine.get(); }

 private:
  void LoadGeneralGroup();
  void LoadColumnGroup();
  void LoadLineGroup();
  void SetIntegerEntry(const char* name, int32_t value, bool enabled);
  void SetLengthEntry(const char* name, int32_t pixels, bool enabled);
  // The 'ARAY' templates of the module's resource file and their names.
  void LoadTemplates();
  // The line kinds' records and settings at their defaults, then the
  // template, font and size applied to them.
  void MakeLineRecords();
  // The current template, font and size applied to the line records.
  void ApplyLineTemplate();
  // Takes the column count typed: records are made up to it and the
  // current column stays among the columns. A count whose stops would not
  // fit is refused (false): the entry shows the count kept.
  bool MakeColumnRecords(int32_t columns);
  // Gives the free width to the columns that are not fixed; when it cannot,
  // the user is told (alert 12) and the answer is false.
  bool DistributeWidths(bool mayUnfix);
  void ApplyFontAndSize();
  void ReadSize();
  void RunTextDialog(bool allKinds, bool column);
  void RunBorderDialog();
  void ChooseField();
  void FindOrSort(bool find);
  bool AskResize(int32_t records);
  void ReadColour(const char* object, uint16_t id, bool background);
  int32_t CurrentRecordCount();
  bool HasHostData() const;

  xMorvaDocument* fDocument;
  std::unique_ptr<xMorvaDocumentInterface> fPreviewDocument;
  std::unique_ptr<xMorvaEngine> fEngine;
  std::unique_ptr<xMorvaLines> fLines;
  xMorvaArrayTable fTable;
  std::vector<std::string> fNames;
  // The system's font names (not owned) and the sizes (owned).
  const VStringArray* fFonts = nullptr;
  std::unique_ptr<VStringArray> fSizes;
  int32_t fFontItem = 0;
  int32_t fSize = 12;
  std::unique_ptr<VEmfPictureData> fPendingPicture;
  int16_t fLineKind = 1;
  int32_t fColumn = 1;
};

// Command 408's dialog: on OK the table is pasted at the selection as one
// undo step. True when accepted.
bool RunNewArrayDialog(xMorvaPlugIn& area, xMorvaDocument& document);
