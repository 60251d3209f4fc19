// Host references: the '4OBJ' and '5OBJ' records read in either byte order,
// bad and truncated records, and the display of evaluated values.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VReal.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostRef.h"
#include "host/tests/HostTestSupport.h"

using hosttest::RecordingHost;

namespace {

using hosttest::Str;

// A record built byte by byte, in big- or little-endian order.
struct Record {
  bool big;
  std::vector<uint8_t> bytes;
  void Put(uint32_t v, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = big ? 8 * (width - 1 - i) : 8 * i;
      bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
  }
  void Text(const std::string& text) {  // UTF-16 string data
    Put(static_cast<uint32_t>(text.size()), 4);
    if (text.empty()) return;
    Put(2, 4);
    for (char c : text) Put(static_cast<uint8_t>(c), 2);
    Put(0, 2);
  }
};

Record Make(bool big, uint32_t tag, int16_t table, int16_t field, uint16_t formats,
            const std::string& format, const std::vector<uint8_t>& data) {
  Record r{big, {}};
  r.Put(tag, 4);
  r.Put(static_cast<uint16_t>(table), 2);
  r.Put(static_cast<uint16_t>(field), 2);
  if (tag == kHostRefOldTag) {
    r.Put(formats, 2);
  } else {
    r.bytes.push_back(static_cast<uint8_t>(formats >> 8));  // date
    r.bytes.push_back(static_cast<uint8_t>(formats));       // time
  }
  r.Text(format);
  r.Put(static_cast<uint32_t>(data.size()), 4);
  r.bytes.insert(r.bytes.end(), data.begin(), data.end());
  return r;
}

std::vector<uint8_t> DataOf(const VHostRef& ref) {
  const uint32_t h = ref.GetReferenceData();
  if (h == 0) return {};
  const int32_t size = Tbx::GetHandleSize(h);
  std::vector<uint8_t> out(static_cast<size_t>(size));
  std::memcpy(out.data(), Tbx::HLock(h), out.size());
  Tbx::HUnlock(h);
  return out;
}

}  // namespace

