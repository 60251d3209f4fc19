// The print settings record: paper tables, scaled sizes, default margins,
// the use count and the stored 'XPRI' record in both byte orders.
#include "graphics/printing/VPrintSettings.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A record that a printer binds as soon as its paper is read, with the
// printer's unprintable margins; the printer keeps the stored paper.
class BindingSettings : public VPrintSettings {
 public:
  explicit BindingSettings(int32_t minimum = 0) : fMinimum(minimum) { SetDefaults(); }
  int16_t ReadSubRecord(VStream& stream, uint32_t tag, uint32_t version, uint8_t flag) override {
    const int16_t result = VPrintSettings::ReadSubRecord(stream, tag, version, flag);
    if (result == 0 && tag == kTagUPRI) BindToPrinter();
    return result;
  }
  void SyncWithPrinter() override {
    fRecord.minLeft = fRecord.minRight = fRecord.minTop = fRecord.minBottom = fMinimum;
    VPrintSettings::SyncWithPrinter();
  }
  int32_t fMinimum;
};

Bytes Write(VPrintSettings& settings, bool bigEndian) {
  VMemHandle handle = 0;
  Bytes bytes;
  {
    VHandleStream stream(handle);
    stream.SetByteOrders(bigEndian ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
    stream.OpenWrite();
    EXPECT_EQ(settings.WriteToStream(&stream, 0), 0);
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  if (data != nullptr) bytes.assign(data, data + size);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

int16_t Read(VPrintSettings& settings, const Bytes& bytes, bool bigEndian,
             uint32_t* position = nullptr) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.SetByteOrders(bigEndian ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  stream.OpenRead();
  const int16_t result = settings.ReadFromStream(&stream, 0);
  if (position != nullptr) *position = stream.GetPosition();
  stream.CloseRead();
  return result;
}

void Long(Bytes& b, uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (big ? 24 - 8 * i : 8 * i)));
}
void Word(Bytes& b, uint16_t v, bool big) {
  for (int i = 0; i < 2; ++i) b.push_back(uint8_t(v >> (big ? 8 - 8 * i : 8 * i)));
}

// An 'XPRI' record with an A4 landscape paper and two blobs, as bytes.
Bytes StoredRecord(bool big) {
  Bytes b;
  Long(b, kTagXPRI, big);
  Long(b, 3, big);
  Long(b, kTagUPRI, big);
  Word(b, 9, big);
  Word(b, 1, big);
  for (uint32_t v : {29700u, 21000u, 1200u, 1300u, 1400u, 1500u}) Long(b, v, big);
  Word(b, 75, big);
  Word(b, 300, big);
  Word(b, 600, big);
  Long(b, kTagMPRI, big);
  Long(b, 3, big);
  b.insert(b.end(), {7, 8, 9});
  Long(b, kTagCPRI, big);
  Long(b, 2, big);
  b.insert(b.end(), {0xAB, 0xCD});
  return b;
}

TEST(PrintSettings, PaperCodesFromSizes) {
  struct Case {
    int32_t width, height;
    uint16_t code;
  };
  const Case cases[] = {
      {21590, 27940, 1},  // Letter, never its twins 2 or 18
      {21599, 27949, 1},  // truncated to tenths of a millimetre first
      {21000, 29700, 9},  {29700, 42000, 8}, {42000, 59400, 66},
      // One side shared with Letter does not make it Letter: nearest by both
      // sides.
      {21590, 99999, 58}, {99999, 27940, 4},
      {21100, 29800, 9},  // near A4
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VPrintSettings::PaperSizeToDevModePaper(c.width, c.height), c.code)
        << c.width << " x " << c.height;
  }
}

TEST(PrintSettings, PaperSizesFromCodes) {
  struct Case {
    uint16_t code;
    int32_t width, height;
  };
  const Case cases[] = {{1, 21590, 27940}, {35, 17600, 12500}, {68, 32200, 44500},
                        {24, 0, 0},        {48, 0, 0},         {0, 0, 0},
                        {69, 0, 0},        {65535, 0, 0}};
  for (const Case& c : cases) {
    int32_t w = -1, h = -1;
    VPrintSettings::DevModePaperToPaperSize(c.code, w, h);
    EXPECT_EQ(w, c.width) << c.code;
    EXPECT_EQ(h, c.height) << c.code;
  }
}

