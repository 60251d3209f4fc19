// The point-based host commands on style sheets (72 to 76), references to
// host fields and expressions (22, 24, 60) and pictures in the text (68 to
// 71). The style sheets are numbered from 1 without the document's default
// sheet: sheet i of a command is sheet i + 1 of the document.
#include <memory>

#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaLowCommandInputs.h"
#include "area/commands/xMorvaLowTextCommands.h"
#include "area/commands/xMorvaPointConversions.h"
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostRef.h"

// Named, not anonymous: the area's files are compiled in batches.
namespace low_sheet_commands {

namespace convert = xMorvaPointConversions;
using xMorvaCommandValues::At;
using xMorvaCommandValues::HandleAt;
using xMorvaCommandValues::LockedHandle;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::WordAt;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorNoPicture = 1034;
constexpr int32_t kErrorPictureRange = 1036;
constexpr int32_t kErrorNoMemory = 1041;
constexpr int32_t kErrorFieldRange = 1047;
constexpr int32_t kErrorFieldType7 = 1060;
constexpr int32_t kErrorNoPictureData = 1065;
constexpr int32_t kErrorBlobField = 1069;
constexpr int16_t kRefusedFieldType = 7;
constexpr int16_t kBlobFieldType = 30;
constexpr int16_t kLastRefOption = 7;
constexpr int16_t kLastRefFormat = 5;
constexpr uint16_t kUndoProperties = 1;
// A picture element may be at most this much lower than the page's text.
constexpr int32_t kPictureHeightMargin = 20;
constexpr char16_t kParagraphEnd = 13;

// ---- Style sheets

// Sheet i of the commands, loaded; 1038 when the document has none there.
int32_t LoadSheet(xMorvaDocument& document, int32_t i, int16_t& id, xMorvaStyleSheet& sheet) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (i < 1 || store == nullptr || !document.StyleSheetIdAt(i + 1, id)) return kErrorNoStyleSheet;
  return sheet.Load(document, *store, id) ? 0 : kErrorNoStyleSheet;
}

// Command 73: name, font number, size, style bits and colour of sheet i.
int32_t ReadSheet(xMorvaDocument& document, void** p) {
  auto sheet = std::make_unique<xMorvaStyleSheet>();
  int16_t id = 0;
  if (const int32_t code = LoadSheet(document, WordAt(p, 1), id, *sheet); code != 0) return code;
  // The host's text is Macintosh text: the name as forms show it.
  VStr<255> name;
  document.GetStyleSheetFormName(id, name);
  xMorvaTextCommands::PutPascal(At(p, 2), name);
  VStr<255> font;
  bool known = false;
  const xMorvaProperties& properties = sheet->properties;
  document.FontNameForIndex(properties.GetProperty(kPropFont), font, known);
  PutWord(At(p, 3), VSystemServices::GetFontNumber(font));
  PutWord(At(p, 4), int16_t(properties.GetProperty(kPropSize)));
  PutWord(At(p, 5), convert::StyleBitsOf(properties));
  PutLong(At(p, 6), convert::StoredToHostColour(properties.GetProperty(kPropTextColour)));
  return 0;
}

