// VStream: the abstract byte stream behind every stored format, with a data
// and a native byte order, typed transfers that swap when the orders differ,
// a sticky status and an optional progress hook that may cancel a transfer.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VStreamProgress;
class VValue;

// Status codes of the streams; 0 is no error. Once a transfer fails its code
// stays until the stream is closed (201) or opened again (0).
constexpr int16_t kStreamNoError = 0;
constexpr int16_t kStreamNoMemory = 100;         // no temporary block or handle
constexpr int16_t kStreamCannotLock = 103;       // an empty handle has no data to lock
constexpr int16_t kStreamEndOfData = 200;        // fewer bytes than asked were there
constexpr int16_t kStreamNotOpen = 201;
constexpr int16_t kStreamAlreadyOpen = 202;
constexpr int16_t kStreamCannotGrow = 203;
constexpr int16_t kStreamHandleLocked = 204;     // locked by another owner
constexpr int16_t kStreamReadOnly = 205;
constexpr int16_t kStreamOpenForWriting = 206;
constexpr int16_t kStreamNotOpenForWriting = 207;
constexpr int16_t kStreamNoHandle = 208;
constexpr int16_t kStreamCancelled = 218;        // the progress hook said stop

// Byte orders. 0 is big-endian with reals as 10-byte extended values (the
// oldest stored form), 1 big-endian (Macintosh order), 2 little-endian (this
// machine's order).
constexpr int16_t kByteOrderExtended = 0;
constexpr int16_t kByteOrderMacintosh = 1;
constexpr int16_t kByteOrderLittle = 2;
// Arguments of SetByteOrders that name an order rather than give it.
constexpr int16_t kByteOrderSetThisMachine = -1;
constexpr int16_t kByteOrderSetMacintosh = -2;
constexpr int16_t kByteOrderKeep = -3;

// Character forms: one byte per character, or UTF-16 units.
constexpr int16_t kCharFormByte = 1;
constexpr int16_t kCharFormUnicode = 2;
constexpr int16_t kCharFormKeep = -2;

// What GetPosition answers when the stream has no position.
constexpr uint32_t kStreamNoPosition = 0xFFFFFFFFu;

// Transfers and the status they need:
//  - read forms (ReadX), put forms (PutX), arrays, raw bytes, hexadecimal text
//    and handle reads run only while the status is 0;
//  - get forms (GetX) and the shift forms run while the status is not
//    positive (some storage kinds report negative warnings that must not stop
//    a reader), except the byte shift for writing, which needs 0.
// A transfer that does not run moves nothing: get forms answer 0, read forms
// leave their out-parameter alone, array and raw reads set the count to 0.
// A single value that arrives incomplete is not delivered: 0 is given.
class VStream : public VObject {
 public:
  VStream() = default;
  VStream(const VStream&) = delete;
  VStream& operator=(const VStream&) = delete;

  // The storage a concrete stream runs over.
  virtual int16_t OpenRead() = 0;
  virtual int16_t OpenWrite() = 0;
  // Both answer the status the stream had before it closed.
  virtual int16_t CloseRead() = 0;
  virtual int16_t CloseWrite(uint8_t trim) = 0;
  virtual int16_t WriteBytes(const void* data, uint32_t length) = 0;
  // `length` gives the bytes asked for and receives the bytes delivered.
  virtual int16_t ReadBytes(void* data, uint32_t& length) = 0;
  virtual uint32_t GetSize() = 0;
  // kStreamNoPosition when the stream is not open or has failed.
  virtual uint32_t GetPosition() = 0;
  virtual int16_t SetSize(uint32_t size) = 0;
  virtual int16_t SetPosition(uint32_t position) = 0;
  virtual int16_t Skip(int32_t offset) = 0;
  // The 1-based offset of the first occurrence at or after the position of
  // the value's bytes as they lie in memory, or 0: Find with the value's
  // width.
  virtual uint32_t FindByte(uint8_t value);
  virtual uint32_t FindWord(uint16_t value);
  virtual uint32_t FindLong(uint32_t value);

