// Helpers shared by the typed-array tests: elements as vectors, the stored
// bytes of a value written to or read from a stream in either order, a value
// that records which setter it was given, and a host with display formats.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/core/containers/VArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "testsupport/FakeHost.h"

namespace array_tests {

using Bytes = std::vector<uint8_t>;

// Big-endian data (the stored order) or this machine's order.
enum class Order { Big, Native };

inline void SetOrder(VStream& stream, Order order) {
  stream.SetByteOrders(order == Order::Big ? kByteOrderSetMacintosh : kByteOrderSetThisMachine,
                       kByteOrderSetThisMachine);
}

// What the value writes with the tag, and the status it answered.
inline Bytes WriteOut(VObject& value, uint32_t tag, Order order = Order::Big, int32_t* status = nullptr) {
  VMemHandle handle = 0;
  Bytes bytes;
  {
    VHandleStream stream(handle);
    SetOrder(stream, order);
    stream.OpenWrite();
    const int32_t answer = value.WriteToStream(stream, tag);
    if (status != nullptr) *status = answer;
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size > 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// Reads the value's data from the bytes; answers the value's answer and, in
// `streamStatus`, the stream's status afterwards.
inline int32_t ReadIn(VObject& value, const Bytes& bytes, Order order = Order::Big,
                      int16_t* streamStatus = nullptr) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  SetOrder(stream, order);
  stream.OpenRead();
  const int32_t answer = value.ReadFromStream(stream, 0);
  if (streamStatus != nullptr) *streamStatus = stream.GetStatus();
  stream.CloseRead();
  return answer;
}

// Big-endian encodings for expected bytes.
inline void Put16(Bytes& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
inline void Put32(Bytes& out, uint32_t v) {
  Put16(out, uint16_t(v >> 16));
  Put16(out, uint16_t(v));
}
inline void Put64(Bytes& out, uint64_t v) {
  Put32(out, uint32_t(v >> 32));
  Put32(out, uint32_t(v));
}
inline void PutReal(Bytes& out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  Put64(out, bits);
}

// The elements of an array through its long getter.
inline std::vector<int32_t> Longs(const VArray& array) {
  std::vector<int32_t> out;
  for (int32_t i = 1; i <= array.Count(); ++i) out.push_back(array.GetLong(i));
  return out;
}

inline void AppendLongs(VArray& array, std::initializer_list<int32_t> values) {
  for (int32_t v : values) array.AppendLong(v, false);
}

// A value that tells which of its setters was called last and with what, and
// whose getters each answer a different number, so that a test sees which
// getter an operation used: GetBoolean true, GetWord 2, GetLong 3, GetTime 6,
// GetReal 5.5, GetDate 4 May 2003.
class RecordingValue : public VValueSingle {
 public:
  std::string last;  // the name of the last setter called
  double number = 0;
  VDateRec date{};
  int32_t kind = 3;

  VValue* Clone() const override { return new RecordingValue(*this); }
  int32_t GetKind() const override { return kind; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }

  bool GetBoolean(int32_t) const override { return true; }
  int16_t GetWord(int32_t) const override { return 2; }
  int32_t GetLong(int32_t) const override { return 3; }
  int32_t GetTime(int32_t) const override { return 6; }
  double GetReal(int32_t) const override { return 5.5; }
  VDateRec& GetDate(VDateRec& d, int32_t) const override {
    d = VDateRec{4, 5, 2003};
    return d;
  }

  void Clear() override { Record("Clear", 0); }
  void SetBoolean(uint8_t v, int32_t) override { Record("SetBoolean", v); }
  void SetWord(int16_t v, int32_t) override { Record("SetWord", v); }
  void SetLong(int32_t v, int32_t) override { Record("SetLong", v); }
  void SetTime(int32_t v, int32_t) override { Record("SetTime", v); }
  void SetReal(double v, int32_t) override { Record("SetReal", v); }
  void SetDate(const VDateRec& d, int32_t) override {
    Record("SetDate", 0);
    date = d;
  }
  void SetString(const VString&, int32_t) override { Record("SetString", 0); }
  void Assign(const VValue&, int32_t) override { Record("Assign", 0); }

 private:
  void Record(const char* name, double value) {
    last = name;
    number = value;
  }
};

// The host's number format puts the text between '#' marks and its text
// format between '|' marks, counting its calls.
inline int gNumberFormats = 0;
inline int gTextFormats = 0;

inline void Wrap(uint8_t* text, char mark) {
  const uint8_t length = text[0] < 253 ? text[0] : 253;
  for (int i = length; i >= 1; --i) text[i + 1] = text[i];
  text[1] = uint8_t(mark);
  text[length + 2] = uint8_t(mark);
  text[0] = uint8_t(length + 2);
}

inline void Filled() {}
inline void NumberFormat(uint8_t* text, const uint8_t*) {
  ++gNumberFormats;
  Wrap(text, '#');
}
inline void TextFormat(uint8_t* text, const uint8_t*) {
  ++gTextFormats;
  Wrap(text, '|');
}

class ArrayDisplayFormats : public testing::Test {
 protected:
  void SetUp() override {
    ResetDisplayRoutines();
    VDisplayRoutines routines{};
    routines.filled = Filled;
    routines.numberFormat = NumberFormat;
    routines.textFormat = TextFormat;
    fHost.SetDisplayRoutines(routines);
    gNumberFormats = gTextFormats = 0;
    fFormat.AppendCText("0", kCharSetAnsi);
  }
  void TearDown() override { ResetDisplayRoutines(); }

  // The first and last character of the text.
  static std::string Marks(const VString& text) {
    if (text.GetLength() < 2) return "";
    return std::string{char(text.GetCharAt(1)), char(text.GetCharAt(text.GetLength()))};
  }

  FakeHost fHost;
  VStr<15> fFormat;
};

}  // namespace array_tests
