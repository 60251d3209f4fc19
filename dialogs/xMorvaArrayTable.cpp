// The array dialog's table: its model, its templates and the text it
// writes.
#include "dialogs/xMorvaArrayTable.h"

#include <algorithm>

#include "document/xMorvaTabs.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaListNumber.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint16_t kPropFontId = 7;
constexpr uint16_t kPropSizeId = 8;
// A column that defines it ends its cells with a tab and an edge stop.
constexpr uint16_t kPropColumnEdge = 10;
constexpr uint16_t kPropRightIndentId = 37;
constexpr uint16_t kPropBackground = 38;
constexpr uint16_t kBorders[] = {41, 43, 42, 44};
// A left-aligned column gets its own stop only when it defines this one.
constexpr uint16_t kPropLeftStop = 45;
constexpr uint16_t kLastTableProperty = 45;
constexpr int32_t kLastPropertyId = 64;
constexpr size_t kListsAt = 6;
constexpr size_t kEntryBytes = 8;
constexpr int32_t kMinimumShare = 5;
constexpr int32_t kFurthestStop = 32767;
constexpr int32_t kHighestNumberStyle = 6;
// The edge stop kinds: a right stop closes the table, a centre stop marks
// an edge that draws a separator.
constexpr uint8_t kSeparatorEdge = 5;

// Reads one list at the reader: its 16-bit count, then that many {32-bit
// id, 32-bit value}. A negative count is an empty list. Only the entries
// the data holds are read: a count past the end reads no further than it,
// and the answer is then false.
bool ReadPropertyList(ByteSpanReader& reader, std::vector<std::pair<int32_t, int32_t>>& list) {
  if (reader.Remaining() < 2) return false;
  const int16_t count = reader.I16();
  if (count <= 0) return true;
  const size_t whole = std::min<size_t>(size_t(count), reader.Remaining() / kEntryBytes);
  list.reserve(whole);
  for (size_t i = 0; i < whole; ++i) {
    const int32_t id = reader.I32();
    const int32_t value = reader.I32();
    list.emplace_back(id, value);
  }
  return whole == size_t(count);
}

}  // namespace

bool ReadArrayTemplate(const void* data, size_t size, xMorvaArrayTemplate& out) {
  out = xMorvaArrayTemplate();
  ByteSpanReader reader(data, size);
  if (reader.Size() < kListsAt) return false;
  out.separator = reader.U8() != 0;
  reader.Skip(3);
  out.alignment = reader.I16();
  for (auto& list : out.lists) {
    if (!ReadPropertyList(reader, list)) return false;
  }
  return true;
}

void xMorvaArrayTable::Record::Reset() {
  properties.SetDefaults();
  states.SetAll();
}

void xMorvaArrayTable::Record::Set(int32_t id, int32_t value) {
  if (id < 0 || id > kLastPropertyId) return;
  properties.SetProperty(uint16_t(id), value);
  states.SetState(uint16_t(id), kDefined);
}

xMorvaArrayTable::xMorvaArrayTable() = default;

void xMorvaArrayTable::AddTemplate(const xMorvaArrayTemplate& model) { fTemplates.push_back(model); }

xMorvaArrayTemplate* xMorvaArrayTable::CurrentTemplate() {
  if (fTemplate < 1 || fTemplate > TemplateCount()) return nullptr;
  return &fTemplates[size_t(fTemplate - 1)];
}

const xMorvaArrayTemplate* xMorvaArrayTable::CurrentTemplate() const {
  if (fTemplate < 1 || fTemplate > TemplateCount()) return nullptr;
  return &fTemplates[size_t(fTemplate - 1)];
}

void xMorvaArrayTable::MakeLineRecords() {
  for (Line& line : fLineKinds) {
    line.start = 1;
    line.style = 1;
    line.numbered = false;
    line.leaveEmpty = false;
  }
  ApplyLineTemplate();
}

