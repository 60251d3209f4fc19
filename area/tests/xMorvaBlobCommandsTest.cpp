// The BLOB commands: a document written by 37, 51, 139 or 140 and read back
// by 49, 141, 142, into a new area by 36 or inserted by 54, with the codes
// they record.
#include <gtest/gtest.h>

#include <algorithm>

#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "area/xMorvaHostObject.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

using namespace areatest;
using documentfile::Bytes;
using documentfile::FillDocument;
using documentfile::StreamOf;

Bytes BlobBytes(uint32_t blob) {
  const int32_t size = Tbx::GetHandleSize(blob);
  if (size <= 0) return {};
  const auto* data = static_cast<const uint8_t*>(Tbx::HLock(blob));
  Bytes bytes(data, data + size);
  Tbx::HUnlock(blob);
  return bytes;
}

uint32_t NewBlob(const Bytes& bytes) {
  const uint32_t blob = Tbx::NewHandle(int32_t(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(Tbx::HLock(blob), bytes.data(), bytes.size());
    Tbx::HUnlock(blob);
  }
  return blob;
}

class BlobCommands : public AreaTest {
 protected:
  BlobCommands() : fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker) {}

  // A new offscreen area whose document holds every part.
  xMorvaPlugIn* RichArea() {
    xMorvaPlugIn* area = NewOffscreenArea();
    FillDocument(*area->GetDocument());
    return area;
  }
  uint32_t WriteBlob(xMorvaPlugIn* area, int32_t command, int16_t markSaved = 0, int16_t firstPage = 0) {
    uint32_t blob = 0;
    Run(command, area->GetReference(), {&markSaved, &firstPage}, &blob);
    return blob;
  }

 private:
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
};

TEST_F(BlobCommands, WriteAndReadBackEveryPart) {
  xMorvaPlugIn* source = RichArea();
  struct Row {
    int32_t write;
    int32_t read;
    bool preview;
  } rows[] = {{37, 49, true}, {51, 141, true}, {139, 142, true}, {140, 49, false}, {140, 36, false}};
  for (const Row& row : rows) {
    const uint32_t blob = WriteBlob(source, row.write);
    ASSERT_NE(blob, 0u) << row.write;
    EXPECT_EQ(LastError(source->GetReference()), 0);
    const Bytes bytes = BlobBytes(blob);
    // Without a preview the signature comes first.
    EXPECT_EQ(bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0x8E, !row.preview) << row.write;

    xMorvaDocument* read = nullptr;
    uint32_t readArea = 0;
    if (row.read == 36) {
      uint32_t blobSlot = blob;
      void* params[12] = {&blobSlot};
      package->ExecuteCommand(36, params, &readArea);
      ASSERT_NE(readArea, 0u);
      int32_t kind = 0;
      xMorvaHostObject* object = package->FindReference(readArea, kind);
      ASSERT_NE(object, nullptr);
      read = object->GetDocument();
    } else {
      xMorvaPlugIn* target = NewOffscreenArea();
      readArea = target->GetReference();
      uint32_t blobSlot = blob;
      Run(row.read, readArea, {&blobSlot});
      read = target->GetDocument();
    }
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(LastError(readArea), 0) << row.write << " " << row.read;
    for (int16_t part = 0; part < kPartCount; ++part) {
      EXPECT_EQ(StreamOf(*read, part), StreamOf(*source->GetDocument(), part)) << part;
    }
    EXPECT_EQ(read->GetPagePictures()->GetCount(), 2);
    // The area of command 36 goes as the host deletes it.
    if (row.read == 36) Run(38, readArea);
    Tbx::DisposeHandle(blob);
  }
}

TEST_F(BlobCommands, MarkTheDocumentSavedWhenAsked) {
  struct Row {
    int32_t command;
    int16_t markSaved;
    bool modifiedAfter;
  } rows[] = {{37, 0, true}, {51, 0, false}, {139, 1, false}, {139, 0, true}, {140, 1, false}};
  for (const Row& row : rows) {
    xMorvaPlugIn* area = RichArea();
    area->GetDocument()->SetModified();
    Tbx::DisposeHandle(WriteBlob(area, row.command, row.markSaved));
    EXPECT_EQ(area->GetDocument()->IsModified(), row.modifiedAfter) << row.command;
  }
}