TEST(HostRef, OldFormatWordsGiveDateOrTimeFormats) {
  struct Case {
    uint16_t word;
    int32_t date;
    int32_t time;
  } const cases[] = {{150, 50, 0}, {250, 0, 50}, {99, 0, 0},  {299, 0, 0},
                     {100, 0, 0},  {198, 98, 0}, {298, 0, 98}};
  for (const Case& c : cases) {
    RecordingHost host;
    const Record r = Make(false, kHostRefOldTag, 0, 0, c.word, "", {});
    VHostRef ref(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
    EXPECT_TRUE(ref.WasRead());
    EXPECT_EQ(ref.GetOption(), c.date) << c.word;
    EXPECT_EQ(ref.GetFormat(), c.time) << c.word;
  }
}

TEST(HostRef, WrittenRecordReadsBackInEitherByteOrder) {
  RecordingHost host;
  int32_t swaps = 0;
  host.answer = [&](int32_t selector, HostParamBlock&) {
    swaps += selector == kHostSelSwapExpression;
  };
  const Tbx::Handle data = Tbx::NewHandle(6);
  std::memcpy(Tbx::HLock(data), "QVdata", 6);
  Tbx::HUnlock(data);
  VHostRef ref(data, false);
  VStr<255> format;
  format.SetAnsiCText("Yes;No");
  ref.SetFormatText(format);
  ref.SetFormat(3);
  ref.SetOption(-2);
  const VMemHandle stored = ref.ToHandle();
  ASSERT_NE(stored, 0u);
  const uint32_t size = gMemoryMgr->GetHandleSize(stored);
  std::vector<uint8_t> bytes(size);
  std::memcpy(bytes.data(), gMemoryMgr->LockHandle(stored), size);
  gMemoryMgr->UnlockHandle(stored);
  gMemoryMgr->DisposeHandle(stored);
  // The tag in the stream's (little-endian) order, the formats as bytes.
  ASSERT_GE(bytes.size(), 10u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "JBO5");
  EXPECT_EQ(bytes[8], 0xFE);
  EXPECT_EQ(bytes[9], 3);

  for (int order : {kByteOrderLittle, kByteOrderMacintosh}) {
    VMemoryStream stream(bytes.data(), size);
    ASSERT_EQ(stream.OpenRead(), kStreamNoError);
    stream.SetByteOrders(static_cast<int16_t>(order), kByteOrderKeep);
    VHostRef back(stream);
    EXPECT_EQ(stream.GetStatus(), kStreamNoError);
    EXPECT_EQ(stream.GetPosition(), size) << "the whole record is consumed";
    // The stream keeps the order it was given.
    int16_t dataOrder = 0, native = 0;
    stream.GetByteOrders(dataOrder, native);
    EXPECT_EQ(dataOrder, order);
    EXPECT_EQ(back.GetFormat(), 3);
    EXPECT_EQ(back.GetOption(), -2);
    VStr<255> text;
    back.GetFormatText(text);
    EXPECT_EQ(Str(text), "Yes;No");
    EXPECT_EQ(DataOf(back), (std::vector<uint8_t>{'Q', 'V', 'd', 'a', 't', 'a'}));
  }
  // Read in the other order, the data went through the host's conversion once.
  EXPECT_EQ(swaps, 1);
}

TEST(HostRef, BigEndianRecordReadsWithItsNumbers) {
  RecordingHost host;
  const Record r = Make(true, kHostRefTag, 3, 7, 0x0102, "0.00", {9, 9});
  VHostRef ref(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
  int16_t table = 0, field = 0;
  ref.GetNumbers(table, field);
  EXPECT_EQ(table, 3);
  EXPECT_EQ(field, 7);
  EXPECT_EQ(ref.GetOption(), 1);
  EXPECT_EQ(ref.GetFormat(), 2);
  EXPECT_EQ(DataOf(ref).size(), 2u);
  EXPECT_EQ(host.Count(kHostSelSwapExpression), 1);
}

TEST(HostRef, BadRecordsAreRefusedWithoutReadingPastThem) {
  RecordingHost host;
  // Another tag: nothing is read after it.
  {
    const Record r = Make(false, 0x584F424A, 3, 7, 0, "", {1});
    VMemoryStream stream(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
    ASSERT_EQ(stream.OpenRead(), kStreamNoError);
    VHostRef ref(stream);
    EXPECT_FALSE(ref.WasRead());
    EXPECT_EQ(stream.GetPosition(), 4u);
  }
  // A data length beyond the bytes left: no data, the stream stops at 200.
  {
    Record r = Make(false, kHostRefTag, 0, 0, 0, "", {1, 2, 3});
    r.bytes[r.bytes.size() - 7] = 0xFF;  // the length's low byte: 255
    VMemoryStream stream(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
    ASSERT_EQ(stream.OpenRead(), kStreamNoError);
    VHostRef ref(stream);
    EXPECT_EQ(ref.GetReferenceData(), 0u);
    EXPECT_EQ(stream.GetStatus(), kStreamEndOfData);
  }
  // A format text longer than the bytes left.
  {
    Record r = Make(false, kHostRefTag, 0, 0, 0, "ab", {});
    r.bytes[10] = 0x40;  // length 64 characters
    VMemoryStream stream(r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
    ASSERT_EQ(stream.OpenRead(), kStreamNoError);
    VHostRef ref(stream);
    EXPECT_NE(stream.GetStatus(), kStreamNoError);
    EXPECT_EQ(ref.GetReferenceData(), 0u);
  }
  // Every truncation of a good record reads without running past its end.
  const Record good = Make(true, kHostRefTag, 1, 2, 0x0304, "fmt", {5, 6, 7, 8});
  for (size_t n = 0; n < good.bytes.size(); ++n) {
    std::vector<uint8_t> cut(good.bytes.begin(), good.bytes.begin() + static_cast<long>(n));
    VHostRef ref(cut.data(), static_cast<uint32_t>(n));
    EXPECT_EQ(ref.GetReferenceData(), 0u) << n;
  }
}

TEST(HostRef, BooleansShowTheirFormatTexts) {
  struct Case {
    const char* format;
    bool value;
    const char* shown;
  } const cases[] = {{"Yes;No", true, "Yes"}, {"Yes;No", false, "No"}, {"Paid", true, "Paid"},
                     {"Paid", false, ""},     {";Empty", true, ""},    {"A;B;C", false, "B;C"}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.answer = [&](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelEvaluateExpression) {
        auto* entry = HostPointer<HostVariableEntry>(block.param1);
        entry->type = kHostBoolean;
        entry->value.boolean = c.value ? 1 : 0;
        block.error = 0;
      }
    };
    const Tbx::Handle data = Tbx::NewHandle(4);
    VHostRef ref(data, false);
    VStr<255> format;
    format.SetAnsiCText(c.format);
    ref.SetFormatText(format);
    std::unique_ptr<VValue> shown(ref.Evaluate());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->GetKind(), kValueString);
    EXPECT_EQ(Str(static_cast<VString&>(*shown)), c.shown) << c.format << " " << c.value;
    // The entry goes back to the host with 410.
    EXPECT_EQ(host.Count(kHostSelReleaseEntry), 1);
  }
}

TEST(HostRef, NumbersWithoutFormatStayNumbersAndEmptyReferencesGiveNothing) {
  RecordingHost host;
  host.answer = [&](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelEvaluateExpression) {
      auto* entry = HostPointer<HostVariableEntry>(block.param1);
      entry->type = kHostReal;
      entry->value.real = 2.5;
      block.error = 0;
    }
  };
  const Tbx::Handle data = Tbx::NewHandle(4);
  VHostRef ref(data, false);
  std::unique_ptr<VValue> value(ref.Evaluate());
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetKind(), kValueReal);
  EXPECT_DOUBLE_EQ(value->GetReal(kWholeValue), 2.5);
  VHostRef empty(0, 0, false);
  EXPECT_EQ(empty.Evaluate(), nullptr);
  // A host that fails the evaluation gives none and is not asked to release.
  RecordingHost failing;
  failing.answer = [](int32_t selector, HostParamBlock& block) {
    if (selector == kHostSelEvaluateExpression) block.error = -1;
  };
  const Tbx::Handle other = Tbx::NewHandle(4);
  VHostRef refused(other, false);
  EXPECT_EQ(refused.Evaluate(), nullptr);
  EXPECT_EQ(failing.Count(kHostSelReleaseEntry), 0);
}

namespace {

// The host's text format of the test: its letters in capitals, in place.
void Capitals(uint8_t* text, const uint8_t*) {
  for (int i = 1; i <= text[0]; ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = uint8_t(text[i] - 'a' + 'A');
}
void Filled() {}

// A text field's value goes through the host's text format when the
// routine holds it whole (254 characters); a longer one, a customer's note
// of 3,000 characters, shows whole, every word of it, never cut at 255.
TEST(HostRef, ATextFormatNeverCutsALongValue) {
  struct Row {
    size_t length;
    bool formatted;
  } const rows[] = {{9, true}, {254, true}, {255, false}, {3000, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    std::string words;
    for (int n = 1; words.size() < row.length; ++n) words += "word" + std::to_string(n) + " ";
    words.resize(row.length);
    RecordingHost host;
    host.answer = [&](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelDisplayRoutines) {
        auto* routines = HostPointer<VDisplayRoutines>(block.param1);
        routines->filled = &Filled;
        routines->textFormat = &Capitals;
      }
      if (selector == kHostSelEvaluateExpression) {
        auto* entry = HostPointer<HostVariableEntry>(block.param1);
        entry->type = kHostText;
        const Tbx::Handle text = Tbx::NewHandle(int32_t(words.size()));
        std::memcpy(Tbx::HLock(text), words.data(), words.size());
        Tbx::HUnlock(text);
        entry->value.text.length = int16_t(words.size());
        entry->value.text.handle = text;
        block.error = 0;
      }
    };
    VHostCallbackBridge bridge;
    VInstalledService<VHostBridge> installed(&bridge);
    ResetDisplayRoutines();
    VHostRef ref(Tbx::NewHandle(4), false);
    VStr<255> name;
    name.SetAnsiCText("Customer note");
    ref.SetFormatText(name);
    std::unique_ptr<VValue> shown(ref.Evaluate());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->GetKind(), kValueString);
    std::string expected = words;
    if (row.formatted)
      for (char& c : expected)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    EXPECT_EQ(Str(static_cast<VString&>(*shown)), expected);
  }
  ResetDisplayRoutines();
}

}  // namespace
