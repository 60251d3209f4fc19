// The fixture of composition tests: a document whose font table holds
// Liberation Sans, a measuring font, an engine and the body's line table.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaFontTable.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VDIBPort.h"

// Adds up the bytes it is advanced by; `alive` while it exists.
struct CountingProgress : public VStreamProgress {
  CountingProgress(uint64_t& advanced, bool& alive) : fAdvanced(advanced), fAlive(alive) { fAlive = true; }
  ~CountingProgress() override { fAlive = false; }
  bool Progress(uint32_t bytes) override {
    fAdvanced += bytes;
    return true;  // a cancel, which composition does not take
  }
  uint64_t& fAdvanced;
  bool& fAlive;
};

class LinesDocument : public FakeDocument {
 public:
  LinesDocument() {
    VStr<64> name;
    name.SetAnsiCText("Liberation Sans");
    fFonts.Reset(name);
  }
  // Makes `face` the table's only font.
  void UseFace(const char* face) {
    VStr<64> name;
    name.SetAnsiCText(face);
    fFonts.Reset(name);
  }
  xMorvaFontTable* GetFontTable() override { return &fFonts; }
  xMorvaTextInterface* GetBodyText() override { return body; }
  VStreamProgress* NewProgressStatus(int16_t messageIndex, uint32_t bytes) override {
    progressMessage = messageIndex;
    progressTotal = bytes;
    return new CountingProgress(advanced, alive);
  }

  int16_t progressMessage = 0;
  uint32_t progressTotal = 0;
  uint64_t advanced = 0;
  bool alive = false;

  xMorvaTextInterface* body = nullptr;

 private:
  xMorvaFontTable fFonts;
};

class Composition : public testing::Test {
 protected:
  Composition()
      : port(8, 8, 32),
        font(&port, &document),
        engine(nullptr, 128),
        lines(&document, &engine, 0, 4) {
    document.textWidth = 200;
  }
  void Load(const Bytes& bytes) {
    engine.DeleteBytes(0, int32_t(engine.GetStreamSize()));
    ASSERT_EQ(0, engine.InsertBytes(0, bytes.data(), uint32_t(bytes.size())));
  }
  // The width of text at the default properties (Liberation Sans 12).
  double Width(const std::u16string& text) {
    xMorvaProperties state;
    state.SetDefaults();
    xMorvaLineRecord line;
    line.state.Assign(state);
    font.BeginLineAt(&line, 0, 0, 0, true);
    double sum = 0;
    for (char16_t c : text) sum += port.CharWidth(c);
    return sum;
  }
  uint32_t SumBytes() {
    uint32_t sum = 0;
    for (int32_t i = 0; i < lines.GetLineCount(); ++i) sum += lines.GetLine(i).bytes;
    return sum;
  }
  int32_t SumPositions() {
    int32_t sum = 0;
    for (int32_t i = 0; i < lines.GetLineCount(); ++i) sum += lines.GetLine(i).positions;
    return sum;
  }

  LinesDocument document;
  VDIBPort port;
  xMorvaFont font;
  xMorvaEngine engine;
  xMorvaLines lines;
};
