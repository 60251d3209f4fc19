// The plain text that the clipboard's 'TEXT' flavour gets from a document:
// Macintosh bytes of the selection (or the whole current part), tabs and
// paragraph ends as single characters, computed elements as they show;
// nothing for the styles, which have no writer yet.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "interchange/text/xMorvaClipboardFilters.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Units(const std::u16string& text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(uint8_t(unit));
    bytes.push_back(uint8_t(unit >> 8));
  }
  return bytes;
}

class ClipboardFiltersTest : public ::testing::Test {
 protected:
  void Fill(const Bytes& bytes, int32_t positions, int32_t start, int32_t end) {
    auto* body = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
    body->Clear();
    ASSERT_EQ(0, body->InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    body->SetLength(positions);
    body->SetSelection(start, end);
  }
  // What the writer puts into the text and style streams.
  bool Export(bool selectionOnly, Bytes& text, Bytes& styles) {
    VMemHandle textHandle = 0;
    VMemHandle styleHandle = 0;
    VHandleStream textStream(textHandle);
    VHandleStream styleStream(styleHandle);
    textStream.OpenWrite();
    styleStream.OpenWrite();
    const bool done = filters.ExportStyledText(*document, textStream, styleStream, selectionOnly);
    textStream.CloseWrite(1);
    styleStream.CloseWrite(1);
    for (auto [handle, out] : {std::pair{textHandle, &text}, std::pair{styleHandle, &styles}}) {
      const uint32_t size = gMemoryMgr->GetHandleSize(handle);
      const auto* data = static_cast<const uint8_t*>(size != 0 ? gMemoryMgr->LockHandle(handle) : nullptr);
      *out = data != nullptr ? Bytes(data, data + size) : Bytes();
      if (data != nullptr) gMemoryMgr->UnlockHandle(handle);
      gMemoryMgr->DisposeHandle(handle);
    }
    return done;
  }

  FakeAreaServices areaServices;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  std::unique_ptr<xMorvaDocument> document{new xMorvaDocument(nullptr)};
  xMorvaClipboardFilters filters;
};

}  // namespace

TEST_F(ClipboardFiltersTest, PlainTextOfTheSelectionOrTheWholePart) {
  // "ab", bold on, a tab element, "c", a paragraph end, "d".
  Bytes stream = Units(u"ab");
  const Bytes bold = {0, 0, 0, 0, 1, 0, 0, 0};
  stream.insert(stream.end(), bold.begin(), bold.end());
  Bytes tab(12 + 14, 0);
  tab[2] = 0x80;
  tab[3] = 0x3E;
  tab[4] = tab[8] = 14;
  stream.insert(stream.end(), tab.begin(), tab.end());
  const Bytes rest = Units(u"c\rd");
  stream.insert(stream.end(), rest.begin(), rest.end());
  struct Case {
    const char* name;
    int32_t start, end;
    bool selectionOnly;
    Bytes text;
  };
  const Case cases[] = {
      {"selection", 1, 5, true, {'b', 9, 'c', 13}},
      {"whole part", 1, 2, false, {'a', 'b', 9, 'c', 13, 'd'}},
      {"caret", 2, 2, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(stream, 6, c.start, c.end);
    Bytes text;
    Bytes styles;
    EXPECT_TRUE(Export(c.selectionOnly, text, styles));
    EXPECT_EQ(c.text, text);
    EXPECT_TRUE(styles.empty());
  }
  EXPECT_FALSE(filters.WritesStyles());
  EXPECT_FALSE(filters.ReadsStyles());
  EXPECT_FALSE(filters.WritesRtf());
  EXPECT_FALSE(filters.ReadsRtf());
}