  // -1 stands for this machine's order, -2 for the Macintosh order, -3
  // keeps that order; any other value is stored as given (readers store an
  // order word read from a file header this way).
  void SetByteOrders(int16_t dataOrder, int16_t nativeOrder);
  void GetByteOrders(int16_t& dataOrder, int16_t& nativeOrder) const;
  // -2 keeps that form.
  void SetCharForms(int16_t dataForm, int16_t nativeForm);
  void GetCharForms(int16_t& dataForm, int16_t& nativeForm) const;
  // True when exactly one of the two orders is this machine's.
  bool NeedsSwap() const;

  int16_t GetStatus() const { return fStatus; }
  // The progress hook is owned by whoever installs it.
  void SetHook(VStreamProgress* hook) { fHook = hook; }
  VStreamProgress* GetHook() const { return fHook; }

  // Bytes and characters: one byte, never swapped.
  uint8_t GetByte();
  int16_t ReadByte(uint8_t& value);
  int16_t ReadChar(char& value);
  int16_t PutByte(uint8_t value);

  // 16-bit values.
  int16_t GetWord();
  int16_t ReadWord(uint16_t& value);
  int16_t ReadShort(int16_t& value);
  int16_t PutWord(int16_t value);

  // 32-bit values.
  int32_t GetLong();
  uint32_t GetULong();
  int16_t ReadLong(int32_t& value);
  int16_t ReadULong(uint32_t& value);
  int16_t PutLong(int32_t value);

  // 64-bit values, swapped as one 8-byte unit.
  int64_t GetLongLong();
  uint64_t GetULongLong();
  int16_t ReadLongLong(int64_t& value);
  int16_t ReadULongLong(uint64_t& value);
  int16_t PutLongLong(int64_t value);

  // Reals: 8-byte doubles, or 10-byte extended values when the data order
  // is 0.
  double GetReal();
  int16_t ReadReal(double& value);
  int16_t PutReal(double value);

  // Handles: a 32-bit length, then the bytes. GetHandle answers a new handle
  // that the caller owns, or 0.
  VMemHandle GetHandle();
  int16_t ReadHandle(VMemHandle& handle);
  // Reads handles one after another while the status is 0; `count` becomes
  // the number read.
  int16_t ReadHandleArray(VMemHandle* handles, uint32_t& count);
  VStream& PutHandle(VMemHandle handle);
  int16_t WriteHandle(VMemHandle handle);

  // Values: the object writes or reads itself. PutValue writes the tagged
  // form when `tagged` is true; GetValueData reads the data only.
  int32_t PutValue(VObject& value, bool tagged);
  int32_t GetValueData(VObject& value);
  // The tagged form of a value of unknown class is read by ReadValue
  // (containers/ValueReader.h).

  // True when at least `length` bytes remain after the position, or when the
  // stream cannot tell its position. Otherwise sets the status 200 and
  // answers false, so that a reader refuses a stored length or count before
  // allocating or reading anything of that size.
  bool HasRemaining(uint64_t length);

  // Arrays: `count` gives the elements asked for and receives the whole
  // elements that arrived. Swapping is done in place on reading and in one
  // temporary block on writing.
  int16_t GetWordArray(uint16_t* values, uint32_t& count);
  int16_t GetShortArray(int16_t* values, uint32_t& count);
  int16_t GetLongArray(int32_t* values, uint32_t& count);
  int16_t GetULongArray(uint32_t* values, uint32_t& count);
  int16_t GetRealArray(double* values, uint32_t& count);
  int16_t PutWordArray(const uint16_t* values, uint32_t count);
  int16_t PutShortArray(const int16_t* values, uint32_t count);
  int16_t PutLongArray(const int32_t* values, uint32_t count);
  int16_t PutULongArray(const uint32_t* values, uint32_t count);
  int16_t PutRealArray(const double* values, uint32_t count);

