// The array dialog on its form: what each object shows, what each item hit
// changes in the table, and the live preview.
#include "dialogs/xMorvaDialogNewArray.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaBorderDialog.h"
#include "dialogs/xMorvaFontDialog.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VReferencePrinter.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/printing/VPrintSettings.h"
#include "host/context/HostStructure.h"
#include "host/context/VHostRef.h"
#include "host/dialog/VFormulaDialog.h"

namespace {

constexpr int16_t kTabsListOffset = 113;
constexpr int16_t kColumnItemListOffset = 114;
constexpr int16_t kAlignmentListOffset = 115;
constexpr int16_t kNumberingListOffset = 116;
constexpr int16_t kLineKindListOffset = 117;
constexpr int16_t kSizeListOffset = 124;
constexpr int16_t kAlertFixedTooWide = 12;
constexpr int32_t kSmallestSize = 1;
constexpr int32_t kLargestSize = 255;
constexpr int32_t kDefaultSize = 12;
constexpr int32_t kAlignments = 4;
constexpr int32_t kNumberingStyles = 7;
constexpr int32_t kLineKinds = 4;
constexpr int32_t kPreviewLeft = 30;
constexpr int32_t kPreviewTop = 10;
constexpr uint16_t kPreviewGranule = xMorvaEngine::kPartGranule;
constexpr int32_t kFirstCharacterId = 0;
constexpr int32_t kLastFontDialogId = 16;
constexpr int32_t kLastTableId = 45;
constexpr uint16_t kFirstBorderId = 38;

constexpr int32_t kLineColours[] = {0x0000FF, 0x0099FF, 0x00E6FF, 0x19CC00, 0xFF9933, 0xFF00CC,
                                    0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, 0x000000};
constexpr int32_t kBackColours[] = {0xB3B3FF, 0xA6D9FF, 0xCCFFFF, 0xB3FFB3, 0xFFE6B3, 0xFFC0FF,
                                    0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, -1};
constexpr int32_t kColourItems = 12;

int32_t ItemOfColour(const int32_t* table, int32_t colour) {
  for (int32_t i = 0; i < kColourItems - 1; ++i)
    if (table[i] == colour) return i + 1;
  return kColourItems;
}

std::string CText(const VString& text) {
  char buffer[256] = {};
  text.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  return buffer;
}

int32_t ItemOf(const VStringArray* list, const VString& text) {
  if (list == nullptr || text.GetLength() == 0) return 0;
  for (int32_t i = 1; i <= list->Count(); ++i) {
    const VString* item = list->GetAt(i);
    if (item != nullptr && item->Compare(text, false) == 0) return i;
  }
  return 0;
}

// The document as the preview's lines see it: the document's own, but
// nothing the preview does marks or changes it.
class ArrayPreviewDocument : public xMorvaDocumentInterface {
 public:
  explicit ArrayPreviewDocument(xMorvaDocument& document) : fDocument(document) {}
  const xMorvaDocParams& GetParams() const override { return fDocument.GetParams(); }
  int32_t GetTextWidth(int16_t) override { return fDocument.CurrentTextWidth(); }
  void GetStyleSheetName(int16_t id, VString& name) override { fDocument.GetStyleSheetName(id, name); }
  xMorvaFontTable* GetFontTable() override { return fDocument.GetFontTable(); }
  void SetModified() override {}
  void SetCurrentPart(xMorvaUndoEngine&) override {}
  void BeginChange() override {}
  void EndChange() override {}

 private:
  xMorvaDocument& fDocument;
};

// The positions the element bytes of a handle hold; -1 when they end
// inside an item.
int32_t PositionsIn(VMemHandle handle) {
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  if (bytes == nullptr) return size == 0 ? 0 : -1;
  int32_t positions = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    if (item.size == 0 || item.size > size - at) {
      positions = -1;
      break;
    }
    if (item.kind != StreamItem::kRecord) ++positions;
    at += uint32_t(item.size);
  }
  gMemoryMgr->UnlockHandle(handle);
  return positions;
}

