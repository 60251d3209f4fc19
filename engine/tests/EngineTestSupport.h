// Helpers of the text engine's tests: element streams written through small
// builders (text, record, element), an engine loaded with such a stream
// beside a document and its undo history, and a memory manager that
// refuses to let any block grow.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/tests/FailingMemoryMgr.h"

using Bytes = std::vector<uint8_t>;

// An element stream built item by item, units low byte first.
class Stream {
 public:
  Stream& Text(const std::u16string& text) {
    for (char16_t unit : text) Unit(unit);
    return *this;
  }
  Stream& Unit(uint16_t unit) {
    fBytes.push_back(uint8_t(unit));
    fBytes.push_back(uint8_t(unit >> 8));
    return *this;
  }
  Stream& Long(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) fBytes.push_back(uint8_t(value >> shift));
    return *this;
  }
  Stream& Record(uint16_t id, int32_t value) { return Unit(0).Unit(id).Long(uint32_t(value)); }
  Stream& Tab(int16_t position, uint8_t kind, uint8_t leader = 0) {
    return Record(kPropTabs, int32_t(MakeTabStop(position, leader, kind)));
  }
  // A special element: head (0, code, a, b) and the payload, whose size is
  // a unless told otherwise.
  Stream& Element(uint16_t code, const Bytes& payload, uint32_t b = 0) {
    return Head(code, uint32_t(payload.size()), b).Raw(payload);
  }
  Stream& Head(uint16_t code, uint32_t a, uint32_t b) { return Unit(0).Unit(code).Long(a).Long(b); }
  Stream& Raw(const Bytes& bytes) {
    fBytes.insert(fBytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const Bytes& bytes() const { return fBytes; }
  operator const Bytes&() const { return fBytes; }

 private:
  Bytes fBytes;
};

inline Bytes StreamBytes(xMorvaEngine& engine) {
  const uint8_t* data = engine.LockStream();
  Bytes bytes = data != nullptr ? Bytes(data, data + engine.GetStreamSize()) : Bytes();
  engine.UnlockStream();
  return bytes;
}

// A computed element's payload: its head (the object's, result's and
// source's sizes, the flag byte and a spare one), the object, then the two
// texts, the result first when the flag is set.
inline Bytes ComputedPayload(const Bytes& object, const Bytes& result, const Bytes& source, uint8_t flag) {
  return Stream()
      .Long(uint32_t(object.size()))
      .Long(uint32_t(result.size()))
      .Long(uint32_t(source.size()))
      .Raw({flag, 0})
      .Raw(object)
      .Raw(flag != 0 ? result : source)
      .Raw(flag != 0 ? source : result);
}

// The element of such a payload appended to `stream`; b makes the second
// text the visible one.
inline Stream& Computed(Stream& stream, uint16_t code, const Bytes& object, const Bytes& result,
                        const Bytes& source, uint8_t flag = 0) {
  const Bytes& first = flag != 0 ? result : source;
  return stream.Element(code, ComputedPayload(object, result, source, flag),
                        uint32_t(14 + object.size() + first.size()));
}

// The source text of a label between the test host's marks, in link look 3.
inline Bytes Source(const std::u16string& label) {
  return Stream().Record(kPropLinkLook, 3).Text(u"<" + label + u">").Record(kPropLinkLook, 0);
}

// Positions of a stream: units and special elements.
inline int32_t PositionsOf(const Bytes& bytes) {
  int32_t positions = 0;
  for (uint32_t at = 0; at < bytes.size();) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size()) - at);
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  return positions;
}

// Letters, digits, combining marks, variation selectors, Arabic letters,
// CJK ideographs and Hangul are word characters in the tests.
inline void UseTestWordCharacters() {
  uint8_t table[8192] = {};
  for (char16_t c = 0; c < 128; ++c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) table[c >> 3] |= 1 << (c & 7);
  }
  for (uint32_t c = 0x4E00; c <= 0x9FFF; ++c) table[c >> 3] |= uint8_t(1 << (c & 7));
  for (uint32_t c = 0x0300; c <= 0x036F; ++c) table[c >> 3] |= uint8_t(1 << (c & 7));
  for (uint32_t c = 0xAC00; c <= 0xD7A3; ++c) table[c >> 3] |= uint8_t(1 << (c & 7));
  for (uint32_t c = 0xFE00; c <= 0xFE0F; ++c) table[c >> 3] |= uint8_t(1 << (c & 7));
  for (uint32_t c = 0x0620; c <= 0x06D3; ++c) table[c >> 3] |= uint8_t(1 << (c & 7));
  SetWordCharacters(table);
}

// An engine beside a document (without texts of its own: no engine is
// installed) whose undo history records the engine's edits.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() { UseTestWordCharacters(); }

  // Loads the stream unrecorded and selects (start, end).
  void Load(const Bytes& bytes, int32_t start = 0, int32_t end = 0) {
    undo.Suspend();
    engine.Clear();
    if (!bytes.empty()) {
      EXPECT_EQ(0, engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    }
    engine.SetLength(PositionsOf(bytes));
    undo.Resume();
    engine.SetSelection(start, end);
  }
  Bytes Bytes_() { return StreamBytes(engine); }

  FakeAreaServices areaServices;
  xMorvaDocument document{nullptr};
  xMorvaUndo undo{document};
  xMorvaEngine engine{&undo, xMorvaEngine::kPartGranule};
};

// While in place, no block can grow (shrinking still works), as when memory
// is exhausted.
class ScopedNoGrowth : public FailingMemoryMgr {
 public:
  ScopedNoGrowth() : FailingMemoryMgr(gMemoryMgr), fSaved(gMemoryMgr) { gMemoryMgr = this; }
  ~ScopedNoGrowth() override { gMemoryMgr = fSaved; }
  bool SetHandleSize(VMemHandle handle, uint32_t size) override {
    failResize = size > GetHandleSize(handle);
    return FailingMemoryMgr::SetHandleSize(handle, size);
  }

 private:
  VMemoryMgr* fSaved;
};