  // Raw bytes, never swapped. The two reads differ only in that GetData also
  // sets `length` to 0 when the hook cancels.
  int16_t GetData(void* data, uint32_t& length);
  int16_t ReadData(void* data, uint32_t& length);
  int16_t PutData(const void* data, uint32_t length);
  int16_t PutBytes(const void* data, uint32_t length);

  // Each byte as two upper-case hexadecimal digits.
  int16_t PutHex(const void* data, uint32_t length);
  // The string's bytes without the terminating zero; no status test, no hook.
  int16_t PutCString(const char* text);

  // A character in the character form, only when the data and native forms
  // are equal: form 2 moves a 16-bit value, any other form one byte. With
  // unequal forms nothing moves and the status is answered.
  int16_t ReadCharInForm(char16_t& value);
  int16_t WriteCharInForm(char16_t value);

  // Shift forms, chained.
  VStream& operator>>(uint8_t& value);
  VStream& operator>>(char& value);
  VStream& operator>>(int16_t& value);
  VStream& operator>>(uint16_t& value);
  VStream& operator>>(int32_t& value);
  VStream& operator>>(uint32_t& value);
  VStream& operator>>(int64_t& value);
  VStream& operator>>(uint64_t& value);
  VStream& operator>>(double& value);
  VStream& operator<<(uint8_t value);
  VStream& operator<<(char value);
  VStream& operator<<(int16_t value);
  VStream& operator<<(uint16_t value);
  VStream& operator<<(int32_t value);
  VStream& operator<<(uint32_t value);
  VStream& operator<<(int64_t value);
  VStream& operator<<(uint64_t value);
  VStream& operator<<(double value);
  // A value in its tagged form.
  VStream& operator<<(VObject& value);

 protected:
  // The search of FindByte, FindWord and FindLong over the stream's storage
  // for `width` bytes of `value`. 0 in the base: a stream that cannot
  // search finds nothing.
  virtual uint32_t Find(const void* value, uint32_t width);
  // The 1-based offset of the first occurrence of `width` bytes of `value`
  // lying wholly inside `size` bytes of `data`, searched from `from`; 0 when
  // there is none.
  static uint32_t FindInBlock(const uint8_t* data, uint32_t size, uint32_t from,
                              const void* value, uint32_t width);

  int16_t fDataOrder = kByteOrderLittle;
  int16_t fNativeOrder = kByteOrderLittle;
  int16_t fDataCharForm = kCharFormByte;
  int16_t fNativeCharForm = kCharFormByte;
  int16_t fStatus = kStreamNotOpen;
  VStreamProgress* fHook = nullptr;

 private:
  // Asks the hook about `bytes`; on cancel sets 218 and answers true.
  bool Cancelled(uint64_t bytes);
  int16_t Write(const void* data, uint32_t length);
  int16_t Read(void* data, uint32_t& length);
  // One value of 1, 2, 4 or 8 bytes: hook, transfer, swap. ReadScalar
  // answers true when the value arrived whole; otherwise `value` is zeroed,
  // except after a cancel, which leaves it alone.
  bool ReadScalar(void* value, uint32_t width, bool askHook = true);
  int16_t WriteScalar(const void* value, uint32_t width);
  bool ReadRealValue(double& value);
  int16_t WriteRealValue(double value);
  VMemHandle ReadHandleValue();
  int16_t WriteHandleValue(VMemHandle handle);
  int16_t ReadArray(void* values, uint32_t& count, uint32_t width);
  int16_t WriteArray(const void* values, uint32_t count, uint32_t width);
  int16_t ReadExtendedArray(double* values, uint32_t& count);
  int16_t WriteExtendedArray(const double* values, uint32_t count);
  int16_t ReadRaw(void* data, uint32_t& length, bool zeroOnCancel);
};
