// Pictures between the module and the stand-in host, in-process: picture
// fields and variables kept in SQLite and read back through the host's
// metafile conversion as metafile values that draw what the PICT draws.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaDocumentAreaServices.h"
#include "boundary/HostRecords.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/core/VService.h"
#include "framework/core/containers/VRefArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureConversion.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "framework/core/host/VHostBridge.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostPictures.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostStructure.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostRef.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/pict/PictInterpreter.h"
#include "platform/tests/GdiTestCanvas.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/QvHost.h"

namespace {

constexpr int kW = 8;
constexpr int kH = 6;
constexpr uint32_t kRed = 0xFF0000;

// A version 2 picture of kW x kH: a red painted rectangle and a black
// framed one over it.
std::vector<uint8_t> TestPict() {
  std::vector<uint8_t> b;
  auto word = [&b](int v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
  };
  for (int v : {0, 0, 0, kH, kW}) word(v);
  for (int v : {0x0011, 0x02FF, 0x0C00, 0xFFFF, 0xFFFF, 0, 0, 0, 0, kW, 0, kH, 0, 0, 0}) word(v);
  for (int v : {0x001A, 0xFFFF, 0, 0, 0x0031, 1, 1, 5, 6}) word(v);     // red, PaintRect
  for (int v : {0x001A, 0, 0, 0, 0x0030, 2, 3, 6, 8, 0x00FF}) word(v);  // black, FrameRect, end
  b[0] = uint8_t(b.size() >> 8);
  b[1] = uint8_t(b.size());
  return b;
}

// What a metafile draws on a white kW x kH canvas, as rows.
std::string Drawn(HENHMETAFILE emf, Canvas& canvas) {
  const RECT rect{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), emf, &rect));
  return canvas.Picture();
}

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

uint32_t HandleWith(const std::vector<uint8_t>& bytes) {
  const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
  if (h != 0 && !bytes.empty()) {
    std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
    Tbx::HUnlock(h);
  }
  return h;
}

const HostPictureForms kForms = {&NewMetafilePictureValue, &NewPictValueFromMacPicture,
                                 &MacPictureOfValue};

// The stand-in host on the host callback, with the picture values' forms
// installed as the module installs them.
class PictureHost : public ::testing::Test {
 protected:
  PictureHost() : host(QvHostConfig{}), forms(&kForms) {
    previous = GetHostCallback();
    SetHostCallback(&QvHost::Callback);
    HostDatabase& db = host.Database();
    EXPECT_TRUE(db.DefineTable(1, "Items"));
    EXPECT_TRUE(db.DefineField(1, 1, "Photo", 3));
    EXPECT_TRUE(db.SetRecordCount(1, 1));
  }
  ~PictureHost() override { SetHostCallback(previous); }

  // The pixels that the interpreter draws of the PICT itself.
  static std::string Expected(const std::vector<uint8_t>& pict) {
    HENHMETAFILE emf = PictToEnhMetaFile(pict.data(), uint32_t(pict.size()));
    EXPECT_NE(emf, nullptr);
    Canvas canvas(kW, kH);
    std::string rows = Drawn(emf, canvas);
    DeleteEnhMetaFile(emf);
    return rows;
  }

  // The metafile of a value that must be an EMF picture value.
  static HENHMETAFILE MetafileOf(const VValue* value) {
    if (value == nullptr || value->GetKind() != kValuePicture) return nullptr;
    const auto* picture = static_cast<const VPictureData*>(value);
    if (picture->GetPictureKind() != kPictureKindEMF) return nullptr;
    return static_cast<const VEmfPictureData*>(picture)->GetMetafile();
  }

  QvHost host;
  HostCallback previous = nullptr;
  VInstalledService<const HostPictureForms> forms;
};

TEST_F(PictureHost, APictureFieldReadsBackAsAMetafileDrawingThePictsPixels) {
  const std::vector<uint8_t> pict = TestPict();
  HostDatabase::Value stored;
  stored.bytes = pict;
  ASSERT_TRUE(host.Database().Set(1, 1, stored));
  std::unique_ptr<VValue> value(HostGetFieldAsValue(1, 1, false));
  HENHMETAFILE emf = MetafileOf(value.get());
  ASSERT_NE(emf, nullptr);
  Canvas canvas(kW, kH);
  const std::string rows = Drawn(emf, canvas);
  EXPECT_EQ(rows, Expected(pict));
  // Painted rows 1 to 4, columns 1 to 5; framed rows 2 to 5, columns 3 to 7.
  EXPECT_EQ(rows, "........\n.#####..\n.#######\n.#####.#\n.#####.#\n...#####\n");
  EXPECT_EQ(canvas.At(1, 1), kRed);
  EXPECT_EQ(canvas.At(4, 3), kRed);
  EXPECT_EQ(canvas.At(3, 2), 0u);
}

