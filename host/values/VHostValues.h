// Values whose content lives outside the framework's own values: raw bytes
// in a memory-manager handle, and a host reference to a table, a field or a
// variable, held as the host's 38-byte record.
#pragma once

#include <cstdint>

#include "framework/core/values/VValue.h"

// The value kinds of these two classes.
constexpr int32_t kValueHandle = 9;
constexpr int32_t kValueHostRecord = 13;
// What Compare answers for values that have no order.
constexpr int32_t kValueNoOrder = -1000;

class VHandleValue : public VValueSingle {
 public:
  VHandleValue() = default;
  // Copies `size` bytes from `data` into a new handle; when no handle can be
  // made, the value has none and keeps the size.
  VHandleValue(const void* data, uint32_t size);
  ~VHandleValue() override;
  VHandleValue(const VHandleValue&) = delete;
  VHandleValue& operator=(const VHandleValue&) = delete;

  VValue* Clone() const override;
  bool IsSingle() const override { return false; }
  int32_t GetKind() const override { return kValueHandle; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return kValueNoOrder; }

  uint32_t GetSize() const { return fSize; }
  bool HasHandle() const { return fHandle != 0; }
  // The data's address while locked, or null without a handle.
  const uint8_t* Lock() const;
  void Unlock() const;

 private:
  VMemHandle fHandle = 0;
  uint32_t fSize = 0;
};

// The host's record of a reference: byte 0 non-zero for a variable, the
// field number at 2, the table number at 4, a word at 6 that the module
// clears, then 30 bytes of the host's, copied as they come.
constexpr uint32_t kHostRecordSize = 38;

class VHostRecordValue : public VValueSingle {
 public:
  VHostRecordValue();
  explicit VHostRecordValue(int16_t table);
  VHostRecordValue(int16_t table, int16_t field);
  // The host's record of the named variable (`scope` 2: interprocess),
  // element `index` when it is 0 or more; all zeros when the host has none.
  VHostRecordValue(const VString& name, int32_t index, int32_t scope);
  // The record from its 38 stored bytes.
  explicit VHostRecordValue(const uint8_t record[kHostRecordSize]);
  VHostRecordValue(const VHostRecordValue& other);
  VHostRecordValue& operator=(const VHostRecordValue&) = delete;
  ~VHostRecordValue() override;

  VValue* Clone() const override;
  bool IsSingle() const override { return false; }
  int32_t GetKind() const override { return kValueHostRecord; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return kValueNoOrder; }

  // 1 a variable; 3 a field (table and field); 2 a table; 0 nothing.
  int32_t Classify() const;
  int16_t GetTable() const;
  int16_t GetField() const;
  const uint8_t* GetRecord() const { return fRecord; }
  // A new Toolbox handle of 38 bytes with the record, or 0.
  uint32_t CopyToToolboxHandle() const;

 private:
  void SetNumbers(int16_t table, int16_t field);

  uint8_t fRecord[kHostRecordSize] = {};
};