TEST_F(BlobCommands, RecordTheReadersCodesAndTellTheErrorMethod) {
  SetErrorMethod("OnError");
  xMorvaPlugIn* source = RichArea();
  const uint32_t whole = WriteBlob(source, 140);
  const Bytes letter = BlobBytes(whole);
  Tbx::DisposeHandle(whole);
  auto cut = [&](size_t n) { return NewBlob(Bytes(letter.begin(), letter.end() - long(n))); };
  documentfile::Engine(*source->GetDocument(), kPartBody).InsertPropertyRecord(0, kPropFont, 77);
  const uint32_t repaired = WriteBlob(source, 140);
  const Bytes good = BlobBytes(repaired);
  Bytes damaged = good;
  damaged[4] = 7;  // a header length of 7
  damaged[5] = damaged[6] = damaged[7] = 0;
  // A store that is no resource store: found only after the frame was
  // read and the reading began.
  Bytes badStore = good;
  const std::string store = "SERV0010";
  auto at = std::search(badStore.begin(), badStore.end(), store.begin(), store.end());
  ASSERT_NE(at, badStore.end());
  std::fill(at, at + 4, uint8_t('X'));
  const uint32_t blobs[] = {0,        NewBlob({}),       NewBlob({1, 2, 3, 4, 5}), NewBlob(damaged),
                            repaired, NewBlob(badStore), cut(letter.size() / 2), cut(2),
                            cut(16),  cut(100)};
  // Each row's document is then written by `write` and read back: what a
  // write gives is the document the area shows, whatever the read refused.
  struct Row {
    int32_t command;
    int blob;
    int32_t code;
    int32_t write;
  } rows[] = {
      {49, 0, 1017, 140}, {141, 0, 1017, 37},  {141, 1, 1017, 51},  {49, 1, 1032, 139}, {49, 2, 1032, 140},
      {142, 2, 1032, 37}, {49, 3, 1015, 51},   {141, 3, 1015, 139}, {49, 4, 1097, 140},  {141, 4, 1097, 37},
      {49, 5, 1015, 51},  {141, 5, 1015, 139}, {49, 6, 1015, 140},  {141, 7, 1097, 37},  {49, 8, 1097, 51},
      {142, 9, 1097, 139}, {36, 0, 1017, 140}, {36, 2, 1032, 37},   {36, 3, 1015, 51},   {36, 4, 1097, 139},
      {54, 0, 1017, 140},  {54, 2, 1032, 37},  {54, 5, 1015, 51},   {54, 4, 1097, 139},
  };
  for (const Row& row : rows) {
    xMorvaPlugIn* area = nullptr;
    uint32_t blob = blobs[row.blob];
    Bytes before;
    if (row.command == 36) {
      // The area made from the BLOB starts as a new one does.
      before = StreamOf(*NewOffscreenArea()->GetDocument(), kPartBody);
      package->calls.clear();
      uint32_t made = 0;
      void* params[12] = {&blob};
      package->ExecuteCommand(36, params, &made);
      int32_t kind = 0;
      xMorvaHostObject* object = package->FindReference(made, kind);
      ASSERT_NE(object, nullptr);
      area = object->GetEditingArea();
      ASSERT_NE(area, nullptr);
    } else {
      area = NewOffscreenArea();
      documentfile::Type(documentfile::Engine(*area->GetDocument(), kPartBody), "kept");
      before = StreamOf(*area->GetDocument(), kPartBody);
      // Command 54 inserts at the selection and adds a paragraph end.
      int16_t atEnd = 0, noEnd = 0;
      package->calls.clear();
      Run(row.command, area->GetReference(), {&blob, &atEnd, &noEnd});
    }
    EXPECT_EQ(LastError(area->GetReference()), row.code) << row.command << " blob " << row.blob;
    ASSERT_FALSE(package->calls.empty());
    EXPECT_EQ(package->calls.front().name, "OnError");
    EXPECT_EQ(package->calls.front().numbers.back(), row.code);
    // What cannot be read, damaged or not the own format, leaves the
    // document as it was; an insertion takes nothing repaired either.
    if (row.code != 0 && (row.code != 1097 || row.command == 54)) {
      EXPECT_EQ(StreamOf(*area->GetDocument(), kPartBody), before)
          << row.command << " blob " << row.blob;
    }
    uint32_t back = WriteBlob(area, row.write);
    xMorvaPlugIn* reader = NewOffscreenArea();
    Run(49, reader->GetReference(), {&back});
    EXPECT_EQ(LastError(reader->GetReference()), 0) << row.command << " blob " << row.blob;
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*area->GetDocument(), kPartBody))
        << row.command << " blob " << row.blob << " written by " << row.write;
    Tbx::DisposeHandle(back);
    if (row.command == 36) Run(38, area->GetReference());
  }
  for (uint32_t blob : blobs) {
    if (blob != 0) Tbx::DisposeHandle(blob);
  }
}

}  // namespace