// Field cells: the host's records, one a line.
class HostFieldCells : public xMorvaArrayFieldSource {
 public:
  int32_t RecordCount(int16_t table) override { return table == 0 ? 0 : int32_t(HostGetRecordCount(uint16_t(table))); }
  void WriteField(int16_t table, int16_t field, int32_t record, xMorvaEngine& engine) override {
    HostGotoRecord(uint16_t(table), uint32_t(record), 0, 0);
    VHostRef reference(table, field, false);
    const VMemHandle stored = reference.ToHandle();
    if (stored == 0) return;
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(stored));
    if (bytes != nullptr) {
      bool isPicture = false;
      const VMemHandle text = engine.BuildHostExpressionText(bytes, gMemoryMgr->GetHandleSize(stored), isPicture, nullptr);
      if (text != 0) {
        const int32_t start = engine.GetSelStart();
        const int32_t positions = PositionsIn(text);
        if (positions >= 0 && engine.InsertHandle(text, positions) == 0) {
          engine.SetSelection(start + positions, start + positions);
        }
        gMemoryMgr->DisposeHandle(text);
      }
    }
    gMemoryMgr->UnlockHandle(stored);
    gMemoryMgr->DisposeHandle(stored);
  }
};

}  // namespace

void LoadArrayTemplates(VResourceFile& file, xMorvaArrayTable& table, std::vector<std::string>& names) {
  const uint32_t type = FourCC("ARAY");
  std::vector<int16_t> ids;
  const int32_t count = file.CountResources(type);
  for (int32_t i = 1; i <= count; ++i) {
    const int16_t id = file.GetIndResourceId(type, i);
    if (id != -1) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  for (const int16_t id : ids) {
    VStr<255> name;
    file.GetResourceName(&name, type, id);
    names.push_back(CText(name));
    xMorvaArrayTemplate model;
    uint8_t owned = 0;
    const VResourceRef ref = file.GetResource(type, id, &owned);
    if (ref != 0) {
      const void* data = file.LockResource(ref);
      // A template that reads short keeps what was whole; one that cannot
      // be read at all stays empty.
      if (data != nullptr) {
        if (!ReadArrayTemplate(data, file.GetResourceSize(ref), model) && file.GetResourceSize(ref) < 6) {
          model = xMorvaArrayTemplate();
        }
        file.UnlockResource(ref);
      }
      file.ReleaseResource(ref);
    }
    table.AddTemplate(model);
  }
}

xMorvaDialogNewArray::xMorvaDialogNewArray(xMorvaPlugIn* area, xMorvaDocument* document)
    : xMorvaDialog(area, "mvNewArray"), fDocument(document) {}

xMorvaDialogNewArray::~xMorvaDialogNewArray() {
  if (fEngine) fEngine->SetLines(nullptr);
}

bool xMorvaDialogNewArray::HasHostData() const { return GetArea() != nullptr && GetArea()->HasHostWindow(); }

bool xMorvaDialogNewArray::MakePreview() {
  if (fDocument == nullptr) return false;
  fPreviewDocument = std::make_unique<ArrayPreviewDocument>(*fDocument);
  fEngine = std::make_unique<xMorvaEngine>(nullptr, kPreviewGranule);
  if (!fEngine->IsValid()) return false;
  fLines = std::make_unique<xMorvaLines>(fPreviewDocument.get(), fEngine.get(), 0, 4);
  fEngine->SetLines(fLines.get());
  fTable.SetTextWidth(fDocument->CurrentTextWidth());
  return true;
}

bool xMorvaDialogNewArray::BeforeOpen() {
  if (!MakePreview()) return false;

  LoadTemplates();
  if (!fNames.empty()) {
    VStringArray names;
    for (const std::string& name : fNames) {
      auto* text = new VStrInHandle;
      text->AppendCText(name.c_str(), kCharSetAnsi);
      names.AppendObject(text, false);
    }
    SetListItems("droTemplate", names);
  }
  // The font names the system knows and the sizes the font dialog offers.
  fFonts = gSystemServices != nullptr ? gSystemServices->GetFontList(true) : nullptr;
  fSizes.reset(NewList(kSizeListOffset));
  if (fFonts == nullptr || !fSizes) return false;
  SetListItems("droFont", *fFonts);
  SetListItems("droSize", *fSizes);
  FillFromList("tabSettings", kTabsListOffset);
  FillFromList("droAlignment", kAlignmentListOffset);
  FillFromList("droPredefined", kNumberingListOffset);
  FillFromList("droLinePredefined", kNumberingListOffset);
  FillFromList("droLine", kLineKindListOffset);

  // The font and size at the selection; a font the system does not know
  // chooses no item.
  xMorvaEngine* text = static_cast<xMorvaEngine*>(fDocument->GetCurrentPart());
  VStr<255> name;
  bool known = false;
  if (text != nullptr) fDocument->FontNameForIndex(text->GetPropertyValue(kPropFont), name, known);
  fFontItem = known ? ItemOf(fFonts, name) : 0;
  fSize = text != nullptr ? text->GetPropertyValue(kPropSize) : kDefaultSize;
  if (fSize < kSmallestSize || fSize > kLargestSize) fSize = kDefaultSize;
  VStr<31> sizeText;
  sizeText.AppendCText(std::to_string(fSize).c_str(), kCharSetAnsi);
  SetItemNumber("droSize", ItemOf(fSizes.get(), sizeText));

  MakeLineRecords();
  fTable.MakeColumnRecords();
  UpdatePreview();
  return true;
}

void xMorvaDialogNewArray::LoadTemplates() {
  const xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  VMacResourceFile* file = package != nullptr ? package->GetResourceFile() : nullptr;
  if (file != nullptr) LoadArrayTemplates(*file, fTable, fNames);
}

void xMorvaDialogNewArray::MakeLineRecords() {
  ApplyFontAndSize();
  fTable.MakeLineRecords();
}

void xMorvaDialogNewArray::ApplyLineTemplate() {
  ApplyFontAndSize();
  fTable.ApplyLineTemplate();
}

void xMorvaDialogNewArray::ApplyFontAndSize() {
  int32_t font = 0;
  if (fFontItem >= 1 && fFontItem <= fFonts->Count()) {
    VStr<255> name;
    name.CopyText(*fFonts->GetAt(fFontItem));
    font = fDocument->FontIndexForName(name);
  }
  fTable.SetFont(font, fSize);
}

bool xMorvaDialogNewArray::AfterOpen() {
  LoadGeneralGroup();
  LoadColumnGroup();
  LoadLineGroup();
  if (fPendingPicture) {
    SetItemPicture("vPreview", fPendingPicture.get());
    fPendingPicture.reset();
  }
  return true;
}

void xMorvaDialogNewArray::SetIntegerEntry(const char* name, int32_t value, bool enabled) {
  VStr<31> format;
  format.AppendCText("######", kCharSetAnsi);
  HostFormSetFormat(name, format);
  HostFormSetLong(name, value);
  SetObjectActive(*this, name, enabled);
}

void xMorvaDialogNewArray::SetLengthEntry(const char* name, int32_t pixels, bool enabled) {
  ShowLength(name, fDocument->GetParams(), pixels);
  SetObjectActive(*this, name, enabled);
}

void xMorvaDialogNewArray::LoadGeneralGroup() {
  const xMorvaArrayTemplate* model = fTable.CurrentTemplate();
  HostFormSetLong("ckSeparator", model != nullptr && model->separator ? 1 : 0);
  HostFormSetListTextFromCString("droSize", 0, std::to_string(fSize).c_str());
  SetItemNumber("droTemplate", fTable.GetTemplate());
  SetItemNumber("droLine", fLineKind);
  // The column items: the prefix and the column's number.
  HostFormClearList("droColumn");
  VStringArray items;
  std::unique_ptr<VStringArray> prefix(NewList(kColumnItemListOffset));
  for (int32_t c = 1; c <= fTable.GetColumns(); ++c) {
    auto* item = new VStrInHandle;
    if (prefix && prefix->Count() >= 1 && prefix->GetAt(1) != nullptr) item->CopyText(*prefix->GetAt(1));
    item->AppendCText(std::to_string(c).c_str(), kCharSetAnsi);
    items.AppendObject(item, false);
  }
  if (items.Count() > 0) SetListItems("droColumn", items);
  SetItemNumber("droColumn", fColumn);
  SetItemNumber("droFont", fFontItem);
  SetIntegerEntry("vNumColumn", fTable.GetColumns(), true);
  SetIntegerEntry("vNumLine", fTable.GetLines(), true);
  VStr<31> interline;
  interline.AppendCText("###.#", kCharSetAnsi);
  HostFormSetFormat("vInterline", interline);
}

int32_t xMorvaDialogNewArray::CurrentRecordCount() {
  const xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
  // Table 0 has no records to count, go to, find or sort.
  if (column.fieldTable == 0) return 0;
  return int32_t(HostGetRecordCount(uint16_t(column.fieldTable)));
}

void xMorvaDialogNewArray::LoadColumnGroup() {
  if (fColumn < 1 || fColumn > fTable.KeptColumns()) return;
  const xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
  HostFormSetLong("rbValue1", column.kind == 1 ? 1 : 0);
  HostFormSetLong("rbValue2", column.kind == 2 ? 1 : 0);
  HostFormSetLong("rbValue3", column.kind == 3 ? 1 : 0);
  SetIntegerEntry("vStartValue", column.start, column.kind == 2);
  HostFormSetLong("ckFixedWidth", column.fixed ? 1 : 0);
  SetLengthEntry("vWidth", column.width, column.fixed);
  SetItemNumber("droAlignment", column.alignment);
  SetItemNumber("droPredefined", column.style);
  VStr<255> tableName;
  if (column.fieldTable != 0) HostGetTableName(tableName, uint16_t(column.fieldTable), false);
  HostFormSetText("vField", tableName);
  HostFormSetLong("nbrecs", CurrentRecordCount());
  const bool hostData = HasHostData();
  const bool fieldKind = column.kind == 3 && hostData;
  HostFormEnableObject("butFind", fieldKind);
  HostFormEnableObject("butSort", fieldKind);
  HostFormEnableObject("vField", fieldKind);
  HostFormEnableObject("rbValue3", hostData);
  HostFormEnableObject("butQvField", hostData);
  HostFormShowObject("vField", hostData);
  HostFormShowObject("nbrecsHolder", hostData);
  HostFormRedrawObject("nbrecsHolder");
}

void xMorvaDialogNewArray::LoadLineGroup() {
  const xMorvaArrayTable::Line& line = fTable.LineKind(fLineKind);
  const xMorvaProperties& record = line.record.properties;
  SetItemNumber("popBackColor", ItemOfColour(kBackColours, record.GetProperty(kPropParagraphBackColour)));
  SetItemNumber("popLineColor", ItemOfColour(kLineColours, record.GetProperty(kPropBorderColour)));
  HostFormSetReal("vInterline", record.GetProperty(kPropInterline) / 10.0);
  const bool edge = fLineKind == 1 || fLineKind == 4;
  HostFormSetLong("rbLineValue1", line.numbered ? 0 : 1);
  HostFormSetLong("rbLineValue2", line.numbered && edge ? 1 : 0);
  HostFormEnableObject("rbLineValue2", edge);
  SetIntegerEntry("vLineStartValue", line.start, line.numbered && edge);
  HostFormSetLong("ckLeaveEmpty", line.leaveEmpty ? 1 : 0);
  HostFormEnableObject("ckLeaveEmpty", !line.numbered && edge);
  SetItemNumber("droLinePredefined", line.style);
  HostFormEnableObject("droLinePredefined", edge);
}

std::unique_ptr<VEmfPictureData> xMorvaDialogNewArray::DrawPreview() {
  if (!fEngine || !fLines || fDocument == nullptr) return nullptr;
  BuildTable();
  xMorvaFont measure(fDocument->GetMeasuringPort(), fPreviewDocument.get());
  if (fLines->ComposeAll(measure) != 0) return nullptr;
  const int32_t width = fDocument->CurrentTextWidth() + 2 * kPreviewLeft;
  const int32_t height = fLines->GetTotalHeight() + 2 * kPreviewTop;
  VMetafilePort port(nullptr, 0, 0, width, height);
  if (!port.IsRecording()) return nullptr;
  port.EraseRect(0, 0, width, height);
  xMorvaLines* table[7] = {fLines.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  xMorvaPages pages(fPreviewDocument.get(), fLines.get());
  xMorvaDocumentDrawing drawing(*fDocument, table, pages);
  drawing.SetDrawingMode(kDrawPaint);
  drawing.SetPrinting(true);
  xMorvaFont font(&port, fPreviewDocument.get());
  // A document laid out on its printer draws the preview with the
  // printer's widths too, so the picture breaks where the text will.
  VReferencePrinter* printer = nullptr;
  if (fDocument->IsPrinterMetricsApplied()) printer = dynamic_cast<VReferencePrinter*>(fDocument->GetPrinter());
  if (printer != nullptr) port.SetReferencePrinter(printer);
  int32_t y = kPreviewTop;
  uint32_t lineStart = 0;
  for (int32_t i = 0; i < fLines->GetLineCount(); ++i) {
    const xMorvaLineRecord& line = fLines->GetLine(i);
    drawing.DrawLines(port, nullptr, *fEngine, lineStart, font, line, -1, kPreviewLeft, y, true);
    y += line.height;
    lineStart += line.bytes;
  }
  if (printer != nullptr) port.ClearReferencePrinter();
  return std::unique_ptr<VEmfPictureData>(port.EndAsPictureData());
}

void xMorvaDialogNewArray::BuildTable() {
  if (!fEngine) return;
  HostFieldCells fields;
  fTable.BuildTable(*fEngine, HasHostData() ? &fields : nullptr);
}

void xMorvaDialogNewArray::UpdatePreview() {
  std::unique_ptr<VEmfPictureData> picture = DrawPreview();
  // Before the form opens the picture waits for it.
  if (!IsOpen()) {
    fPendingPicture = std::move(picture);
    return;
  }
  fPendingPicture.reset();
  if (picture) SetItemPicture("vPreview", picture.get());
}

VMemHandle xMorvaDialogNewArray::WritePreview() {
  if (!fEngine || fDocument == nullptr) return 0;
  fEngine->SetSelection(0, fEngine->GetLength());
  return fEngine->WriteStream(*fDocument);
}

bool xMorvaDialogNewArray::DistributeWidths(bool mayUnfix) {
  if (fTable.DistributeWidths(mayUnfix)) return true;
  xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  if (package != nullptr) package->ShowAlert(kAlertFixedTooWide);
  return false;
}

bool xMorvaDialogNewArray::MakeColumnRecords(int32_t columns) {
  // A count whose stops would not fit is refused: the entry shows the
  // count kept.
  if (!fTable.SetColumns(columns)) {
    VSystemServices::Beep();
    SetIntegerEntry("vNumColumn", fTable.GetColumns(), true);
    return false;
  }
  if (fColumn > std::max(fTable.GetColumns(), 1)) fColumn = std::max(fTable.GetColumns(), 1);
  return true;
}

void xMorvaDialogNewArray::ReadSize() {
  VStr<255> text;
  HostFormGetListText("droSize", 0, text);
  const std::string typed = CText(text);
  char* end = nullptr;
  const double value = std::strtod(typed.c_str(), &end);
  if (end == typed.c_str() || !std::isfinite(value)) {
    // Not a number: the size stays as it was.
    VSystemServices::Beep();
    HostFormSetListTextFromCString("droSize", 0, std::to_string(fSize).c_str());
    return;
  }
  const int32_t size = value < kSmallestSize ? kSmallestSize : value > kLargestSize ? kLargestSize : int32_t(value);
  VStr<31> sizeText;
  sizeText.AppendCText(std::to_string(size).c_str(), kCharSetAnsi);
  SetItemNumber("droSize", ItemOf(fSizes.get(), sizeText));
  HostFormSetListTextFromCString("droSize", 0, std::to_string(size).c_str());
  if (size == fSize) return;
  fSize = size;
  ApplyLineTemplate();
  UpdatePreview();
}

void xMorvaDialogNewArray::ReadColour(const char* object, uint16_t id, bool background) {
  const int32_t* table = background ? kBackColours : kLineColours;
  xMorvaArrayTable::Record& record = fTable.LineKind(fLineKind).record;
  const int32_t current = record.properties.GetProperty(id);
  const int32_t chosen = DropDownChoice(HostFormGetLong(object), kColourItems, -1);
  if (chosen < 0) {
    SetItemNumber(object, ItemOfColour(table, current));
    return;
  }
  int32_t colour = 0;
  if (chosen == kColourItems - 1) {
    colour = current < 0 ? 0 : current;
    if (!ChooseColour(colour)) {
      SetItemNumber(object, ItemOfColour(table, current));
      return;
    }
  } else {
    colour = table[chosen];
  }
  if (colour == current && record.Defines(id)) return;
  record.Set(id, colour);
  UpdatePreview();
}

void xMorvaDialogNewArray::RunTextDialog(bool allKinds, bool column) {
  xMorvaArrayTable::Record& record =
      column ? fTable.ColumnAt(fColumn).record : fTable.LineKind(allKinds ? 1 : fLineKind).record;
  // The font dialog marks a property it shows with 1.
  xMorvaPropertiesStates states(true);
  if (allKinds) {
    for (uint16_t id = 0; id <= kLastTableId; ++id) {
      bool same = true;
      for (int16_t kind = 2; kind <= kLineKinds; ++kind) {
        same = same && fTable.LineKind(kind).record.properties.GetProperty(id) == record.properties.GetProperty(id);
      }
      states.SetState(id, same ? 1 : 0);
    }
  } else {
    states.SetAll();
  }
  xMorvaFontDialog dialog(GetArea(), record.properties, states);
  if (!RunSubDialog(dialog)) return;
  for (uint16_t id = kFirstCharacterId; id <= kLastFontDialogId; ++id) {
    const int32_t value = dialog.GetProperties().GetProperty(id);
    if (allKinds) {
      if (dialog.GetStates().GetState(id) != 1) continue;
      for (int16_t kind = 1; kind <= kLineKinds; ++kind) fTable.LineKind(kind).record.Set(id, value);
    } else if (value != record.properties.GetProperty(id)) {
      record.Set(id, value);
    }
  }
  UpdatePreview();
}

void xMorvaDialogNewArray::RunBorderDialog() {
  xMorvaArrayTable::Record& record = fTable.LineKind(fLineKind).record;
  xMorvaPropertiesStates states(true);
  xMorvaBorderDialog dialog(GetArea(), fDocument, record.properties, states);
  if (!RunSubDialog(dialog)) return;
  for (uint16_t id = kFirstBorderId; id <= kLastTableId; ++id) {
    const int32_t value = dialog.GetProperties().GetProperty(id);
    if (value != record.properties.GetProperty(id)) record.Set(id, value);
  }
  UpdatePreview();
}

bool xMorvaDialogNewArray::AskResize(int32_t records) {
  (void)records;
  VDialQv question(nullptr, "mvResizeArray");
  return RunSubDialog(question);
}

void xMorvaDialogNewArray::ChooseField() {
  xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
  VHostRef reference(column.fieldTable, column.fieldNumber, false);
  if (!RunFormulaDialog(&reference)) return;
  int16_t table = 0, field = 0;
  reference.GetNumbers(table, field);
  int32_t records = 0;
  if (table != 0) {
    int16_t currentTable = table, currentField = field;
    HostCurrentFieldCall303(currentTable, currentField);
    records = int32_t(HostGetRecordCount(uint16_t(table)));
  }
  bool anyField = false;
  for (int32_t c = 1; c <= fTable.GetColumns(); ++c) anyField = anyField || fTable.ColumnAt(c).kind == 3;
  const int32_t target = fTable.GetLines() - (fTable.LineKind(1).leaveEmpty ? 1 : 0);
  bool resized = false;
  if (!anyField && records != target && AskResize(records)) {
    fTable.SetLines(records);
    resized = true;
  }
  column.kind = 3;
  column.fieldTable = table;
  column.fieldNumber = field;
  if (resized) {
    AfterOpen();
    ApplyLineTemplate();
  } else {
    LoadColumnGroup();
  }
  UpdatePreview();
}

void xMorvaDialogNewArray::FindOrSort(bool find) {
  xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
  // Table 0 has nothing to find or sort.
  if (column.fieldTable == 0) {
    HostFormSetLong("nbrecs", 0);
    return;
  }
  const int32_t previous = CurrentRecordCount();
  SetVisible(false);
  if (find) {
    HostQueryTable(uint16_t(column.fieldTable));
  } else {
    HostSortTable(uint16_t(column.fieldTable));
  }
  SetVisible(true);
  const int32_t records = CurrentRecordCount();
  bool resized = false;
  if (records != fTable.GetLines() && records != previous && AskResize(records)) {
    fTable.SetLines(records);
    resized = true;
  }
  if (resized) AfterOpen();
  HostFormSetLong("nbrecs", records);
  HostFormRedrawObject("nbrecsHolder");
  if (resized) ApplyLineTemplate();
  UpdatePreview();
}

void xMorvaDialogNewArray::ItemHit(const VString& objectName, int16_t page) {
  const std::string name = CText(objectName);
  const auto number = [&](const char* object) { return HostFormGetLong(object); };
  xMorvaArrayTable::Line& line = fTable.LineKind(fLineKind);
  if (name == "butLineText" || name == "butColumnText" || name == "butAllText") {
    RunTextDialog(name == "butAllText", name == "butColumnText");
  } else if (name == "butBorder") {
    RunBorderDialog();
  } else if (name == "butQvField") {
    ChooseField();
  } else if (name == "butFind" || name == "butSort") {
    FindOrSort(name == "butFind");
  } else if (name == "rbValue1" || name == "rbValue2" || name == "rbValue3") {
    const int16_t kind = int16_t(name.back() - '0');
    xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
    if (column.kind == kind) return;
    column.kind = kind;
    LoadColumnGroup();
    UpdatePreview();
  } else if (name == "rbLineValue1" || name == "rbLineValue2") {
    const bool numbered = name == "rbLineValue2";
    if (line.numbered == numbered) return;
    line.numbered = numbered;
    LoadLineGroup();
    UpdatePreview();
  } else if (name == "ckSeparator") {
    xMorvaArrayTemplate* model = fTable.CurrentTemplate();
    if (model == nullptr) return;
    model->separator = number("ckSeparator") != 0;
    UpdatePreview();
  } else if (name == "ckFixedWidth") {
    xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
    column.fixed = number("ckFixedWidth") != 0;
    SetLengthEntry("vWidth", column.width, column.fixed);
    DistributeWidths(false);
    UpdatePreview();
  } else if (name == "vWidth") {
    xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
    const int32_t width = ReadLength("vWidth", fDocument->GetParams());
    if (width == column.width) return;
    column.width = width;
    DistributeWidths(false);
    UpdatePreview();
  } else if (name == "vStartValue") {
    fTable.ColumnAt(fColumn).start = number("vStartValue");
    UpdatePreview();
  } else if (name == "ckLeaveEmpty") {
    line.leaveEmpty = number("ckLeaveEmpty") != 0;
    UpdatePreview();
  } else if (name == "vInterline") {
    line.record.Set(kPropInterline, int32_t(HostFormGetReal("vInterline") * 10));
    UpdatePreview();
  } else if (name == "vLineStartValue") {
    line.start = number("vLineStartValue");
    UpdatePreview();
  } else if (name == "vNumColumn") {
    const int32_t columns = number("vNumColumn");
    if (columns == fTable.GetColumns()) return;
    if (!MakeColumnRecords(columns)) return;
    AfterOpen();
    UpdatePreview();
  } else if (name == "vNumLine") {
    const int32_t lines = number("vNumLine");
    if (lines == fTable.GetLines()) return;
    fTable.SetLines(lines);
    AfterOpen();
    ApplyLineTemplate();
    UpdatePreview();
  } else if (name == "droAlignment") {
    xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
    const int16_t alignment = int16_t(DropDownChoice(number("droAlignment"), kAlignments, column.alignment - 1) + 1);
    SetItemNumber("droAlignment", alignment);
    if (alignment == column.alignment) return;
    column.alignment = alignment;
    UpdatePreview();
  } else if (name == "droTemplate") {
    const int32_t chosen = DropDownChoice(number("droTemplate"), fTable.TemplateCount(), fTable.GetTemplate() - 1) + 1;
    SetItemNumber("droTemplate", chosen);
    if (chosen == fTable.GetTemplate()) return;
    fTable.SetTemplate(chosen);
    ApplyLineTemplate();
    fTable.ApplyColumnTemplate();
    AfterOpen();
    UpdatePreview();
  } else if (name == "droSize") {
    ReadSize();
  } else if (name == "droFont") {
    const int32_t count = fFonts ? fFonts->Count() : 0;
    const int32_t chosen = DropDownChoice(number("droFont"), count, fFontItem - 1) + 1;
    SetItemNumber("droFont", chosen);
    if (chosen == fFontItem) return;
    fFontItem = chosen;
    ApplyLineTemplate();
    UpdatePreview();
  } else if (name == "droLine") {
    fLineKind = int16_t(DropDownChoice(number("droLine"), kLineKinds, fLineKind - 1) + 1);
    SetItemNumber("droLine", fLineKind);
    LoadLineGroup();
  } else if (name == "droColumn") {
    fColumn = DropDownChoice(number("droColumn"), fTable.GetColumns(), fColumn - 1) + 1;
    SetItemNumber("droColumn", fColumn);
    LoadColumnGroup();
  } else if (name == "droPredefined") {
    xMorvaArrayTable::Column& column = fTable.ColumnAt(fColumn);
    const int16_t style = int16_t(DropDownChoice(number("droPredefined"), kNumberingStyles, column.style - 1) + 1);
    SetItemNumber("droPredefined", style);
    if (column.kind != 2) {
      column.kind = 2;
      LoadColumnGroup();
    }
    column.style = style;
    UpdatePreview();
  } else if (name == "droLinePredefined") {
    const int16_t style = int16_t(DropDownChoice(number("droLinePredefined"), kNumberingStyles, line.style - 1) + 1);
    SetItemNumber("droLinePredefined", style);
    if (!line.numbered) {
      line.numbered = true;
      LoadLineGroup();
    }
    line.style = style;
    UpdatePreview();
  } else if (name == "popLineColor") {
    ReadColour("popLineColor", kPropBorderColour, false);
  } else if (name == "popBackColor") {
    ReadColour("popBackColor", kPropParagraphBackColour, true);
  }
  (void)page;
}

bool RunNewArrayDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaDialogNewArray dialog(&area, &document);
  if (!dialog.Run()) {
    document.NotifyHostModal(false);
    return false;
  }
  document.NotifyHostModal(true);
  VMemHandle handle = dialog.WritePreview();
  xMorvaEngine* text = static_cast<xMorvaEngine*>(document.GetCurrentPart());
  if (handle == 0 || text == nullptr) {
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    return true;
  }
  {
    VHandleStream stream(handle);
    if (stream.OpenRead() == 0) {
      document.BeginChange();
      text->PasteStreamWithUndo(stream, document);
      int32_t start = 0, end = 0;
      text->GetSelection(start, end);
      text->SetSelection(end, end);
      document.EndChange();
      stream.CloseRead();
    }
  }
  // The area redraws the document after an accepted run.
  gMemoryMgr->DisposeHandle(handle);
  return true;
}