void xMorvaArrayTable::ApplyLineTemplate() {
  const xMorvaArrayTemplate* model = CurrentTemplate();
  auto apply = [&](Record& record, int list) {
    if (model == nullptr) return;
    for (const auto& [id, value] : model->lists[list]) record.Set(id, value);
  };
  for (int16_t kind = kFirstLine; kind <= kLastLine; ++kind) {
    Record& record = LineKind(kind).record;
    record.Reset();
    record.Set(kPropFontId, fFont);
    record.Set(kPropSizeId, fSize);
    apply(record, xMorvaArrayTemplate::kAllLines);
    switch (kind) {
      case kFirstLine: apply(record, xMorvaArrayTemplate::kFirstLine); break;
      case kEvenLine: apply(record, xMorvaArrayTemplate::kEvenLines); break;
      case kLastLine:
        if (fLines % 2 == 0) apply(record, xMorvaArrayTemplate::kEvenLines);
        apply(record, xMorvaArrayTemplate::kLastLine);
        break;
      default: break;
    }
  }
}

void xMorvaArrayTable::ApplyColumnTemplate() {
  const xMorvaArrayTemplate* model = CurrentTemplate();
  auto apply = [&](Record& record, int list) {
    if (model == nullptr) return;
    for (const auto& [id, value] : model->lists[list]) record.Set(id, value);
  };
  for (size_t i = 0; i < fColumnList.size(); ++i) {
    Record& record = fColumnList[i]->record;
    record.Reset();
    apply(record, xMorvaArrayTemplate::kAllColumns);
    if (i % 2 == 1) apply(record, xMorvaArrayTemplate::kEvenColumns);
  }
  if (!fColumnList.empty()) {
    apply(fColumnList.front()->record, xMorvaArrayTemplate::kFirstColumn);
    apply(fColumnList.back()->record, xMorvaArrayTemplate::kLastColumn);
  }
  const int16_t alignment = model != nullptr ? model->alignment : int16_t(kAlignLeft);
  for (int32_t c = 1; c <= fColumns && c <= KeptColumns(); ++c) ColumnAt(c).alignment = alignment;
}

void xMorvaArrayTable::MakeColumnRecords() {
  const size_t before = fColumnList.size();
  const xMorvaArrayTemplate* model = CurrentTemplate();
  while (int32_t(fColumnList.size()) < fColumns) {
    auto column = std::make_unique<Column>();
    column->alignment = model != nullptr ? model->alignment : int16_t(kAlignLeft);
    fColumnList.push_back(std::move(column));
  }
  if (int64_t(before) != fColumns) ApplyColumnTemplate();
  DistributeWidths(true);
}

bool xMorvaArrayTable::SetColumns(int32_t columns) {
  if (columns == fColumns) return true;
  // Tried on the new count; a refused count puts everything back.
  std::vector<std::unique_ptr<Column>> saved;
  saved.reserve(fColumnList.size());
  for (const auto& column : fColumnList) saved.push_back(std::make_unique<Column>(*column));
  std::vector<Record> savedLines;
  for (const Line& line : fLineKinds) savedLines.push_back(line.record);
  const int32_t previous = fColumns;
  fColumns = columns;
  MakeColumnRecords();
  int32_t furthest = 0;
  if (CountStops(&furthest) <= xMorvaTabs::kCapacity && furthest <= kFurthestStop) return true;
  fColumns = previous;
  fColumnList = std::move(saved);
  for (size_t i = 0; i < 4; ++i) {
    Record& record = fLineKinds[i].record;
    record.properties.SetProperty(kPropRightIndentId, savedLines[i].properties.GetProperty(kPropRightIndentId));
    record.states.SetState(kPropRightIndentId, savedLines[i].states.GetState(kPropRightIndentId));
  }
  return false;
}

bool xMorvaArrayTable::DistributeWidths(bool mayUnfix) {
  if (fColumns < 1 || KeptColumns() < fColumns) return false;
  const int32_t width = fTextWidth;
  int32_t k = fColumns;
  int64_t fixedWidth = 0;
  int32_t fixedCount = 0;
  int64_t share = 0;
  bool found = false;
  while (true) {
    fixedWidth = 0;
    fixedCount = 0;
    for (int32_t c = 1; c <= fColumns; ++c) {
      if (ColumnAt(c).fixed) fixedWidth += ColumnAt(c).width, ++fixedCount;
    }
    share = width - fixedWidth;
    if (fixedCount < fColumns) share /= fColumns - fixedCount;
    if (share < kMinimumShare && fixedCount < fColumns && mayUnfix && k > 0) {
      ColumnAt(k).fixed = false;
      --k;
      continue;
    }
    found = !(share < kMinimumShare && fixedCount < fColumns && mayUnfix);
    break;
  }
  bool result = found;
  if (fixedCount == fColumns) {
    const int64_t indent = width - fixedWidth;
    for (Line& line : fLineKinds) line.record.Set(kPropRightIndentId, int32_t(std::max<int64_t>(indent, INT32_MIN)));
    if (width < fixedWidth) result = false;
  } else {
    for (Line& line : fLineKinds) {
      line.record.properties.SetProperty(kPropRightIndentId, 0);
      line.record.states.SetState(kPropRightIndentId, 1);
    }
    for (int32_t c = 1; c <= fColumns; ++c) {
      if (!ColumnAt(c).fixed) ColumnAt(c).width = int32_t(share);
    }
  }
  return result;
}

