// The plain text that the clipboard's 'TEXT' flavour gets from a document:
// bytes of the selection (or the whole current part), tabs and paragraph
// ends as single characters; nothing for the styles, which have no writer
// yet.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/tests/FontCacheRelease.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "interchange/text/xMorvaClipboardFilters.h"

using Bytes = std::vector<uint8_t>;

TEST(ClipboardFilters, PlainTextOfTheSelectionOrTheWholePart) {
  FakeAreaServices areaServices;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  xMorvaDocument document(nullptr);
  xMorvaClipboardFilters filters;
  // "ab", bold on, a tab element, "c", a paragraph end, "d".
  const Bytes stream = {'a', 0, 'b', 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x80, 0x3E, 14, 0, 0, 0, 14, 0, 0, 0,
                        0,   0, 0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'c',  0,    13, 0, 'd', 0};
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  ASSERT_EQ(0, body->InsertBytes(0u, stream.data(), uint32_t(stream.size())));
  body->SetLength(6);
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
    body->SetSelection(c.start, c.end);
    VMemHandle text = 0;
    VMemHandle styles = 0;
    VHandleStream textStream(text);
    VHandleStream styleStream(styles);
    textStream.OpenWrite();
    styleStream.OpenWrite();
    EXPECT_TRUE(filters.ExportStyledText(document, textStream, styleStream, c.selectionOnly));
    textStream.CloseWrite(1);
    styleStream.CloseWrite(1);
    const uint32_t size = gMemoryMgr->GetHandleSize(text);
    const auto* data = static_cast<const uint8_t*>(size != 0 ? gMemoryMgr->LockHandle(text) : nullptr);
    EXPECT_EQ(c.text, data != nullptr ? Bytes(data, data + size) : Bytes());
    if (data != nullptr) gMemoryMgr->UnlockHandle(text);
    EXPECT_EQ(0u, gMemoryMgr->GetHandleSize(styles));
    gMemoryMgr->DisposeHandle(text);
    gMemoryMgr->DisposeHandle(styles);
  }
  EXPECT_FALSE(filters.WritesStyles() || filters.ReadsStyles() || filters.WritesRtf() || filters.ReadsRtf());
}