TEST_F(PictureHost, AFieldWithoutAPictureGivesNoValue) {
  const std::vector<uint8_t> cases[] = {
      {},                              // nothing stored
      {0, 12, 0, 0},                   // shorter than the header
      std::vector<uint8_t>(40, 0xEE),  // no picture
  };
  for (const std::vector<uint8_t>& bytes : cases) {
    HostDatabase::Value stored;
    stored.bytes = bytes;
    ASSERT_TRUE(host.Database().Set(1, 1, stored));
    std::unique_ptr<VValue> value(HostGetFieldAsValue(1, 1, false));
    EXPECT_EQ(value, nullptr) << bytes.size() << " bytes";
  }
}

TEST_F(PictureHost, APictureValueIsStoredAsItsMacintoshPicture) {
  const std::vector<uint8_t> pict = TestPict();
  std::unique_ptr<VValue> picture(NewPictValueFromMacPicture(pict.data(), uint32_t(pict.size())));
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(HostSetFieldFromValue(*picture, 1, 1, false));
  // The picture with the host's 6 zero bytes after it.
  std::vector<uint8_t> expected = pict;
  expected.resize(pict.size() + 6, 0);
  EXPECT_EQ(host.Database().Get(1, 1)->bytes, expected);
  std::unique_ptr<VValue> back(HostGetFieldAsValue(1, 1, false));
  HENHMETAFILE emf = MetafileOf(back.get());
  ASSERT_NE(emf, nullptr);
  Canvas canvas(kW, kH);
  EXPECT_EQ(Drawn(emf, canvas), Expected(pict));
  // A value that is no picture is not sent; the stored picture stays.
  EXPECT_FALSE(HostSetFieldFromValue(VLong(5), 1, 1, false));
  EXPECT_EQ(host.Database().Get(1, 1)->bytes, expected);
}

// A metafile value goes to the host as a Toolbox picture of its pixels.
TEST_F(PictureHost, AMetafileValueIsStoredAsThePictOfItsPixels) {
  const std::vector<uint8_t> pict = TestPict();
  HostDatabase& db = host.Database();
  ASSERT_TRUE(db.DefineField(1, 2, "Copy", 3));
  HostDatabase::Value value;
  value.bytes = pict;
  ASSERT_TRUE(db.Set(1, 1, value));
  std::unique_ptr<VValue> metafile(HostGetFieldAsValue(1, 1, false));
  ASSERT_NE(MetafileOf(metafile.get()), nullptr);
  ASSERT_TRUE(HostSetFieldFromValue(*metafile, 1, 2, false));
  const std::vector<uint8_t> stored = db.Get(1, 2)->bytes;
  ASSERT_GT(stored.size(), 16u);
  EXPECT_EQ(std::vector<uint8_t>(stored.end() - 6, stored.end()), std::vector<uint8_t>(6, 0));
  EXPECT_EQ((stored[6] << 8 | stored[7]), kH);
  EXPECT_EQ((stored[8] << 8 | stored[9]), kW);
  EXPECT_EQ(Expected(stored), Expected(pict));
}

TEST_F(PictureHost, PictureVariablesRoundTripThroughTheHost) {
  const std::vector<uint8_t> pict = TestPict();
  std::unique_ptr<VValue> picture(NewPictValueFromMacPicture(pict.data(), uint32_t(pict.size())));
  ASSERT_TRUE(HostSetVariable(*picture, Name("Logo"), kScopeDetect, 0));
  std::unique_ptr<VValue> back(HostGetVariableAsValue(Name("Logo"), kScopeDetect));
  HENHMETAFILE emf = MetafileOf(back.get());
  ASSERT_NE(emf, nullptr);
  Canvas canvas(kW, kH);
  EXPECT_EQ(Drawn(emf, canvas), Expected(pict));
}

