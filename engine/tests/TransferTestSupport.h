// Helpers of the transfer-stream tests: two documents over real engines,
// a writer of streams in either byte order with head fields of the test's
// choosing, and the bytes of a stream as it arrives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

constexpr uint32_t kTestSheetType = FourCC("wSTL");

inline Bytes HandleBytes(VMemHandle handle) {
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  const auto* data = static_cast<const uint8_t*>(size != 0 ? gMemoryMgr->LockHandle(handle) : nullptr);
  Bytes bytes = data != nullptr ? Bytes(data, data + size) : Bytes();
  if (data != nullptr) gMemoryMgr->UnlockHandle(handle);
  return bytes;
}

// Units and records of plain element bytes in the other byte order.
inline Bytes SwapPlainElements(const Bytes& bytes) {
  Bytes out = bytes;
  for (size_t at = 0; at + 2 <= out.size();) {
    if (out[at] == 0 && out[at + 1] == 0 && at + 8 <= out.size()) {
      const uint16_t id = uint16_t(out[at + 2] | out[at + 3] << 8);
      std::swap(out[at + 2], out[at + 3]);
      if (id == kPropTabs) {
        std::swap(out[at + 4], out[at + 5]);
      } else {
        std::swap(out[at + 4], out[at + 7]);
        std::swap(out[at + 5], out[at + 6]);
      }
      at += 8;
    } else {
      std::swap(out[at], out[at + 1]);
      at += 2;
    }
  }
  return out;
}

// The fields of a stream, written by the test in the order it chooses.
struct StreamFields {
  uint32_t tag = FourCC("xMo7");
  uint32_t length = 0;
  uint32_t paragraphEnds = 0;
  uint32_t firstEnd = 0;
  uint32_t lastEnd = 0;
  std::vector<std::string> fonts{"Arial"};
  xMorvaProperties start;
  xMorvaProperties end;
  xMorvaTabs startTabs;
  xMorvaTabs endTabs;
  // (id, name, bytes) of the sheets carried.
  struct Sheet {
    int16_t id;
    std::string name;
    Bytes bytes;
  };
  std::vector<Sheet> sheets;
  Bytes elements;
  bool bigEndian = false;

  Bytes Write() const {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    EXPECT_EQ(0, stream.OpenWrite());
    stream.SetByteOrders(bigEndian ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderSetThisMachine);
    stream.PutLong(int32_t(tag));
    stream.PutLong(int32_t(length));
    stream.PutLong(int32_t(paragraphEnds));
    stream.PutLong(int32_t(firstEnd));
    stream.PutLong(int32_t(lastEnd));
    VStringArray names;
    for (const std::string& font : fonts) {
      auto* name = new VStrInHandle();
      name->SetAnsiCText(font.c_str());
      names.AppendObject(name, false);
    }
    names.WriteToStream(stream, 0);
    start.Write(stream);
    end.Write(stream);
    startTabs.Write(stream);
    endTabs.Write(stream);
    if (tag != FourCC("xMor")) {
      VMemHandle block = gMemoryMgr->NewHandle(0, 0);
      {
        VMemoryResourceFile file(block, 1);
        for (const Sheet& sheet : sheets) {
          VStr<255> name;
          name.SetAnsiCText(sheet.name.c_str());
          file.AddResource(kTestSheetType, sheet.id, &name, sheet.bytes.data(), uint32_t(sheet.bytes.size()));
        }
        file.UpdateFile();
      }
      stream.WriteHandle(block);
      gMemoryMgr->DisposeHandle(block);
    }
    const Bytes units = bigEndian ? SwapPlainElements(elements) : elements;
    stream.PutLong(int32_t(units.size()));
    if (!units.empty()) stream.PutData(units.data(), uint32_t(units.size()));
    stream.CloseWrite(1);
    Bytes bytes = HandleBytes(handle);
    gMemoryMgr->DisposeHandle(handle);
    return bytes;
  }
};

// Two documents without areas whose bodies are real engines.
class TransferTest : public ::testing::Test {
 protected:
  TransferTest() { UseTestWordCharacters(); }

  static xMorvaEngine& Body(xMorvaDocument& document) {
    return *static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  }
  // Loads the element bytes unrecorded and selects (start, end).
  static void Fill(xMorvaDocument& document, const Bytes& bytes, int32_t start, int32_t end) {
    xMorvaEngine& engine = Body(document);
    document.GetUndo()->Suspend();
    engine.Clear();
    if (!bytes.empty()) {
      EXPECT_EQ(0, engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    }
    engine.SetLength(PositionsOf(bytes));
    document.GetUndo()->Resume();
    engine.SetSelection(start, end);
  }
  static std::u16string TextOf(xMorvaDocument& document) {
    std::u16string text;
    const Bytes bytes = StreamBytes(Body(document));
    for (uint32_t at = 0; at < bytes.size();) {
      const StreamItem item = ReadStreamItem(bytes.data() + at, uint32_t(bytes.size()) - at);
      if (item.kind == StreamItem::kUnit) text.push_back(item.unit);
      at += item.size;
    }
    return text;
  }
  static int32_t PropertyAt(xMorvaDocument& document, uint16_t id, int32_t position) {
    xMorvaEngine& engine = Body(document);
    engine.SetSelection(position, position + 1);
    return engine.GetPropertyValue(id);
  }
  // Pastes the bytes as a stream at the target's selection.
  static int32_t Paste(xMorvaDocument& document, const Bytes& bytes) {
    VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(0, stream.OpenRead());
    const int32_t result = Body(document).ReadStream(stream, document);
    stream.CloseRead();
    return result;
  }
  static Bytes Copy(xMorvaDocument& document) {
    const VMemHandle handle = Body(document).WriteStream(document);
    EXPECT_NE(0u, handle);
    Bytes bytes = HandleBytes(handle);
    gMemoryMgr->DisposeHandle(handle);
    return bytes;
  }
  static void AddSheet(xMorvaDocument& document, int16_t id, const char* name, const Bytes& bytes) {
    VStr<255> text;
    text.SetAnsiCText(name);
    ASSERT_EQ(id, document.GetStyleSheetStore()->AddResource(kTestSheetType, id, &text, bytes.data(),
                                                             uint32_t(bytes.size())));
  }
  static int16_t SheetIdNamed(xMorvaDocument& document, const char* name) {
    VStr<255> text;
    text.SetAnsiCText(name);
    return document.GetStyleSheetStore()->GetNamedResourceId(kTestSheetType, &text);
  }

  FakeAreaServices areaServices;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  std::unique_ptr<xMorvaDocument> source{new xMorvaDocument(nullptr)};
  std::unique_ptr<xMorvaDocument> target{new xMorvaDocument(nullptr)};
};
