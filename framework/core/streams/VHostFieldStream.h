// VHostFieldStream: a stream whose storage is the content of one field of a
// record in the host database, carried in a Toolbox handle. The document
// manager loads documents from fields and saves them into fields with it.
#pragma once

#include <cstdint>

#include "framework/core/streams/VStream.h"

// The host refused to store the field's new content.
constexpr int16_t kStreamHostRefused = 212;

// Only fields of kinds 2 (text), 3 (picture) and 30 (BLOB) can be read and
// written. Who owns the handle:
//  - a handle loaded from the field is the stream's: closing the read
//    disposes of it (the host hands out a copy of its content each time);
//  - a handle written is the stream's until the host takes it at the close;
//    when the host refuses, the stream disposes of it;
//  - the destructor disposes of any handle still held.
class VHostFieldStream : public VStream {
 public:
  // Closed, no handle, status 201. `flag` is passed on to the host calls.
  VHostFieldStream(uint16_t table, uint16_t field, uint8_t flag);
  ~VHostFieldStream() override;

  // 202 while a handle is held; 208 when the field's kind is not 2, 3 or
  // 30, when the host cannot load it, or when its handle holds fewer bytes
  // than the host says it does.
  int16_t OpenRead() override;
  // Starts on a new empty handle; 202 while a handle is held.
  int16_t OpenWrite() override;
  // Disposes of the loaded handle. 206 while writing.
  int16_t CloseRead() override;
  // Hands the handle and the data size to the host as the field's content.
  // 205 while reading; a status above 200 is answered and the stream stays
  // as it is; 212 when the host refuses (the field keeps its content).
  int16_t CloseWrite(uint8_t trim) override;
  int16_t WriteBytes(const void* data, uint32_t length) override;
  int16_t ReadBytes(void* data, uint32_t& length) override;
  uint32_t GetSize() override;
  uint32_t GetPosition() override;
  // While writing: resizes the handle (203 when it cannot); the data size
  // stays. 207 while reading.
  int16_t SetSize(uint32_t size) override;
  int16_t SetPosition(uint32_t position) override;
  int16_t Skip(int32_t offset) override;

  uint16_t GetTable() const { return fTable; }
  uint16_t GetField() const { return fField; }

 private:
  uint32_t Find(const void* value, uint32_t width) override;
  void ReleaseHandle();

  // Toolbox handle, 0 when none; its bytes while locked (null for an empty
  // handle, which cannot be locked).
  uint32_t fHandle = 0;
  uint8_t* fData = nullptr;
  uint32_t fPosition = 0;
  // The bytes that count as the content, and the handle's current size.
  uint32_t fDataSize = 0;
  uint32_t fCapacity = 0;
  uint16_t fTable;
  uint16_t fField;
  uint8_t fHostFlag;
  uint8_t fWriting = 0;
};
