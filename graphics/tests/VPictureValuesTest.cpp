// Picture values of every kind: the stored 'VVAL' form in both byte orders,
// the hexadecimal form, clones and conversions between kinds.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/containers/ValueReader.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureKinds.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/WinGdiMetafile.h"

using value_tests::ByteReader;
using value_tests::BytesWritten;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

HENHMETAFILE RedMetafile(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(kRed);
  recorder.PaintRect(1, 1, w - 2, h - 2);
  return recorder.EndRecording();
}

Bytes EmfBits(HENHMETAFILE metafile) {
  Bytes bits(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data());
  return bits;
}

// A big-endian PICT: header (size 14, frame 0 0 20 30), then 00 11 02 FF.
Bytes StoredPict() { return Bytes{0, 14, 0, 0, 0, 0, 0, 20, 0, 30, 0x00, 0x11, 0x02, 0xFF}; }

std::unique_ptr<VPictureData> WmfOf(HENHMETAFILE emf) {
  HDC screen = GetDC(nullptr);
  Bytes bits(GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen));
  GetWinMetaFileBits(emf, static_cast<UINT>(bits.size()), bits.data(), MM_ANISOTROPIC, screen);
  ReleaseDC(nullptr, screen);
  auto wmf = std::make_unique<VWmfPictureData>();
  wmf->SetFromData(bits.data(), static_cast<uint32_t>(bits.size()));
  return wmf;
}

std::string Hex(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

class PictureValuesTest : public ::testing::Test {
 protected:
  VInstalledService<const VPictureMaker> fMaker{&kPictureValueMaker};
};

}  // namespace

TEST_F(PictureValuesTest, EveryKindRoundTripsInBothOrders) {
  HENHMETAFILE emf = RedMetafile(12, 9);
  const Bytes emfBits = EmfBits(emf);
  std::vector<std::unique_ptr<VPictureData>> values;
  values.push_back(std::make_unique<VEmfPictureData>(emf, true));
  values.push_back(WmfOf(static_cast<VEmfPictureData*>(values[0].get())->GetMetafile()));
  const Bytes pict = StoredPict();
  values.push_back(std::make_unique<VQTPictureData>(pict.data(), uint32_t(pict.size())));
  values.push_back(std::make_unique<VPlaceholderPictureData>());
  for (auto& value : values) {
    const int32_t kind = value->GetPictureKind();
    for (const int16_t order : {value_tests::kBigEndian, value_tests::kLittleEndian}) {
      const Bytes bytes = BytesWritten([&](VStream& s) { s.PutValue(*value, true); }, order);
      ByteReader reader(bytes, order);
      std::unique_ptr<VValue> back(ReadValue(reader.stream()));
      auto* picture = dynamic_cast<VPictureData*>(back.get());
      ASSERT_NE(picture, nullptr) << kind;
      EXPECT_EQ(picture->GetPictureKind(), kind);
      EXPECT_EQ(picture->HasData(), value->HasData()) << kind;
      EXPECT_EQ(picture->DataSize(), value->DataSize()) << kind;
      EXPECT_EQ(picture->GetWidth(), value->GetWidth()) << kind;
      EXPECT_EQ(reader.stream().GetPosition(), uint32_t(bytes.size())) << kind;
      EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError) << kind;
    }
  }
  EXPECT_EQ(values[0]->DataSize(), emfBits.size());
  EXPECT_EQ(values[2]->GetWidth(), 30);
  EXPECT_EQ(values[2]->GetHeight(), 20);
}

TEST_F(PictureValuesTest, StoredFormsOfEachKind) {
  const Bytes pict = StoredPict();
  VQTPictureData quickTime(pict.data(), uint32_t(pict.size()));
  Bytes expected = {0, 0, 0, 10, 0, 0, 0, 105, 0, 0, 0, 14};
  expected.insert(expected.end(), pict.begin(), pict.end());
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(quickTime, true); }), expected);

  VPlaceholderPictureData placeholder;
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(placeholder, true); }),
            (Bytes{0, 0, 0, 10, 0, 0, 0, 106}));

  VEmfPictureData empty;
  EXPECT_EQ(BytesWritten([&](VStream& s) { s.PutValue(empty, true); }),
            (Bytes{0, 0, 0, 10, 0, 0, 0, 2, 0, 0, 0, 0}));

  VEmfPictureData emf(RedMetafile(5, 5), true);
  const Bytes bits = EmfBits(emf.GetMetafile());
  const Bytes stored = BytesWritten([&](VStream& s) { s.PutValue(emf, true); });
  ASSERT_EQ(stored.size(), 12 + bits.size());
  EXPECT_EQ(Bytes(stored.begin() + 12, stored.end()), bits);

  std::unique_ptr<VPictureData> wmf = WmfOf(emf.GetMetafile());
  ASSERT_TRUE(wmf->HasData());
  const Bytes wmfStored = BytesWritten([&](VStream& s) { s.PutValue(*wmf, true); });
  EXPECT_EQ(wmfStored.size(), 12 + wmf->DataSize());
  EXPECT_GT(wmf->DataSize(), 18u);
}