TEST_F(PictureHost, PictureArraysGiveAPictValuePerHandle) {
  const std::vector<uint8_t> pict = TestPict();
  // Elements 0 to 3: the host's own, a picture, none, bytes too short.
  const uint32_t slots[4] = {0, HandleWith(pict), 0, HandleWith({1, 2, 3})};
  HostVariableEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.type = kHostPictureArray;
  entry.value.array.count = 3;
  entry.value.array.current = 1;
  entry.value.array.handle =
      HandleWith(std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(slots),
                                      reinterpret_cast<const uint8_t*>(slots) + sizeof slots));
  std::unique_ptr<VValue> value(HostVariableToValue(entry, true));
  ASSERT_NE(value, nullptr);
  const auto* array = static_cast<const VRefArray*>(value.get());
  ASSERT_EQ(array->Count(), 3);
  EXPECT_EQ(array->GetCurrent(), 1);
  const auto* first = static_cast<const VPictPictureData*>(array->GetAt(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->StoredBytes(), pict);
  EXPECT_EQ(first->GetWidth(), kW);
  EXPECT_EQ(array->GetAt(2), nullptr);
  EXPECT_EQ(array->GetAt(3), nullptr);
  // Taken: the handles are gone from their slots.
  uint32_t after[4];
  std::memcpy(after, Tbx::HLock(entry.value.array.handle), sizeof after);
  Tbx::HUnlock(entry.value.array.handle);
  EXPECT_EQ(after[1], 0u);
  EXPECT_EQ(after[3], 0u);
  Tbx::DisposeHandle(entry.value.array.handle);
}

// A stored picture array: count, current element, then a length and the
// bytes of elements 0 to count.
std::vector<uint8_t> StoredArray(const std::vector<std::vector<uint8_t>>& elements,
                                 uint32_t count) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t v) {
    out.insert(out.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4);
  };
  put(count);
  put(1);
  for (const std::vector<uint8_t>& e : elements) {
    put(uint32_t(e.size()));
    out.insert(out.end(), e.begin(), e.end());
  }
  return out;
}

TEST_F(PictureHost, StoredPictureArraysReadBackWholeOrNotAtAll) {
  const std::vector<uint8_t> pict = TestPict();
  const std::vector<uint8_t> whole = StoredArray({{}, pict, {}}, 2);
  HostDatabase& db = host.Database();
  ASSERT_TRUE(db.SetVariable(1, "Pics", {kHostPictureArray, whole}));
  std::unique_ptr<VValue> value(HostGetVariableAsValue(Name("Pics"), kScopeDetect));
  ASSERT_NE(value, nullptr);
  const auto* array = static_cast<const VRefArray*>(value.get());
  ASSERT_EQ(array->Count(), 2);
  const auto* first = static_cast<const VPictPictureData*>(array->GetAt(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->StoredBytes(), pict);
  EXPECT_EQ(array->GetAt(2), nullptr);
  // Cut inside a length, inside the bytes, and a length beyond the end.
  std::vector<uint8_t> beyond = StoredArray({{}}, 1);
  beyond.insert(beyond.end(), {0xFF, 0xFF, 0, 0, 1, 2});
  const std::vector<uint8_t> cuts[] = {
      std::vector<uint8_t>(whole.begin(), whole.begin() + 14),
      std::vector<uint8_t>(whole.begin(), whole.end() - 10),
      beyond,
      {1, 0, 0},
  };
  for (const std::vector<uint8_t>& cut : cuts) {
    ASSERT_TRUE(db.SetVariable(1, "Cut", {kHostPictureArray, cut}));
    EXPECT_EQ(HostGetVariableAsValue(Name("Cut"), kScopeDetect), nullptr) << cut.size() << " bytes";
  }
}

TEST_F(PictureHost, TheHostMakesBothMetafileKinds) {
  const std::vector<uint8_t> pict = TestPict();
  const uint32_t handle = HandleWith(pict);
  HMETAFILE wmf = reinterpret_cast<HMETAFILE>(static_cast<uintptr_t>(HostMetafileCallWMF(handle)));
  ASSERT_NE(wmf, nullptr);
  EXPECT_GT(GetMetaFileBitsEx(wmf, 0, nullptr), 0u);
  DeleteMetaFile(wmf);
  // Through the picture values' conversion, with the host's installed.
  const VPictConversionProc conversion = {&HostPictToEmf};
  VInstalledService<const VPictConversionProc> installed(&conversion);
  std::unique_ptr<VValue> pictValue(NewPictValueFromMacPicture(pict.data(), uint32_t(pict.size())));
  VEmfPictureData emf(*static_cast<const VPictureData*>(pictValue.get()));
  ASSERT_NE(emf.GetMetafile(), nullptr);
  Canvas canvas(kW, kH);
  EXPECT_EQ(Drawn(emf.GetMetafile(), canvas), Expected(pict));
  EXPECT_EQ(HostMetafileCallEMF(0), 0u);
  Tbx::DisposeHandle(handle);
}

// An expression that names a picture field, or a picture variable,
// evaluates to the picture itself, so a host reference shows it; no operator
// takes a picture, and such an expression has no value.
TEST_F(PictureHost, ExpressionsNamingAPictureEvaluateToThePicture) {
  // The host bridge the references compile and evaluate through, given
  // back however the test ends.
  struct Bridge {
    Bridge() : previous(VHostBridgeService::Install(&bridge)) {}
    ~Bridge() { VHostBridgeService::Install(previous); }
    VHostCallbackBridge bridge;
    VHostBridge* previous;
  } installed;
  const std::vector<uint8_t> pict = TestPict();
  HostDatabase::Value stored;
  stored.bytes = pict;
  ASSERT_TRUE(host.Database().Set(1, 1, stored));
  ASSERT_TRUE(host.Database().SetVariable(1, "Logo", {kHostPicture, pict}));
  struct Row {
    const char* expression;
    bool picture;
  } rows[] = {
      {"[Items]Photo", true},
      {"([Items]Photo)", true},
      {"Logo", true},
      {"[Items]Photo + 1", false},
      {"-[Items]Photo", false},
      {"[Items]Photo = [Items]Photo", false},
      {"[Items]Photo & True", false},
  };
  for (const Row& row : rows) {
    VHostRef ref(Name(row.expression));
    ASSERT_NE(ref.GetReferenceData(), 0u) << row.expression;
    std::unique_ptr<VValue> value(ref.Evaluate());
    HENHMETAFILE emf = MetafileOf(value.get());
    EXPECT_EQ(emf != nullptr, row.picture) << row.expression;
    if (emf == nullptr) continue;
    Canvas canvas(kW, kH);
    EXPECT_EQ(Drawn(emf, canvas), Expected(pict)) << row.expression;
  }
  // An empty picture field gives no picture and no handle.
  ASSERT_TRUE(host.Database().Set(1, 1, HostDatabase::Value{}));
  VHostRef empty(Name("[Items]Photo"));
  std::unique_ptr<VValue> none(empty.Evaluate());
  EXPECT_EQ(MetafileOf(none.get()), nullptr);
}

}  // namespace

