// xMorvaArrayTable: the table the array dialog composes before it goes into
// the text. The text engine has no table element, so a table is written as
// ordinary text: one paragraph per table line, its cells separated by tab
// elements, with tab stops from the column widths and alignments, paragraph
// properties per kind of line and character properties per line kind and
// per column. This class keeps the model (columns, line kinds, templates),
// applies the 'ARAY' templates, distributes the widths and writes the text
// into an engine; the form around it only edits the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

class xMorvaEngine;
class xMorvaTabs;

// One 'ARAY' template, once converted to native order: the separator flag,
// the alignment every column takes and eight lists of {property id, value}.
struct xMorvaArrayTemplate {
  static constexpr int kLists = 8;
  // What each list applies to (0-based index into `lists`).
  enum List { kAllLines = 0, kEvenLines, kAllColumns, kEvenColumns, kFirstLine, kLastLine, kFirstColumn, kLastColumn };
  bool separator = false;
  int16_t alignment = 1;
  std::vector<std::pair<int32_t, int32_t>> lists[kLists];
};

// Reads a template from native-order data: byte 0 the separator flag,
// the 16-bit alignment at 4, then the eight lists from 6, each a 16-bit
// count and that many {32-bit id, 32-bit value}. A negative count is an
// empty list; a list is bounded by the data's end, and the lists after one
// that runs past it stay empty. Answers false when the data is shorter
// than its counts say (or than the 6-byte head), keeping what was whole.
bool ReadArrayTemplate(const void* data, size_t size, xMorvaArrayTemplate& out);

// Fills the host field cells of a column: the record count of a table, and
// the text of a field of record `record` (1-based) written at the engine's
// caret, which it leaves after the text.
class xMorvaArrayFieldSource {
 public:
  virtual ~xMorvaArrayFieldSource() = default;
  virtual int32_t RecordCount(int16_t table) = 0;
  virtual void WriteField(int16_t table, int16_t field, int32_t record, xMorvaEngine& engine) = 0;
};

class xMorvaArrayTable {
 public:
  // Line kinds (1-based) and column alignments and value kinds.
  enum : int16_t { kFirstLine = 1, kEvenLine = 2, kOddLine = 3, kLastLine = 4 };
  enum : int16_t { kAlignLeft = 1, kAlignCentre = 2, kAlignRight = 3, kAlignDecimal = 4 };
  enum : int16_t { kNoValues = 1, kNumbered = 2, kFieldValues = 3 };
  // A state of 0 marks a property as defined by the template or the user.
  static constexpr uint8_t kDefined = 0;

  struct Record {
    xMorvaProperties properties;
    xMorvaPropertiesStates states;
    Record() = default;
    Record(const Record& other) : properties(other.properties), states(other.states) {}
    void Reset();
    void Set(int32_t id, int32_t value);
    bool Defines(uint16_t id) const { return states.GetState(id) == kDefined; }
  };
  struct Line {
    Record record;
    int32_t start = 1;
    int16_t style = 1;
    bool numbered = false;
    bool leaveEmpty = false;
  };
  struct Column {
    Record record;
    int32_t start = 1;
    int16_t style = 1;
    int16_t kind = kNoValues;
    int16_t alignment = kAlignLeft;
    int32_t width = 0;
    bool fixed = false;
    int16_t fieldTable = 0;
    int16_t fieldNumber = 0;
  };

  xMorvaArrayTable();
  xMorvaArrayTable(const xMorvaArrayTable&) = delete;
  xMorvaArrayTable& operator=(const xMorvaArrayTable&) = delete;

  // ---- Templates, numbered from 1 in ascending resource id order.
  void AddTemplate(const xMorvaArrayTemplate& model);
  int32_t TemplateCount() const { return int32_t(fTemplates.size()); }
  xMorvaArrayTemplate* CurrentTemplate();
  const xMorvaArrayTemplate* CurrentTemplate() const;
  int32_t GetTemplate() const { return fTemplate; }
  void SetTemplate(int32_t number) { fTemplate = number; }

  // ---- Sizes. Text width W is the document's current text width.
  int32_t GetColumns() const { return fColumns; }
  int32_t GetLines() const { return fLines; }
  void SetLines(int32_t lines) { fLines = lines; }
  void SetTextWidth(int32_t width) { fTextWidth = width; }
  int32_t GetTextWidth() const { return fTextWidth; }
  // Takes a new column count: grows the column records, applies the
  // column template when their number changed and distributes the widths
  // with unfixing. A count whose tab stops would pass the list's 256 or
  // reach beyond 32,767 pixels is refused: false, the model unchanged.
  bool SetColumns(int32_t columns);
  // Font (as the document's font index) and size given to every line kind.
  void SetFont(int32_t font, int32_t size) { fFont = font, fSize = size; }

  Line& LineKind(int16_t kind) { return fLineKinds[size_t(kind - 1)]; }
  const Line& LineKind(int16_t kind) const { return fLineKinds[size_t(kind - 1)]; }
  // The column records kept (at least C; never fewer after a lower C).
  int32_t KeptColumns() const { return int32_t(fColumnList.size()); }
  Column& ColumnAt(int32_t column) { return *fColumnList[size_t(column - 1)]; }
  const Column& ColumnAt(int32_t column) const { return *fColumnList[size_t(column - 1)]; }

  // ---- The model's steps.
  void MakeLineRecords();
  void MakeColumnRecords();
  void ApplyLineTemplate();
  void ApplyColumnTemplate();
  // Gives the free width to the columns that are not fixed; when every
  // column is fixed the lines' right indent takes what is left. False when
  // the fixed columns are wider than the text or no share of 5 pixels
  // could be found.
  bool DistributeWidths(bool mayUnfix);

  // The tab stops of the table's lines; `furthest` gets the right-most x
  // reached (32-bit, before any 16-bit wrap).
  void MakeTabs(xMorvaTabs& tabs, int32_t* furthest = nullptr) const;
  // The number of stops MakeTabs gives.
  int32_t CountStops(int32_t* furthest = nullptr) const;
  // Builds the table text in `engine` (emptied first). Nothing is done
  // when L, C or the template number is below 1. `fields` may be null:
  // field cells then stay empty.
  void BuildTable(xMorvaEngine& engine, xMorvaArrayFieldSource* fields);

 private:
  bool HasAlignmentStop(const Column& column) const;
  bool HasTrailingTab(const Column& column) const;
  void WriteTableLine(xMorvaEngine& engine, xMorvaArrayFieldSource* fields, int32_t line, bool applyColumns);
  int32_t WriteNumber(xMorvaEngine& engine, int32_t number, int16_t style);
  static void SetAllProperties(xMorvaEngine& engine, const Record& record);

  std::vector<xMorvaArrayTemplate> fTemplates;
  int32_t fTemplate = 1;
  int32_t fColumns = 4;
  int32_t fLines = 5;
  int32_t fTextWidth = 0;
  int32_t fFont = 0;
  int32_t fSize = 12;
  Line fLineKinds[4];
  std::vector<std::unique_ptr<Column>> fColumnList;
};