TEST_F(PictureValuesTest, HexFormIsTheBytesInUpperCaseDigits) {
  Bytes nativeHeader = StoredPict();
  for (size_t i = 0; i < 10; i += 2) std::swap(nativeHeader[i], nativeHeader[i + 1]);
  VPictPictureData pict(nativeHeader.data(), uint32_t(nativeHeader.size()));
  const Bytes hex = BytesWritten([&](VStream& s) { pict.WriteHex(s); });
  EXPECT_EQ(std::string(hex.begin(), hex.end()), Hex(StoredPict()));

  VEmfPictureData emf(RedMetafile(4, 4), true);
  const Bytes emfHex = BytesWritten([&](VStream& s) { emf.WriteHex(s); });
  EXPECT_EQ(std::string(emfHex.begin(), emfHex.end()), Hex(EmfBits(emf.GetMetafile())));
}

TEST_F(PictureValuesTest, BadStoredDataLeavesTheValueAndReportsTheStream) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"count beyond the stream", {0, 0, 0, 10, 0, 0, 0, 2, 0, 0, 1, 0, 1, 2}},
      {"quicktime count beyond", {0, 0, 0, 10, 0, 0, 0, 105, 0x7F, 0, 0, 0}},
      {"bytes that are no metafile", {0, 0, 0, 10, 0, 0, 0, 2, 0, 0, 0, 4, 1, 2, 3, 4}},
      {"wmf bytes that are no metafile", {0, 0, 0, 10, 0, 0, 0, 3, 0, 0, 0, 2, 1, 2}},
  };
  for (const Case& c : cases) {
    ByteReader reader(c.bytes);
    std::unique_ptr<VValue> back(ReadValue(reader.stream()));
    auto* picture = dynamic_cast<VPictureData*>(back.get());
    // Either no value is made or the one made holds nothing.
    if (picture != nullptr) {
      EXPECT_FALSE(picture->HasData()) << c.what;
    }
  }
}

TEST_F(PictureValuesTest, ClonesHoldTheirOwnCopies) {
  HENHMETAFILE metafile = RedMetafile(6, 6);
  std::vector<std::unique_ptr<VPictureData>> values;
  values.push_back(std::make_unique<VEmfPictureData>(metafile, true));
  values.push_back(WmfOf(metafile));
  const Bytes pict = StoredPict();
  values.push_back(std::make_unique<VQTPictureData>(pict.data(), uint32_t(pict.size())));
  for (auto& value : values) {
    std::unique_ptr<VValue> copy(value->Clone());
    auto* picture = dynamic_cast<VPictureData*>(copy.get());
    ASSERT_NE(picture, nullptr) << value->GetPictureKind();
    EXPECT_TRUE(picture->HasData()) << value->GetPictureKind();
    EXPECT_NE(picture->GetHandle(), value->GetHandle());
    EXPECT_EQ(picture->DataSize(), value->DataSize());
    value.reset();  // the copy outlives the original
    EXPECT_GT(picture->DataSize(), 0u);
  }
  VPlaceholderPictureData placeholder;
  std::unique_ptr<VValue> copy(placeholder.Clone());
  EXPECT_EQ(dynamic_cast<VPictureData*>(copy.get())->GetPictureKind(), kPictureKindPlaceholder);
}

TEST_F(PictureValuesTest, EmfBecomesAPictThatDrawsTheSamePixels) {
  VEmfPictureData emf(RedMetafile(10, 8), true);
  VPictPictureData pict;
  pict.SetFromPicture(emf);
  ASSERT_TRUE(pict.HasData());
  EXPECT_EQ(pict.GetWidth(), 10);
  EXPECT_EQ(pict.GetHeight(), 8);
  VQTPictureData quickTime;
  quickTime.SetFromPicture(pict);
  EXPECT_EQ(quickTime.GetWidth(), 10);
  EXPECT_EQ(quickTime.DataSize(), pict.StoredBytes().size());
  VPictPictureData copy;
  copy.SetFromPicture(pict);
  EXPECT_EQ(copy.StoredBytes(), pict.StoredBytes());
  // A PICT goes to the other metafile kinds through the conversion.
  VEmfPictureData back(pict);
  EXPECT_EQ(back.GetWidth(), 10);
  VWmfPictureData wmf(pict);
  EXPECT_TRUE(wmf.HasData());
  VWmfPictureData none(emf);  // only PICT and WMF sources convert
  EXPECT_FALSE(none.HasData());
  VEmfPictureData emfCopy;
  emfCopy.SetFromPicture(emf);
  EXPECT_EQ(EmfBits(emfCopy.GetMetafile()), EmfBits(emf.GetMetafile()));
}
