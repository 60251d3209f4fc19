// xMorvaFontDialog: the character properties (ids 0 to 13) of a properties
// record on the form "mvChooseFont": font, size, styles, position, capitals,
// underline and five colours, with a live sample. A property whose state is
// off is mixed: its check box shows 2, its entry is empty, its pop-up shows
// item 0, and it is not applied.
#pragma once

#include <cstdint>
#include <memory>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

class VStringArray;

class xMorvaFontDialog : public xMorvaDialog {
 public:
  xMorvaFontDialog(xMorvaPlugIn* area, const xMorvaProperties& properties, const xMorvaPropertiesStates& states);
  ~xMorvaFontDialog() override;

  // What the caller takes after an accepted run.
  const xMorvaProperties& GetProperties() const { return fProperties; }
  const xMorvaPropertiesStates& GetStates() const { return fStates; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

  // The colour pop-ups' tables: the value of an item (none: -1), and the
  // item of a value; the "other" item for a value the table does not list.
  enum class ColourTable { kText, kBack, kLine, kShadow };
  static int32_t ColourItemCount(ColourTable table);
  static int32_t ColourOfItem(ColourTable table, int32_t item);
  static int32_t ItemOfColour(ColourTable table, int32_t colour);

 private:
  void ShowCheck(const char* object, uint16_t id);
  void ShowColour(const char* object, ColourTable table, uint16_t id);
  void ReadCheck(const char* object, uint16_t id);
  void ReadFontName();
  void ReadSize();
  void ReadColour(const char* object, ColourTable table, uint16_t id, uint16_t startFrom);
  // Selects the size list's item equal to the size, or 0.
  void SelectSize(int32_t size);
  void SetFont(const VString& name);
  void DrawPreview();

  xMorvaProperties fProperties;
  xMorvaPropertiesStates fStates;
  xMorvaProperties fSavedProperties;
  xMorvaPropertiesStates fSavedStates;
  // The system's font names (not owned) and the sizes (owned).
  const VStringArray* fFonts = nullptr;
  std::unique_ptr<VStringArray> fSizes;
};