bool xMorvaArrayTable::HasAlignmentStop(const Column& column) const {
  return column.alignment != kAlignLeft || column.record.Defines(kPropLeftStop);
}

bool xMorvaArrayTable::HasTrailingTab(const Column& column) const {
  const xMorvaArrayTemplate* model = CurrentTemplate();
  return column.record.Defines(kPropColumnEdge) || (model != nullptr && model->separator);
}

int32_t xMorvaArrayTable::CountStops(int32_t* furthest) const {
  const xMorvaArrayTemplate* model = CurrentTemplate();
  const bool separator = model != nullptr && model->separator;
  int32_t count = 0;
  int64_t x = 0;
  int64_t reach = 0;
  for (int32_t c = 1; c <= fColumns && c <= KeptColumns(); ++c) {
    const Column& column = ColumnAt(c);
    if (HasAlignmentStop(column)) ++count;
    x += column.width;
    reach = std::max(reach, x);
    if (c == fColumns || separator || column.record.Defines(kPropColumnEdge)) ++count;
  }
  if (furthest != nullptr) *furthest = int32_t(std::min<int64_t>(reach, INT32_MAX));
  return count;
}

void xMorvaArrayTable::MakeTabs(xMorvaTabs& tabs, int32_t* furthest) const {
  tabs.Clear();
  const xMorvaArrayTemplate* model = CurrentTemplate();
  const bool separator = model != nullptr && model->separator;
  int16_t x = 0;
  int32_t reach = 0;
  for (int32_t c = 1; c <= fColumns && c <= KeptColumns(); ++c) {
    const Column& column = ColumnAt(c);
    const int32_t w = column.width;
    // A stop is a 16-bit position: columns reaching past the last one that
    // fits get none, rather than stops wrapped round to the left.
    if (int32_t(x) + int64_t(w) > kFurthestStop || x + (3 * int64_t(w)) / 4 > kFurthestStop) break;
    if (HasAlignmentStop(column)) {
      int32_t at = x;
      switch (column.alignment) {
        case kAlignLeft: at = x + 10; break;
        case kAlignCentre: at = x + w / 2; break;
        case kAlignRight: at = x + w - 5; break;
        case kAlignDecimal: at = x + (3 * w) / 4 - 1; break;
        default: break;
      }
      tabs.AddStop(MakeTabStop(int16_t(at), 0, uint8_t(column.alignment)));
    }
    x = int16_t(x + w);
    reach = std::max<int32_t>(reach, x);
    uint8_t edge = kTabNone;
    if (c == fColumns) {
      edge = kTabRight;
    } else if (separator) {
      edge = kSeparatorEdge;
    } else if (column.record.Defines(kPropColumnEdge)) {
      edge = kTabCentre;
    }
    if (edge != kTabNone) tabs.AddStop(MakeTabStop(x, 0, edge));
  }
  if (furthest != nullptr) *furthest = reach;
}

void xMorvaArrayTable::SetAllProperties(xMorvaEngine& engine, const Record& record) {
  for (uint16_t id = 0; id <= kLastTableProperty; ++id) {
    if (IsPropertyId(id)) engine.SetPropertyValue(id, record.properties.GetProperty(id));
  }
}

int32_t xMorvaArrayTable::WriteNumber(xMorvaEngine& engine, int32_t number, int16_t style) {
  if (number < 1 || style < 1 || style - 1 > kHighestNumberStyle) return 0;
  char16_t field[kListNumberUnits + 1];
  const int32_t written = FormatListNumber(number, style - 1, &field[kListNumberUnits - 1]);
  for (int32_t i = kListNumberUnits - written; i < kListNumberUnits; ++i) engine.TypeCharacter(field[i]);
  return written;
}

