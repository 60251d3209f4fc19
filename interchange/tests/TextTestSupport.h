// The text format tests' fixture: a document over the real text engine,
// with helpers that type into its body, read its plain text and move
// bytes in and out of streams.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/tests/FontCacheRelease.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/intl/Utf.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/StringTestSupport.h"

namespace texttest {

using Bytes = std::vector<uint8_t>;

inline Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

// UTF-16 units as UTF-8 text to compare with a tool's output; a lone
// surrogate becomes U+FFFD.
inline std::string Utf8(std::u16string_view units) {
  std::string out;
  Utf16ToUtf8(units, &out, VLoneSurrogate::kReplace);
  return out;
}

// The bytes of a handle stream's handle.
inline Bytes HandleBytes(VMemHandle handle) {
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size == 0) return {};
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + size);
  gMemoryMgr->UnlockHandle(handle);
  return bytes;
}

// Writes through `write` into a new handle stream and answers its bytes.
template <typename Write>
Bytes Written(Write&& write, bool* ok = nullptr) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  EXPECT_EQ(stream.OpenWrite(), 0);
  const bool done = write(stream);
  stream.CloseWrite(1);
  if (ok != nullptr) *ok = done;
  Bytes bytes = HandleBytes(handle);
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// The text tables of the string tests (e-acute is Macintosh 0x8E and
// Windows 0xE9) are installed for every test of the text formats.
using WithTextTables = string_tests::WithTextTables;

class TextDocumentTest : public WithTextTables {
 protected:
  xMorvaEngine& Body() { return *static_cast<xMorvaEngine*>(document.GetPart(kPartBody)); }

  // Types the text into the body: "\n" ends a paragraph.
  void Type(const std::u16string& text) {
    for (char16_t c : text) {
      if (c == u'\n')
        Body().InsertParagraphEndWithUndo();
      else
        Body().TypeCharacter(c);
    }
  }

  // The body's text as the plain text writer sees it (CR ends paragraphs).
  std::u16string BodyText() {
    VStrInHandle text;
    Body().WritePlainText(text, false, false);
    std::u16string out;
    for (int32_t i = 1; i <= text.GetLength(); ++i) out.push_back(text.GetCharAt(i));
    return out;
  }

  FakeAreaServices areaServices;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  xMorvaDocument document{nullptr};
};

}  // namespace texttest
