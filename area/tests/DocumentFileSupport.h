// What the tests of the own document file share: a document with every
// stored part filled, and its bytes in the own format.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/files/xMorvaDocumentFile.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "host/context/VHostRef.h"
#include "testsupport/DocumentStamp.h"

namespace documentfile {

using Bytes = std::vector<uint8_t>;

// The bytes with the informations' modification stamp zeroed: every write
// stamps it with the time of writing, so two writes in different seconds
// differ there and nowhere else.
using documentstamp::WithoutStamp;

inline xMorvaEngine& Engine(xMorvaDocument& document, int16_t part) {
  return *static_cast<xMorvaEngine*>(document.GetPart(part));
}

inline void Type(xMorvaEngine& engine, const std::string& text) {
  for (char c : text) {
    if (c == '\n') {
      // The primitive leaves the caret before the new paragraph end.
      const int32_t at = engine.GetSelStart();
      engine.InsertParagraphEnd();
      engine.SetSelection(at + 1, at + 1);
    } else {
      engine.TypeCharacter(char16_t(c));
    }
  }
}

// The element stream of a part.
inline Bytes StreamOf(xMorvaDocument& document, int16_t part) {
  xMorvaEngine& engine = Engine(document, part);
  const uint32_t size = engine.GetStreamSize();
  if (size == 0) return {};
  const uint8_t* bytes = engine.LockStream();
  Bytes copy(bytes, bytes + size);
  engine.UnlockStream();
  return copy;
}

// `paragraphs` paragraphs of body text, and every other part filled: the
// six header and footer texts, a style sheet, a font, informations and
// pictures on pages (a value and a host reference).
inline void FillDocument(xMorvaDocument& document, int32_t paragraphs = 3) {
  xMorvaEngine& body = Engine(document, kPartBody);
  for (int32_t i = 0; i < paragraphs; ++i) Type(body, "Paragraph " + std::to_string(i) + " of the body.\n");
  const char* names[] = {"", "Header", "Footer", "Left header", "Left footer", "First header", "First footer"};
  for (int16_t part = kPartHeader; part < kPartCount; ++part) Type(Engine(document, part), names[part]);
  VStr<64> font;
  font.SetAnsiCText("Liberation Serif");
  document.GetFontTable()->AddNameAsWritten(font);
  xMorvaStyleSheet sheet;
  sheet.Init();
  VStr<64> sheetName;
  sheetName.SetAnsiCText("Quote");
  int16_t id = 0;
  sheet.SaveNew(document, *document.GetStyleSheetStore(), sheetName, id);
  document.Infos().SetCreationTime(123456);
  document.SetViewMode(0);  // page view: a form's area shows its header and pictures

  auto* pictures = static_cast<xMorvaPicturesInPage*>(document.GetPagePictures());
  if (pictures == nullptr) return;
  VMetafilePort recorder(nullptr, 0, 0, 24, 16);
  recorder.SetFillColor(RGB(0, 0, 255));
  recorder.PaintRect(0, 0, 24, 16);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  xMorvaPagePicture entry;
  entry.page = kPageEvery;
  entry.left = 30;
  entry.top = 40;
  entry.behindText = 1;
  pictures->AddPicture(*document.GetStyleSheetStore(), *picture, entry);
  // A resized one keeps its size through the file.
  pictures->SetSelection(0);
  pictures->ResizeSelected(VRect(0, 0, 500, 500), 10, 4);
  pictures->Deselect();
  VHostRef reference(int16_t(2), int16_t(3), false);
  entry.page = 0;
  entry.behindText = 0;
  pictures->AddReferencePicture(*document.GetStyleSheetStore(), picture.get(), &reference, entry);
}

inline Bytes Write(xMorvaDocument& document, bool preview = false, bool blank = true) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  Bytes bytes;
  EXPECT_EQ(stream.OpenWrite(), 0);
  const bool written = WriteDocument(document, stream, preview, blank);
  stream.CloseWrite(1);
  EXPECT_TRUE(written);
  if (written && handle != 0) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

inline int32_t Read(xMorvaDocument& document, const Bytes& bytes) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  if (stream.OpenRead() != 0) return -1;
  const int32_t code = ReadDocument(document, stream, false);
  stream.CloseRead();
  return code;
}

// The services a document needs: the engine's, the pictures on pages and
// picture values.
class Fixture : public ::testing::Test {
 protected:
  Fixture() : fEngine(&fServices), fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker) {}
  ~Fixture() override { FreeFontCache(); }

  std::unique_ptr<xMorvaDocument> NewDocument() {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    document->Reset(false);
    return document;
  }

 private:
  xMorvaDocumentEngineServices fServices;
  VInstalledService<xMorvaEngineServices> fEngine;
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
};

}  // namespace documentfile