void xMorvaArrayTable::WriteTableLine(xMorvaEngine& engine, xMorvaArrayFieldSource* fields, int32_t line,
                                      bool applyColumns) {
  int32_t start = engine.GetSelStart();
  const int16_t kind = line == 1 ? kFirstLine : line == fLines ? kLastLine : 0;
  const Line body;
  const Line& content = kind != 0 ? LineKind(kind) : body;
  std::vector<int32_t> lengths;
  for (int32_t c = 1; c <= fColumns; ++c) {
    const Column& column = ColumnAt(c);
    int32_t n = 0;
    if (HasAlignmentStop(column)) engine.InsertTab(), ++n;
    if (!content.leaveEmpty) {
      const int32_t r = line - (LineKind(kFirstLine).leaveEmpty ? 1 : 0);
      if (content.numbered) {
        n += WriteNumber(engine, content.start - 1 + c, content.style);
      } else if (column.kind == kNumbered) {
        n += WriteNumber(engine, column.start - 1 + r, column.style);
      } else if (column.kind == kFieldValues && fields != nullptr && column.fieldTable != 0 && r >= 1 &&
                 fields->RecordCount(column.fieldTable) >= r) {
        const int32_t before = engine.GetSelStart();
        fields->WriteField(column.fieldTable, column.fieldNumber, r, engine);
        n += engine.GetSelStart() - before;
      }
    }
    if (HasTrailingTab(column)) engine.InsertTab(), ++n;
    lengths.push_back(n);
  }
  if (applyColumns) {
    for (int32_t c = 1; c <= fColumns; ++c) {
      const Record& record = ColumnAt(c).record;
      const int32_t n = lengths[size_t(c - 1)];
      engine.SetSelection(start, start + n);
      for (uint16_t id = 0; id <= kLastTableProperty; ++id) {
        if (IsPropertyId(id) && record.Defines(id)) engine.SetPropertyValue(id, record.properties.GetProperty(id));
      }
      start += n;
    }
    engine.SetSelection(start, start);
  } else {
    start = engine.GetSelStart();
  }
  engine.InsertParagraphEnd();
  engine.SetSelection(start + 1, start + 1);
}

void xMorvaArrayTable::BuildTable(xMorvaEngine& engine, xMorvaArrayFieldSource* fields) {
  if (fLines < 1 || fColumns < 1 || fTemplate < 1 || KeptColumns() < fColumns) return;
  engine.Clear();
  engine.InsertParagraphEnd();
  engine.SetSelection(1, 1);
  xMorvaTabs tabs;
  MakeTabs(tabs);
  engine.SetTabs(tabs);

  auto definesOnly = [](const Record& record, bool allowFontAndSize) {
    for (uint16_t id = 0; id <= kLastPropertyId; ++id) {
      if (allowFontAndSize && (id == kPropFontId || id == kPropSizeId)) continue;
      if (record.Defines(id)) return false;
    }
    return true;
  };
  if (fLines > 1) {
    SetAllProperties(engine, LineKind(kFirstLine).record);
    WriteTableLine(engine, fields, 1, definesOnly(LineKind(kFirstLine).record, true));
    int32_t i = 2;
    for (; i < fLines - 1; i += 2) {
      SetAllProperties(engine, LineKind(kEvenLine).record);
      WriteTableLine(engine, fields, i, true);
      SetAllProperties(engine, LineKind(kOddLine).record);
      WriteTableLine(engine, fields, i + 1, true);
    }
    if (fLines % 2 == 1) {
      SetAllProperties(engine, LineKind(kEvenLine).record);
      WriteTableLine(engine, fields, fLines - 1, true);
    }
  }
  SetAllProperties(engine, LineKind(kLastLine).record);
  WriteTableLine(engine, fields, fLines, definesOnly(LineKind(kLastLine).record, false));

  xMorvaTabs none;
  engine.SetTabs(none);
  engine.SetPropertyValue(kPropBackground, -1);
  for (uint16_t border : kBorders) engine.SetPropertyValue(border, 0);
  const int32_t p = engine.GetSelStart();
  engine.InsertParagraphEnd();
  engine.SetSelection(p + 1, p + 1);
}