TEST(PrintSettings, DefaultsAndScaledSizes) {
  VPrintSettings settings;
  EXPECT_EQ(settings.GetPaperCode(), kPaperCodeUnknown);
  EXPECT_EQ(settings.GetScale(), 100);
  int32_t l, t, r, b;
  settings.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 500);
  EXPECT_EQ(b, 500);

  VPrintRecord record;
  record.paperWidth = 21000;
  record.paperHeight = 29700;
  record.minLeft = 400;
  record.minRight = 600;
  record.scale = 50;
  settings.SetRecord(record);
  int32_t w, h;
  settings.GetScaledPaperSize(w, h);
  EXPECT_EQ(w, 10500);
  EXPECT_EQ(h, 14850);
  settings.GetScaledPrintableSize(w, h);
  EXPECT_EQ(w, 10000);
  settings.GetMargins(l, t, r, b);  // raised to the printer's minimum
  EXPECT_EQ(l, 400);
  EXPECT_EQ(r, 600);
}

TEST(PrintSettings, DefaultMarginsAreTheNextFiveMillimetres) {
  for (auto [minimum, margin] : {std::pair{423, 500}, {500, 1000}, {0, 500}, {999, 1000}}) {
    BindingSettings settings(minimum);
    int32_t l, t, r, b;
    settings.GetMargins(l, t, r, b);
    EXPECT_EQ(l, margin) << minimum;
    EXPECT_EQ(t, margin) << minimum;
  }
}

TEST(PrintSettings, RecordRoundTripsByteForByteInBothOrders) {
  for (bool big : {true, false}) {
    const Bytes stored = StoredRecord(big);
    BindingSettings settings(100);
    ASSERT_EQ(Read(settings, stored, big), 0) << big;
    EXPECT_EQ(settings.GetPaperCode(), 9);
    EXPECT_TRUE(settings.IsLandscape());
    EXPECT_EQ(settings.GetScale(), 75);
    int32_t l, t, r, b;
    settings.GetMargins(l, t, r, b);
    EXPECT_EQ(l, 1200);
    EXPECT_EQ(r, 1300);
    EXPECT_EQ(t, 1400);
    EXPECT_EQ(b, 1500);
    settings.GetMinimumMargins(l, t, r, b);  // the printer's, never stored
    EXPECT_EQ(l, 100);
    EXPECT_EQ(settings.GetBlob(kTagMPRI) != 0, true);
    EXPECT_EQ(Write(settings, big), stored) << big;

    // Read on a machine of the other order: the reversed tag switches it.
    BindingSettings other(100);
    ASSERT_EQ(Read(other, stored, !big), 0) << big;
    EXPECT_EQ(Write(other, big), stored) << big;
  }
}

TEST(PrintSettings, UnknownSubRecordEndsReadingAtItsTag) {
  Bytes stored = StoredRecord(true);
  const size_t tagAt = stored.size();
  Long(stored, 0x5A5A5A5A, true);
  Long(stored, 1, true);
  BindingSettings settings;
  uint32_t position = 0;
  EXPECT_EQ(Read(settings, stored, true, &position), 0);
  EXPECT_EQ(position, tagAt);
  EXPECT_EQ(settings.GetPaperCode(), 9);
}

TEST(PrintSettings, UnboundReadKeepsTheStoredPaper) {
  // No printer binds the record: 300, and the paper and margins read stay so
  // that the next save writes them back.
  VPrintSettings settings;
  EXPECT_EQ(Read(settings, StoredRecord(true), true), kPrintNotBound);
  EXPECT_EQ(settings.GetPaperCode(), 9);
  int32_t l, t, r, b;
  settings.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 1200);
  EXPECT_EQ(b, 1500);
  const Bytes again = Write(settings, true);
  ASSERT_GE(again.size(), 46u);
  const Bytes stored = StoredRecord(true);
  EXPECT_EQ(Bytes(again.begin(), again.begin() + 46), Bytes(stored.begin(), stored.begin() + 46));
}

TEST(PrintSettings, BadRecordsGiveCodesAndDefaults) {
  struct Case {
    const char* name;
    Bytes bytes;
    int16_t code;
  };
  Bytes truncatedPaper = StoredRecord(true);
  truncatedPaper.resize(8 + 4 + 20);
  Bytes truncatedOtherOrder = StoredRecord(false);
  truncatedOtherOrder.resize(8 + 4 + 20);
  Bytes longBlob;
  Long(longBlob, kTagXPRI, true);
  Long(longBlob, 3, true);
  Long(longBlob, kTagMPRI, true);
  Long(longBlob, 0x7FFFFFF0, true);  // far more than remains
  longBlob.insert(longBlob.end(), {1, 2, 3, 4});
  const Bytes stored = StoredRecord(true);
  const Case cases[] = {
      {"empty", {}, kPrintNotARecord},
      {"other tag", Bytes{'W', 'P', 'R', 'M', 0, 0, 0, 3}, kPrintNotARecord},
      {"head only", Bytes(stored.begin(), stored.begin() + 8), kPrintNotBound},
      {"tag cut short", Bytes{'X', 'P', 'R'}, kPrintNotARecord},
      {"truncated paper", truncatedPaper, kPrintNotBound},
      {"truncated paper, other order", truncatedOtherOrder, kPrintNotBound},
      {"blob longer than the record", longBlob, kPrintNotBound},
  };
  for (const Case& c : cases) {
    BindingSettings settings;
    EXPECT_EQ(Read(settings, c.bytes, true), c.code) << c.name;
    EXPECT_EQ(settings.GetPaperCode(), kPaperCodeUnknown) << c.name;
    EXPECT_EQ(settings.GetBlob(kTagMPRI), 0u) << c.name;
    int32_t l, t, r, b;
    settings.GetMargins(l, t, r, b);
    EXPECT_EQ(l, 500) << c.name;
  }
  VPrintSettings settings;
  EXPECT_EQ(settings.ReadFromStream(nullptr, 0), kPrintNoStream);
  EXPECT_EQ(settings.WriteToStream(nullptr, 0), kPrintNoStream);
}