// Commands 74 and 76: the sheet `id` rewritten from a fresh sheet with the
// character attributes of p[3] to p[6], under the name of p[2].
int32_t FillSheet(xMorvaDocument& document, int16_t id, void** p) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr) return kErrorNoMemory;
  auto sheet = std::make_unique<xMorvaStyleSheet>();
  sheet->Init();
  const auto define = [&](uint16_t property, int32_t value) {
    sheet->properties.SetProperty(property, value);
    sheet->states.SetState(property, 1);
  };
  VStr<255> font;
  VSystemServices::GetFontName(WordAt(p, 3), font);
  // A number that names no system font leaves the font undefined.
  if (font.GetLength() > 0) define(kPropFont, document.FontIndexForName(font));
  const int16_t size = WordAt(p, 4);
  if (size > 0 && size < 255) define(kPropSize, size);
  const int16_t bits = WordAt(p, 5);
  define(kPropBold, (bits & convert::kStyleBold) != 0 ? 1 : 0);
  define(kPropItalic, (bits & convert::kStyleItalic) != 0 ? 1 : 0);
  define(kPropUnderline, (bits & convert::kStyleUnderline) != 0 ? 1 : 0);
  define(kPropShadow, (bits & convert::kStyleShadow) != 0 ? 1 : 0);
  define(kPropVerticalPosition, convert::VerticalPositionOfBits(bits, false));
  // The colour as passed, a negative one (none) included.
  define(kPropTextColour, convert::HostToStoredColour(LongAt(p, 6)));
  VStr<255> name;
  xMorvaTextCommands::PascalAt(p, 2, name);
  // The name command 73 gave, which may not be whole, renames nothing.
  const bool kept = name.GetLength() == 0 || document.IsStyleSheetFormName(id, name);
  if (!sheet->Save(document, *store, id, kept ? nullptr : &name)) return kErrorNoMemory;
  document.SetModified();
  return 0;
}

int32_t RunSheet(xMorvaDocument& document, int32_t n, void** p, void* result) {
  // 72 takes the area alone: its array holds no more.
  if (n == 72) {
    PutLong(result, document.StyleSheetCount() - 1);
    return 0;
  }
  const int32_t i = WordAt(p, 1);
  switch (n) {
    case 73: return ReadSheet(document, p);
    case 74: {
      auto sheet = std::make_unique<xMorvaStyleSheet>();
      int16_t id = 0;
      if (const int32_t code = LoadSheet(document, i, id, *sheet); code != 0) return code;
      const int32_t code = FillSheet(document, id, p);
      document.UpdateStyleSheetMenu();
      return code;
    }
    case 76: {
      VMemoryResourceFile* store = document.GetStyleSheetStore();
      if (i < 1 || i > document.StyleSheetCount()) return kErrorNoStyleSheet;
      if (store == nullptr) return kErrorNoMemory;
      VStr<255> name;
      xMorvaTextCommands::PascalAt(p, 2, name);
      if (name.GetLength() == 0) document.NewStyleSheetName(name);
      auto sheet = std::make_unique<xMorvaStyleSheet>();
      sheet->Init();
      int16_t id = 0;
      if (!sheet->SaveNew(document, *store, name, id)) return kErrorNoMemory;
      document.SetModified();
      document.UpdateStyleSheetMenu();
      return FillSheet(document, id, p);
    }
    case 75: {
      auto sheet = std::make_unique<xMorvaStyleSheet>();
      int16_t id = 0;
      if (const int32_t code = LoadSheet(document, i, id, *sheet); code != 0) return code;
      document.DeleteStyleSheet(id);
      document.SetModified();
      // The runs that carried it go back to the default sheet.
      const int32_t code = document.ReapplyStyleSheetEverywhere(id, true);
      document.Refresh(false, true);
      return code;
    }
    default: return 0;
  }
}

// ---- References to host fields and expressions

// The reference with the name, option and format of the command, inserted
// at the selection in one undo step.
int32_t InsertReference(xMorvaDocument& document, xMorvaEngine& engine, VHostRef& reference, void** p, int first) {
  VStr<255> name;
  xMorvaTextCommands::PascalAt(p, first, name);
  reference.SetFormatText(name);
  const int16_t option = WordAt(p, first + 1);
  const int16_t format = WordAt(p, first + 2);
  if (option >= 1 && option <= kLastRefOption) reference.SetOption(option);
  if (format >= 1 && format <= kLastRefFormat) reference.SetFormat(format);
  const VMemHandle stored = reference.ToHandle();
  if (stored == 0) return kErrorNoMemory;
  int32_t code = kErrorNoMemory;
  {
    VHandleLocker lock(stored);
    if (lock) {
      document.BeginChange();
      code = engine.InsertHostExpressionWithUndo(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(stored), nullptr);
      document.EndChange();
    }
  }
  gMemoryMgr->DisposeHandle(stored);
  document.Refresh(true, false);
  return code;
}

