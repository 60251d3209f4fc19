// What the RTF tests share: a document with the engine's services, RTF read
// into it and written out of it, and its parts as text with the properties
// of each character.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "graphics/VCharWidthCache.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

namespace rtftest {

// One position of a part: its unit (9 for a tab element, 12 for a break,
// 31 for any other element) and the properties in effect there.
struct Position {
  char16_t unit = 0;
  std::map<uint16_t, int32_t> properties;
  std::vector<uint32_t> tabs;
};

inline xMorvaEngine& Engine(xMorvaDocument& document, int16_t part) {
  return *static_cast<xMorvaEngine*>(document.GetPart(part));
}

// Walks the element stream as its grammar says, independently of the
// engine's own walkers.
inline std::vector<Position> Positions(xMorvaDocument& document, int16_t part) {
  xMorvaEngine& engine = Engine(document, part);
  std::vector<Position> out;
  const uint32_t size = engine.GetStreamSize();
  if (size == 0) return out;
  const uint8_t* stream = engine.LockStream();
  xMorvaProperties current;
  xMorvaTabs tabs;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      if (item.unit == kPropTabs)
        tabs.AddStop(item.value);
      else
        current.SetProperty(item.unit, int32_t(item.value));
    } else {
      Position p;
      p.unit = item.kind == StreamItem::kUnit                    ? item.unit
               : item.unit == xMorvaElementCode::Tab             ? u'\t'
               : IsBreakCode(item.unit)                          ? u'\f'
                                                                 : char16_t(31);
      for (uint16_t id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 32, 33, 34, 35, 36, 37})
        p.properties[id] = current.GetProperty(id);
      for (int32_t i = 0; i < tabs.Count(); ++i) p.tabs.push_back(tabs.StopAt(i));
      out.push_back(p);
    }
    at += item.size;
  }
  engine.UnlockStream();
  return out;
}

// The part's text, paragraph ends as "\n"; units above 127 as "<XXXX>".
inline std::string TextOf(xMorvaDocument& document, int16_t part) {
  std::string text;
  for (const Position& p : Positions(document, part)) {
    if (p.unit == 13) {
      text += '\n';
    } else if (p.unit < 128) {
      text += char(p.unit);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%04X>", unsigned(p.unit));
      text += hex;
    }
  }
  return text;
}

inline int32_t Import(xMorvaDocument& document, const std::string& rtf, bool paste = false) {
  xMorvaImportRTF reader;
  return reader.ImportRtfBytes(document, reinterpret_cast<const uint8_t*>(rtf.data()), uint32_t(rtf.size()), paste);
}

inline std::string Export(xMorvaDocument& document, bool selection = false) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  EXPECT_EQ(0, stream.OpenWrite());
  xMorvaExportRTF writer;
  EXPECT_TRUE(writer.ExportRtf(document, stream, selection));
  stream.CloseWrite(1);
  std::string out;
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size != 0) {
    const auto* data = static_cast<const char*>(gMemoryMgr->LockHandle(handle));
    out.assign(data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return out;
}

inline void Type(xMorvaEngine& engine, const std::u16string& text) {
  for (char16_t c : text) {
    if (c == u'\n')
      engine.InsertParagraphEnd(), engine.SetSelection(engine.GetSelEnd(), engine.GetSelEnd());
    else if (c == u'\t')
      engine.InsertTab();
    else
      engine.TypeCharacter(c);
  }
}

// The name of the document's font at the 1-based index.
inline std::string FontName(xMorvaDocument& document, int32_t index) {
  VStr<255> name;
  bool known = false;
  document.FontNameForIndex(index, name, known);
  char text[256] = {};
  name.GetCText(text, sizeof text, 1);
  return text;
}

// The same in UTF-16, every letter as it is.
inline std::u16string FontName16(xMorvaDocument& document, int32_t index) {
  VStr<255> name;
  bool known = false;
  document.FontNameForIndex(index, name, known);
  std::u16string text;
  for (int32_t i = 1; i <= name.GetLength(); ++i) text += name.GetCharAt(i);
  return text;
}

// The system's font list as the module's start makes it, for the reader's
// question whether a font is installed, for the life of the object.
struct SystemFonts {
  SystemFonts() : services(gSystemServices ? nullptr : std::make_unique<VSystemServices>()) {
    if (services != nullptr) services->LoadFontLists(), gSystemServices = services.get();
  }
  ~SystemFonts() { if (services != nullptr) gSystemServices = nullptr; }
  std::unique_ptr<VSystemServices> services;
};

class Fixture : public ::testing::Test {
 protected:
  Fixture() : fEngines(&fServices) {}
  ~Fixture() override { FreeFontCache(); }
  std::unique_ptr<xMorvaDocument> NewDocument() {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    document->Reset(false);
    return document;
  }

 private:
  FakeAreaServices fArea;
  xMorvaDocumentEngineServices fServices;
  VInstalledService<xMorvaEngineServices> fEngines;
};

}  // namespace rtftest