class CountingHost : public VPrintUseHost {
 public:
  bool CheckProcess(uint8_t, uint8_t&) override {
    ++checks;
    return grant;
  }
  void EndProcess() override { ++ends; }
  bool grant = true;
  int checks = 0;
  int ends = 0;
};

TEST(PrintSettings, UseCountAsksTheHostOnceAndEndsOnce) {
  CountingHost host;
  VInstalledService<VPrintUseHost> installed(&host);
  VPrintSettings settings;
  EXPECT_TRUE(settings.BeginUse(1));
  EXPECT_TRUE(settings.BeginUse(1));
  EXPECT_EQ(settings.GetUseCount(), 2);
  settings.EndUse();
  EXPECT_EQ(host.ends, 0);
  settings.EndUse();
  EXPECT_EQ(host.ends, 1);
  EXPECT_EQ(host.checks, 1);
  host.grant = false;
  EXPECT_FALSE(settings.BeginUse(1));
  EXPECT_EQ(settings.GetUseCount(), 0);
  // A read refused by the host still reads, and ends no use it never had.
  EXPECT_EQ(Read(settings, StoredRecord(true), true), kPrintNotBound);
  EXPECT_EQ(host.ends, 1);
}

TEST(PrintSettings, PageSettersUnbind) {
  BindingSettings settings;
  settings.BindToPrinter();
  settings.SetCopies(3);
  EXPECT_FALSE(settings.IsBound());
  EXPECT_EQ(settings.GetCopies(), 3);
}

}  // namespace

namespace {

// A printer that always gives Letter, whatever the record asked.
class LetterPrinter : public BindingSettings {
 public:
  void SyncWithPrinter() override {
    if (fBound) {
      fRecord.paperCode = 1;
      fRecord.paperWidth = 21590;
      fRecord.paperHeight = 27940;
    }
    BindingSettings::SyncWithPrinter();
  }
};

TEST(PrintSettings, PaperThePrinterDoesNotGiveIsReported) {
  LetterPrinter settings;
  EXPECT_EQ(Read(settings, StoredRecord(true), true), kPrintDiffersFromPrinter);
  // The record stays as the printer made it, and bound.
  EXPECT_EQ(settings.GetPaperCode(), 1);
  EXPECT_TRUE(settings.IsBound());
}

TEST(PrintSettings, RecordsAreComparedInWholeMillimetres) {
  VPrintRecord letter;
  letter.paperCode = 1;
  letter.paperWidth = 21590;
  letter.paperHeight = 27940;
  letter.marginLeft = letter.marginRight = 1000;
  struct Row {
    const char* what;
    void (*change)(VPrintRecord&);
    bool same;
  };
  const Row rows[] = {
      // Letter as a document of 96-dpi pixels gives it back: 216 x 279 mm.
      {"sizes off by less than half a millimetre", [](VPrintRecord& r) { r.paperWidth = 21600; r.paperHeight = 27900; }, true},
      {"a width a millimetre wider", [](VPrintRecord& r) { r.paperWidth = 21690; }, false},
      {"a margin within its millimetre", [](VPrintRecord& r) { r.marginLeft = 1099; }, true},
      {"a margin a millimetre wider", [](VPrintRecord& r) { r.marginLeft = 1100; }, false},
      {"turned", [](VPrintRecord& r) { r.landscape = 1; }, false},
      {"another paper code", [](VPrintRecord& r) { r.paperCode = 9; }, false},
      {"another scale", [](VPrintRecord& r) { r.scale = 90; }, false},
  };
  for (const Row& row : rows) {
    VPrintRecord other = letter;
    row.change(other);
    EXPECT_EQ(VPrintSettings::SamePrintRecord(letter, other), row.same) << row.what;
    EXPECT_EQ(VPrintSettings::SamePrintRecord(other, letter), row.same) << row.what;
  }
}

}  // namespace