// Command 22: a reference to field (table, field).
int32_t InsertFieldReference(xMorvaDocument& document, xMorvaEngine& engine, void** p) {
  const int16_t table = WordAt(p, 1);
  const int16_t field = WordAt(p, 2);
  if (table < 1 || table > HostCountTables(false)) return kErrorFieldRange;
  if (field < 1 || field > HostCountFields(uint16_t(table), false)) return kErrorFieldRange;
  const int16_t type = HostGetFieldType(uint16_t(table), uint16_t(field), false);
  if (type == kRefusedFieldType) return kErrorFieldType7;
  if (type == kBlobFieldType) return kErrorBlobField;
  auto reference = std::make_unique<VHostRef>(table, field, false);
  return InsertReference(document, engine, *reference, p, 3);
}

// Command 24: a reference to an expression of the host's language.
int32_t InsertExpressionReference(xMorvaDocument& document, xMorvaEngine& engine, void** p) {
  VStr<255> expression;
  xMorvaTextCommands::PascalAt(p, 1, expression);
  auto reference = std::make_unique<VHostRef>(expression);
  return InsertReference(document, engine, *reference, p, 2);
}

// Command 60: the reference that the selection starts with.
void ReadReference(xMorvaEngine& engine, void** p) {
  const VMemHandle stored = engine.GetHostExpressionAtSelection();
  if (stored == 0) return;
  std::unique_ptr<VHostRef> reference;
  {
    VHandleLocker lock(stored);
    if (lock) reference = std::make_unique<VHostRef>(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(stored));
  }
  gMemoryMgr->DisposeHandle(stored);
  if (!reference) return;
  int16_t table = 0, field = 0;
  reference->GetNumbers(table, field);
  PutWord(At(p, 1), table);
  PutWord(At(p, 2), field);
  VStr<255> text;
  if (table > 0) HostGetTableName(text, uint16_t(table), false);
  xMorvaTextCommands::PutPascal(At(p, 3), text);
  // An expression has no table of its own.
  PutWord(At(p, 4), table <= 0 ? 2 : 1);
  reference->GetFormatText(text);
  xMorvaTextCommands::PutPascal(At(p, 5), text);
  PutWord(At(p, 6), int16_t(reference->GetOption()));
  PutWord(At(p, 7), int16_t(reference->GetFormat()));
}

// ---- Pictures in the text

bool IsOnePictureSelected(xMorvaEngine& engine) { return engine.IsPictureSelected() && engine.GetSelLength() == 1; }

// Command 71: the picture in a paragraph of its own at the selection.
int32_t InsertPicture(xMorvaDocument& document, xMorvaEngine& engine, void** p) {
  const uint32_t handle = HandleAt(p, 1);
  if (handle == 0) return kErrorNoPictureData;
  std::unique_ptr<VPictureData> picture;
  {
    LockedHandle bytes(handle);
    if (bytes.Data() == nullptr || !xMorvaLowCommandInputs::LooksLikePicture(bytes.Data(), bytes.Size())) return kErrorNoPictureData;
    // The header comes big-endian, as the host holds pictures.
    picture.reset(static_cast<VPictureData*>(NewPictValueFromMacPicture(bytes.Data(), bytes.Size())));
  }
  if (!picture) return kErrorNoPictureData;
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (element == 0) return kErrorNoMemory;
  int32_t code = kErrorNoMemory;
  if (MakePictureElement(*picture, element, -1, -1, -1, 0)) {
    const uint32_t elementSize = gMemoryMgr->GetHandleSize(element);
    const bool endBefore = engine.GetSelStart() != engine.GetParagraphStart();
    const uint32_t unit = sizeof(char16_t);
    const uint32_t total = elementSize + unit * (endBefore ? 2 : 1);
    const VMemHandle units = gMemoryMgr->NewHandle(total, 0);
    if (units != 0) {
      {
        VHandleLocker target(units);
        VHandleLocker source(element);
        uint8_t* at = target.As<uint8_t>();
        if (endBefore) std::memcpy(at, &kParagraphEnd, unit), at += unit;
        std::memcpy(at, source.As<uint8_t>(), elementSize);
        std::memcpy(at + elementSize, &kParagraphEnd, unit);
      }
      code = document.InsertUnits(units, endBefore ? 3 : 2, false);
      gMemoryMgr->DisposeHandle(units);
    }
  }
  gMemoryMgr->DisposeHandle(element);
  document.Refresh(true, false);
  return code;
}