// A host expression on the picture field shows the field's picture as the
// element's result: a picture selection of the picture's size, made again
// at the user's placement when the field changes.
TEST_F(PictureHost, AHostExpressionOnAPictureFieldShowsThePicture) {
  HostDatabase::Value stored;
  stored.bytes = TestPict();
  ASSERT_TRUE(host.Database().Set(1, 1, stored));
  xMorvaEngineHostServices engineHost;
  VInstalledService<xMorvaEngineHost> installed(&engineHost);
  VInstalledService<const VPictureMaker> pictureValues(&kPictureValueMaker);
  VHostRef ref(1, 1, false);
  const VMemHandle reference = ref.ToHandle();
  ASSERT_NE(reference, 0u);
  std::vector<uint8_t> bytes(gMemoryMgr->GetHandleSize(reference));
  std::memcpy(bytes.data(), gMemoryMgr->LockHandle(reference), bytes.size());
  gMemoryMgr->UnlockHandle(reference);
  gMemoryMgr->DisposeHandle(reference);

  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  ASSERT_EQ(engine.InsertHostExpression(bytes.data(), uint32_t(bytes.size()), false, nullptr), 0);
  engine.SetSelection(0, 1);
  EXPECT_TRUE(engine.IsPictureSelected());
  int32_t w = 0, h = 0, ownW = 0, ownH = 0;
  engine.GetSelectedPictureSize(&w, &h, &ownW, &ownH);
  EXPECT_EQ(w, kW);
  EXPECT_EQ(h, kH);
  EXPECT_EQ(ownW, kW);
  EXPECT_EQ(ownH, kH);
  std::unique_ptr<VPictureData> shown(engine.GetSelectedPicture());
  ASSERT_NE(shown, nullptr);

  // Placed by the user at twice its size, it keeps that size when the
  // field is read again.
  uint32_t words[6] = {};
  ASSERT_EQ(engine.GetSelectedPictureHeader(words), 0);
  xMorvaPictureHeader header;
  header.FromWords(words);
  header.shownWidth = 2 * kW;
  header.shownHeight = 2 * kH;
  header.flag = 1;
  header.ToWords(words);
  ASSERT_EQ(engine.SetSelectedPictureHeader(words), 0);
  ASSERT_EQ(engine.UpdateComputedFields(), 0);
  engine.GetSelectedPictureSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(w, 2 * kW);
  EXPECT_EQ(h, 2 * kH);
  // An empty field (the next record of a merge) has no picture: the
  // element shows none, not the one it showed.
  ASSERT_TRUE(host.Database().Set(1, 1, HostDatabase::Value{}));
  EXPECT_EQ(engine.UpdateComputedFields(), 0);
  EXPECT_FALSE(engine.IsPictureSelected());
}
