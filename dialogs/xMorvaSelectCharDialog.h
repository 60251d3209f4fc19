// xMorvaSelectCharDialog: picks one character of a font from the grid of
// the form "mvSpecialChar" (user area "usrChar"); the font is chosen in
// "droFont" unless the caller fixes it, as for the symbols.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/xMorvaDialog.h"
#include "framework/core/strings/VUniString.h"

class VArray;
class xMorvaCharDisplayer;

class xMorvaSelectCharDialog : public xMorvaDialog {
 public:
  // `fonts` is the list "droFont" offers (the area's font command's
  // choices; not owned, may be null); the area's package makes the grid's
  // view.
  xMorvaSelectCharDialog(xMorvaPlugIn* area, const VArray* fonts, const VString& fontName,
                         char16_t character, bool fontFixed);
  ~xMorvaSelectCharDialog() override;

  void GetFontName(VString& name) const { name.SetString(fFontName, kWholeValue); }
  char16_t GetChosenChar() const;
  uint8_t GetChosenCode() const { return fChosen; }
  xMorvaCharDisplayer* GetDisplayer() const { return fDisplayer; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  // The grid's view for the user area "usrChar".
  VObject* CreateUserArea(const VString& objectName, void* areaCall) override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // The grid goes with the form's user area, which the host closes after
  // this: the dialog lets go of it here.
  void Closing() override;

  // A double click in the grid: the character is chosen and the dialog
  // ends as accepted.
  void AcceptChar(uint8_t code);

 private:
  void ShowCode();

  // The grid, owned by the user area's view; null until the host makes the
  // area and after the form closes.
  xMorvaCharDisplayer* fDisplayer = nullptr;
  const VArray* fFonts;
  uint8_t fChosen;
  VStr<255> fFontName;
  bool fFontFixed;
};

// The special character (409) and symbol (1028) commands: the dialog on
// the font and character given; with `fontFixed` (the symbols' font) the
// font cannot be changed. On OK both hold the choice.
bool RunSelectCharDialog(xMorvaPlugIn& area, std::string& fontName, char16_t& character, bool fontFixed);
