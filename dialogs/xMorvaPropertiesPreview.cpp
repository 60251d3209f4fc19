// The property dialogs' sample: composed and drawn like a part of the
// document, but in an engine and a line table of its own, so that the
// document itself is never touched.
#include "dialogs/xMorvaPropertiesPreview.h"

#include <algorithm>
#include <memory>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

// The document's words list and its two samples.
constexpr int16_t kCharacterSampleItem = 1;
constexpr int16_t kParagraphSampleItem = 2;
constexpr int32_t kGreyText = 0x999999;
constexpr int32_t kMargin = 10;
// The engine granule of the headers and footers, which the sample's small
// text suits.
constexpr uint16_t kSampleGranule = xMorvaEngine::kPartGranule;

// The document as the sample's lines see it: everything the document says,
// but the text width the sample is composed to.
class SampleDocument : public xMorvaDocumentInterface {
 public:
  SampleDocument(xMorvaDocument& document, int32_t width) : fDocument(document), fWidth(width) {}
  const xMorvaDocParams& GetParams() const override { return fDocument.GetParams(); }
  int32_t GetTextWidth(int16_t) override { return fWidth; }
  void GetStyleSheetName(int16_t id, VString& name) override { fDocument.GetStyleSheetName(id, name); }
  xMorvaFontTable* GetFontTable() override { return fDocument.GetFontTable(); }
  // The sample is not the document's: it marks nothing, changes no part.
  void SetModified() override {}
  void SetCurrentPart(xMorvaUndoEngine&) override {}
  void BeginChange() override {}
  void EndChange() override {}

 private:
  xMorvaDocument& fDocument;
  int32_t fWidth;
};

// Appends the text at the end of the engine, outside any undo.
bool AppendText(xMorvaEngine& engine, const VString& text) {
  VMemHandle handle = gMemoryMgr->NewHandle(0, 64);
  if (handle == 0) return false;
  uint32_t positions = 0;
  uint32_t bytes = 0;
  bool done = engine.StringToUnits(text, handle, positions, bytes, false);
  if (done) {
    engine.SetSelection(engine.GetLength(), engine.GetLength());
    done = engine.InsertHandle(handle, int32_t(positions)) == 0;
  }
  gMemoryMgr->DisposeHandle(handle);
  return done;
}

// Sets the properties from `first` to `last` whose state is 1 over the
// positions from `start` to `end`.
void ApplyStates(xMorvaEngine& engine, const xMorvaProperties& properties, const xMorvaPropertiesStates& states,
                 uint16_t first, uint16_t last, int32_t start, int32_t end) {
  engine.SetSelection(start, end);
  for (uint16_t id = first; id <= last; ++id) {
    if (IsPropertyId(id) && states.GetState(id) == 1) engine.SetPropertyValue(id, properties.GetProperty(id));
  }
}

}  // namespace

VEmfPictureData* DrawPropertiesPreview(xMorvaDocument& document, const xMorvaProperties& properties,
                                       const xMorvaPropertiesStates& states, int16_t mode, int32_t width) {
  if (mode < 0 || mode > 2) return nullptr;
  const bool paragraph = mode != 0;
  const int32_t composeWidth = paragraph ? document.CurrentTextWidth() : width;
  const int32_t pictureWidth = paragraph ? composeWidth + 2 * kMargin : width;
  if (composeWidth <= 0 || pictureWidth <= 0) return nullptr;

  xMorvaEngine engine(nullptr, kSampleGranule);
  if (!engine.IsValid()) return nullptr;
  VStr<255> sample;
  GetDocumentListString(sample, kDocumentTextsListOffset, paragraph ? kParagraphSampleItem : kCharacterSampleItem);
  if (!paragraph) {
    if (!AppendText(engine, sample)) return nullptr;
    ApplyStates(engine, properties, states, 0, kLastCharacterProperty, 0, engine.GetLength());
  } else {
    // The grey paragraphs around the sample show where it stands.
    VStr<255> end;
    end.AppendUniChar(u'\r');
    const bool made = AppendText(engine, sample) && AppendText(engine, end) && AppendText(engine, sample) &&
                      AppendText(engine, end) && AppendText(engine, sample);
    if (!made) return nullptr;
    const int32_t first = sample.GetLength() + 1;
    const int32_t second = first + sample.GetLength() + 1;
    engine.SetSelection(0, engine.GetLength());
    engine.SetPropertyValue(kPropTextColour, kGreyText);
    if (mode == 2) ApplyStates(engine, properties, states, 0, kLastCharacterProperty, first, second - 1);
    ApplyStates(engine, properties, states, kFirstParagraphProperty,
                mode == 2 ? kLastParagraphProperty : uint16_t(kPropRightIndent), first, second - 1);
  }

  SampleDocument sampleDocument(document, composeWidth);
  xMorvaLines lines(&sampleDocument, &engine, 0, 4);
  engine.SetLines(&lines);
  xMorvaFont measure(document.GetMeasuringPort(), &sampleDocument);
  const bool composed = lines.ComposeAll(measure) == 0;
  if (!composed || lines.GetLineCount() == 0) {
    engine.SetLines(nullptr);
    return nullptr;
  }
  const int32_t height = lines.GetTotalHeight() + 2 * kMargin;

  VMetafilePort port(nullptr, 0, 0, pictureWidth, height);
  if (!port.IsRecording()) {
    engine.SetLines(nullptr);
    return nullptr;
  }
  port.EraseRect(0, 0, pictureWidth, height);
  xMorvaLines* table[7] = {&lines, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  xMorvaPages pages(&sampleDocument, &lines);
  xMorvaDocumentDrawing drawing(document, table, pages);
  drawing.SetDrawingMode(kDrawPaint);
  drawing.SetPrinting(true);
  xMorvaFont font(&port, &sampleDocument);
  const int32_t left = paragraph ? kMargin : 0;
  int32_t y = kMargin;
  uint32_t lineStart = 0;
  for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
    const xMorvaLineRecord& line = lines.GetLine(i);
    drawing.DrawLines(port, nullptr, engine, lineStart, font, line, -1, left, y, true);
    y += line.height;
    lineStart += line.bytes;
  }
  engine.SetLines(nullptr);
  return port.EndAsPictureData();
}
