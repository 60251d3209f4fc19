// The special character dialog: the font list, the code shown beside the
// grid, and the grid made when the form asks its user area to draw.
#include "dialogs/xMorvaSelectCharDialog.h"

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaCharDisplayer.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VCommand.h"
#include "views/VPlugIn.h"

namespace {

constexpr const char* kGridArea = "usrChar";
constexpr const char* kFontList = "droFont";
constexpr const char* kFontLabel = "Text1";
constexpr const char* kCode = "vAsciiCode";
// The area's font command, whose choices the font list offers.
constexpr int32_t kFontCommand = 1002;

// The Windows ANSI code of a character; a character the code page lacks
// becomes the space, where the grid starts.
uint8_t WinCode(char16_t character) {
  if (gIntlMgr == nullptr) return character < 256 ? static_cast<uint8_t>(character) : uint8_t(' ');
  const uint8_t code = gIntlMgr->UniCharToWin(character);
  return code == 0 ? uint8_t(' ') : code;
}

}  // namespace

xMorvaSelectCharDialog::xMorvaSelectCharDialog(xMorvaPlugIn* area, const VArray* fonts,
                                               const VString& fontName, char16_t character,
                                               bool fontFixed)
    : xMorvaDialog(area, "mvSpecialChar"),
      fFonts(fonts),
      fChosen(WinCode(character)),
      fFontFixed(fontFixed) {
  fFontName.SetString(fontName, kWholeValue);
}

xMorvaSelectCharDialog::~xMorvaSelectCharDialog() = default;

char16_t xMorvaSelectCharDialog::GetChosenChar() const {
  if (gIntlMgr == nullptr) return fChosen;
  return gIntlMgr->WinCharToUni(fChosen);
}

void xMorvaSelectCharDialog::ShowCode() { HostFormSetLong(kCode, fChosen); }

bool xMorvaSelectCharDialog::BeforeOpen() {
  // The form draws "usrChar" through the dialog's own user-area routine.
  HostFormSetDrawCallback(kGridArea, 0, false);
  if (const auto* names = dynamic_cast<const VStringArray*>(fFonts)) {
    SetListItems(kFontList, *names);
    int32_t item = 0;
    for (int32_t i = 1; i <= names->Count() && item == 0; ++i) {
      const VString* name = names->GetAt(i);
      if (name != nullptr && name->Compare(fFontName, false) == 0) item = i;
    }
    SetItemNumber(kFontList, item);
  }
  ShowCode();
  return true;
}

bool xMorvaSelectCharDialog::AfterOpen() {
  if (fFontFixed) {
    HostFormShowObject(kFontLabel, false);
    HostFormShowObject(kFontList, false);
  }
  return true;
}

VObject* xMorvaSelectCharDialog::CreateUserArea(const VString& objectName, void* areaCall) {
  if (!IsFormObject(objectName, kGridArea)) return nullptr;
  VPackage* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  auto* view = new VPlugIn(package, this, objectName, static_cast<void**>(areaCall));
  fDisplayer = new xMorvaCharDisplayer(view, this, fFontName, fChosen);
  view->SetContentView(fDisplayer);
  return view;
}

void xMorvaSelectCharDialog::Closing() { fDisplayer = nullptr; }

void xMorvaSelectCharDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, kFontList)) {
    // A fixed font cannot change, even when the hidden list is played.
    if (fFontFixed) return;
    const int32_t item = GetItemNumber(kFontList);
    if (item < 1) return;
    VStr<255> name;
    HostFormGetListText(kFontList, static_cast<int16_t>(item), name);
    if (name.GetLength() == 0) return;
    fFontName.SetString(name, kWholeValue);
    if (fDisplayer != nullptr) fDisplayer->SetFontName(fFontName);
  } else if (IsFormObject(objectName, kGridArea)) {
    if (fDisplayer != nullptr) fChosen = fDisplayer->GetSelectedChar();
    ShowCode();
  }
}

void xMorvaSelectCharDialog::AcceptChar(uint8_t code) {
  fChosen = code;
  AcceptDialog();
}

bool RunSelectCharDialog(xMorvaPlugIn& area, std::string& fontName, char16_t& character, bool fontFixed) {
  VStr<255> font;
  font.SetAnsiCText(fontName.c_str());
  // The fonts of the area's font command; an area without the font's
  // drop-down on a bar has none, and then the list the font menu shows.
  const VCommand* command = area.FindCommand(kFontCommand);
  const VArray* fonts = command != nullptr ? command->GetChoiceList() : nullptr;
  if (fonts == nullptr && gSystemServices != nullptr) fonts = gSystemServices->GetFontList(false);
  xMorvaSelectCharDialog dialog(&area, fonts, font, character, fontFixed);
  if (!dialog.Run()) return false;
  VStr<255> chosen;
  dialog.GetFontName(chosen);
  char buffer[256] = {};
  chosen.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  fontName = buffer;
  character = dialog.GetChosenChar();
  return true;
}
