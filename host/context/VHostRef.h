// VHostRef: a reference to the host's data that a document fills in when it
// is shown or printed: a field of the host's current record (by table and
// field number) or an expression of the host's language (the host's
// compiled form, kept as opaque bytes). It keeps a display text and the
// display formats, evaluates itself through the host and stores itself as
// a '5OBJ' record (the older '4OBJ' is read too):
//
//   tag (4) | table (2) | field (2) | formats (2) | format text (string data)
//   | data length m (4) | m bytes of the host's data
//
// with every number in the stream's data order. '4OBJ' keeps one format
// word there (100 to 198 a date format + 100, 200 to 298 a time format +
// 200); '5OBJ' a date byte then a time byte. A tag that arrives reversed
// marks a record of the other byte order: the rest is read in that order.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VStream;
class VValue;

constexpr uint32_t kHostRefTag = 0x354F424A;     // '5OBJ'
constexpr uint32_t kHostRefOldTag = 0x344F424A;  // '4OBJ'
// The host's string lists of the names of its time and date formats.
constexpr int16_t kHostTimeFormatList = 148;
constexpr int16_t kHostDateFormatList = 73;
// The most bytes of an expression's text sent to the host for compiling.
constexpr int32_t kHostExpressionMax = 32000;

class VHostRef : public VObject {
 public:
  // A field reference; with `askHost` the host's current field may replace
  // the numbers first.
  VHostRef(int16_t table, int16_t field, bool askHost);
  // An expression reference, compiled by the host.
  explicit VHostRef(const VString& expression);
  // Adopts the host's compiled data (a Toolbox handle, or 0); with
  // `otherByteOrder` the host converts it in place first.
  VHostRef(uint32_t referenceData, bool otherByteOrder);
  // One record read from `length` bytes at `address`.
  VHostRef(const uint8_t* address, uint32_t length);
  explicit VHostRef(VStream& stream);
  ~VHostRef() override;
  VHostRef(const VHostRef&) = delete;
  VHostRef& operator=(const VHostRef&) = delete;

  // The stream's status. A tag other than the two leaves the reference
  // empty with the record's remaining bytes unread. A stored length beyond
  // the bytes left stops the reading with the stream's status 200.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  // Writes a '5OBJ' record.
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;
  int32_t Read(VStream& stream, uint32_t tag) { return ReadFromStream(stream, tag); }
  int32_t Write(VStream& stream, uint32_t tag) { return WriteToStream(stream, tag); }
  // A new memory-manager handle with one '5OBJ' record, or 0.
  VMemHandle ToHandle();

  void GetNumbers(int16_t& table, int16_t& field) const {
    table = fTable;
    field = fField;
  }
  void GetDisplayText(VString& out) const;
  void GetFormatText(VString& out) const;
  void SetFormatText(const VString& text);
  // The time format (an item of the host's list 148) and the date format
  // (an item of list 73); 0 for none.
  void SetFormat(int32_t timeFormat) { fTimeFormat = timeFormat; }
  void SetOption(int32_t dateFormat) { fDateFormat = dateFormat; }
  int32_t GetFormat() const { return fTimeFormat; }
  int32_t GetOption() const { return fDateFormat; }
  // The names of the two formats from the host application's resource
  // file; empty for 0.
  void GetFormatName(VString& out) const;
  void GetOptionName(VString& out) const;
  uint32_t GetReferenceData() const { return fData; }
  // The formula editor's changes: the field's numbers, and the host's
  // compiled data, which the reference adopts (its own is disposed; 0
  // leaves it none).
  void SetNumbers(int16_t table, int16_t field) {
    fTable = table;
    fField = field;
  }
  void SetReferenceData(uint32_t referenceData);
  // Gives the compiled data back to the host (-83), which disposes of it;
  // the reference keeps none. Nothing without data.
  void ReleaseHostData();
  // True after a reading that found one of the two tags.
  bool WasRead() const { return fWasRead; }

  // A new value owned by the caller, or null when there is none.
  VValue* Evaluate() const;
  void UpdateDisplayText();

 private:
  void Reset();
  void DisposeData();
  // Selector -162 on the data.
  void ConvertData();

  int16_t fTable = 0;
  int16_t fField = 0;
  VStr<255> fDisplay;
  uint32_t fData = 0;  // Toolbox handle of the host's compiled form
  VStr<255> fFormatText;
  int32_t fTimeFormat = 0;
  int32_t fDateFormat = 0;
  bool fWasRead = false;
};