int32_t RunPicture(xMorvaDocument& document, xMorvaEngine& engine, int32_t n, void** p) {
  if (n == 71) return InsertPicture(document, engine, p);
  if (!IsOnePictureSelected(engine)) return kErrorNoPicture;
  int32_t shownWidth = 0, shownHeight = 0, ownWidth = 0, ownHeight = 0;
  engine.GetSelectedPictureSize(&shownWidth, &shownHeight, &ownWidth, &ownHeight);
  switch (n) {
    case 68: {
      const int32_t x = convert::PointsToPixels(WordAt(p, 1));
      if (x < 0 || x >= document.CurrentTextWidth() - shownWidth) return kErrorPictureRange;
      document.BeginChange();
      engine.BeginUndoStep(kUndoProperties, 0);
      int32_t code = engine.SetPropertyValue(kPropLeftIndent, x);
      if (code == 0) code = engine.SetPropertyValue(kPropFirstLineIndent, 0);
      if (code == 0) code = engine.SetPropertyValue(kPropRightIndent, 0);
      engine.EndUndoStep(code);
      document.EndChange();
      document.Refresh(true, false);
      return code;
    }
    case 69: {
      const int32_t width = convert::PointsToPixels(WordAt(p, 1));
      const int32_t height = convert::PointsToPixels(WordAt(p, 2));
      const int32_t tallest = document.GetParams().TextHeight(document.GetCaretPage()) - kPictureHeightMargin;
      if (width < 0 || width > document.CurrentTextWidth() || height < 0 || height > tallest) {
        return kErrorPictureRange;
      }
      document.BeginChange();
      const int32_t code = engine.SetSelectedPictureSize(width, height);
      document.EndChange();
      document.Refresh(true, false);
      return code;
    }
    case 70:
      PutWord(At(p, 1), int16_t(convert::PixelsToPoints(shownWidth)));
      PutWord(At(p, 2), int16_t(convert::PixelsToPoints(shownHeight)));
      PutWord(At(p, 3), int16_t(convert::PixelsToPoints(engine.GetPropertyValue(kPropLeftIndent) +
                                                        engine.GetPropertyValue(kPropFirstLineIndent))));
      return 0;
    default: return 0;
  }
}

}  // namespace low_sheet_commands

namespace xMorvaLowTextCommands {

using xMorvaCommandValues::At;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutWord;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

void RunStyleSheetCommand(xMorvaMain& package, int32_t n, void** p, void* result) {
  if (n == 72) PutLong(result, 0);
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  package.ReportCommandError(low_sheet_commands::RunSheet(*area.document, n, p, result));
}

void RunReferenceCommand(xMorvaMain& package, int32_t n, void** p, void*) {
  if (n == 60) {
    for (int i : {1, 2, 4, 6, 7}) PutWord(At(p, i), 0);
    xMorvaTextCommands::ClearPascal(At(p, 3));
    xMorvaTextCommands::ClearPascal(At(p, 5));
  }
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  int32_t code = 0;
  if (n == 22) code = low_sheet_commands::InsertFieldReference(*area.document, *area.engine, p);
  if (n == 24) code = low_sheet_commands::InsertExpressionReference(*area.document, *area.engine, p);
  if (n == 60) low_sheet_commands::ReadReference(*area.engine, p);
  package.ReportCommandError(code);
}

void RunPictureCommand(xMorvaMain& package, int32_t n, void** p, void*) {
  if (n == 70) {
    for (int i = 1; i <= 3; ++i) PutWord(At(p, i), 0);
  }
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  package.ReportCommandError(low_sheet_commands::RunPicture(*area.document, *area.engine, n, p));
}

}  // namespace xMorvaLowTextCommands
