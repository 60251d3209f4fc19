// The module's host services answered in-process by the stand-in host: its
// tables, fields, records and variables kept in SQLite, reached through the
// host callback exactly as the module reaches them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostProcesses.h"
#include "host/context/HostRequests.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostStructure.h"
#include "host/context/HostVariables.h"
#include "boundary/HostSelectors.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Str;

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

// A stand-in host whose callback the module's host layer calls.
class InProcessHost {
 public:
  InProcessHost() : host(QvHostConfig{}) {
    previous = GetHostCallback();
    SetHostCallback(&QvHost::Callback);
  }
  ~InProcessHost() { SetHostCallback(previous); }
  QvHost host;
  HostCallback previous;
};

TEST(HostDataThroughQvHost, StructureAndRecords) {
  InProcessHost h;
  HostDatabase& db = h.host.Database();
  ASSERT_TRUE(db.DefineTable(1, "Clients"));
  ASSERT_TRUE(db.DefineTable(2, "Orders"));
  ASSERT_TRUE(db.DefineField(2, 1, "Number", 9));
  ASSERT_TRUE(db.DefineField(2, 2, "Note", 2));
  ASSERT_TRUE(db.SetRecordCount(2, 3));
  EXPECT_EQ(HostCountTables(false), 2);
  EXPECT_EQ(HostCountFields(2, false), 2);
  EXPECT_EQ(HostCountFields(7, false), 0);
  VStr<255> name;
  HostGetTableOrFieldName(name, 2, 2, true);
  EXPECT_EQ(Str(name), "[Orders]Note");
  HostGetTableOrFieldName(name, 2, 9, true);
  EXPECT_EQ(Str(name), "");
  int16_t table = 0, field = 0;
  HostGetFieldNumbers(Name("[Orders]Note"), table, field, false);
  EXPECT_EQ(table, 2);
  EXPECT_EQ(field, 2);
  HostGetFieldNumbers(Name("[Orders]None"), table, field, false);
  EXPECT_EQ(table, 0);
  // The option (911 at 284) is not taken for the host's answer there.
  EXPECT_TRUE(HostGetFieldFlagA(2, 2, true));
  EXPECT_TRUE(HostGetFieldFlagB(2, 2, true));
  EXPECT_FALSE(HostGetFieldFlagB(2, 9, true));
  EXPECT_EQ(HostFieldNumbersFromReference(Name("Orders]Number"), false), 2);
  EXPECT_EQ(HostGetRecordCount(2), 3u);
  // Records 1 to 3 exist; going to 4 fails and keeps the current one.
  EXPECT_EQ(HostGotoRecord(2, 3, 0, 0), 0);
  EXPECT_EQ(db.CurrentRecord(2), 2u);
  EXPECT_NE(HostGotoRecord(2, 4, 0, 0), 0);
  EXPECT_EQ(db.CurrentRecord(2), 2u);
}

// Each field type: a value written through the field's type and read back.
TEST(HostDataThroughQvHost, FieldValuesRoundTripByType) {
  struct Case {
    int16_t type;
    std::function<VValue*()> make;
    std::function<void(const VValue&)> check;
  };
  const Case cases[] = {
      {0, [] { return new VStr<255>(Name("Zoe")); },
       [](const VValue& v) { EXPECT_EQ(Str(static_cast<const VString&>(v)), "Zoe"); }},
      {1, [] { return new VReal(2.5); }, [](const VValue& v) { EXPECT_EQ(v.GetReal(kWholeValue), 2.5); }},
      {2, [] { return new VStr<255>(Name("a longer text")); },
       [](const VValue& v) { EXPECT_EQ(Str(static_cast<const VString&>(v)), "a longer text"); }},
      {4, [] { return new VDate(29, 2, 2024); },
       [](const VValue& v) {
         VDateRec d;
         v.GetDate(d, kWholeValue);
         EXPECT_EQ(d.day, 29);
         EXPECT_EQ(d.month, 2);
         EXPECT_EQ(d.year, 2024);
       }},
      {6, [] { return new VBoolean(1); }, [](const VValue& v) { EXPECT_TRUE(v.GetBoolean(kWholeValue)); }},
      {8, [] { return new VWord(-12); }, [](const VValue& v) { EXPECT_EQ(v.GetWord(kWholeValue), -12); }},
      {9, [] { return new VLong(-70000); }, [](const VValue& v) { EXPECT_EQ(v.GetLong(kWholeValue), -70000); }},
      {11, [] { return new VHour(3723); }, [](const VValue& v) { EXPECT_EQ(v.GetTime(kWholeValue), 3723); }},
  };
  InProcessHost h;
  HostDatabase& db = h.host.Database();
  ASSERT_TRUE(db.DefineTable(1, "T"));
  uint16_t number = 1;
  for (const Case& c : cases) {
    ASSERT_TRUE(db.DefineField(1, number, "F" + std::to_string(number), c.type));
    std::unique_ptr<VValue> value(c.make());
    EXPECT_TRUE(HostSetFieldFromValue(*value, 1, number, false)) << c.type;
    std::unique_ptr<VValue> back(HostGetFieldAsValue(1, number, false));
    ASSERT_NE(back, nullptr) << c.type;
    c.check(*back);
    ++number;
  }
  // No such field: no value, and nothing written.
  EXPECT_EQ(HostGetFieldAsValue(1, 99, false), nullptr);
  EXPECT_FALSE(HostSetFieldFromValue(VLong(1), 1, 99, false));
}

TEST(HostDataThroughQvHost, VariablesOfDatesAndTimesRoundTrip) {
  InProcessHost h;
  EXPECT_TRUE(HostSetVariable(VDate(31, 12, 1999), Name("vDate"), kScopeDetect, 0));
  EXPECT_TRUE(HostSetVariable(VHour(86399), Name("<>vTime"), kScopeDetect, 0));
  std::unique_ptr<VValue> date(HostGetVariableAsValue(Name("vDate"), kScopeDetect));
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->GetKind(), kValueDate);
  VDateRec d;
  date->GetDate(d, kWholeValue);
  EXPECT_EQ(d.day, 31);
  EXPECT_EQ(d.year, 1999);
  std::unique_ptr<VValue> time(HostGetVariableAsValue(Name("<>vTime"), kScopeDetect));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->GetKind(), kValueHour);
  EXPECT_EQ(time->GetTime(kWholeValue), 86399);
  // The interprocess variable is not a process one.
  EXPECT_EQ(HostGetVariableAsValue(Name("vTime"), kScopeDetect), nullptr);
  // A local name never reaches the host.
  h.host.ClearLog();
  EXPECT_FALSE(HostSetVariable(VLong(1), Name("$local"), kScopeDetect, 0));
  EXPECT_EQ(h.host.Log().size(), 0u);
}

// Array entries keep their count, current element and element bytes; a
// text array keeps each element's text.
TEST(HostDataThroughQvHost, ArrayEntriesRoundTrip) {
  InProcessHost h;
  auto send = [](int32_t selector, const char* name, HostVariableEntry& entry) {
    HostParamBlock block;
    block.text[0] = static_cast<uint8_t>(std::strlen(name));
    std::memcpy(block.text + 1, name, block.text[0]);
    block.handle = HostAddress(&entry);
    block.error = -1;
    CallHost(selector, block);
    return block.error;
  };
  const int32_t longs[4] = {0, 7, 0, -8};
  HostVariableEntry entry{};
  entry.type = kHostLongArray;
  entry.value.array.count = 3;
  entry.value.array.current = 2;
  entry.value.array.handle = Tbx::NewHandle(sizeof longs);
  std::memcpy(Tbx::HLock(entry.value.array.handle), longs, sizeof longs);
  Tbx::HUnlock(entry.value.array.handle);
  EXPECT_EQ(send(kHostSelSetVariable, "vLongs", entry), 0);
  Tbx::DisposeHandle(entry.value.array.handle);

  HostTextRecord texts[3] = {{0, 0}, {2, Tbx::NewHandle(2)}, {0, 0}};
  std::memcpy(Tbx::HLock(texts[1].handle), "hi", 2);
  Tbx::HUnlock(texts[1].handle);
  HostVariableEntry textEntry{};
  textEntry.type = kHostTextArray;
  textEntry.value.array.count = 2;
  textEntry.value.array.handle = Tbx::NewHandle(sizeof texts);
  std::memcpy(Tbx::HLock(textEntry.value.array.handle), texts, sizeof texts);
  Tbx::HUnlock(textEntry.value.array.handle);
  EXPECT_EQ(send(kHostSelSetVariable, "vTexts", textEntry), 0);
  Tbx::DisposeHandle(texts[1].handle);
  Tbx::DisposeHandle(textEntry.value.array.handle);

  std::unique_ptr<VValue> back(HostGetVariableAsValue(Name("vLongs"), kScopeDetect));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetLong(1), 7);
  EXPECT_EQ(back->GetLong(3), -8);
  EXPECT_EQ(static_cast<VArray*>(back.get())->GetCurrent(), 2);
  std::unique_ptr<VValue> textsBack(HostGetVariableAsValue(Name("vTexts"), kScopeDetect));
  ASSERT_NE(textsBack, nullptr);
  VStr<255> second;
  textsBack->FormatTo(second, nullptr, 1);
  EXPECT_EQ(Str(second), "hi");
  // A record entry is not kept: the host refuses it.
  HostVariableEntry record{};
  record.type = kHostRecord;
  EXPECT_NE(send(kHostSelSetVariable, "vRecord", record), 0);
}

}  // namespace

namespace {

TEST(HostServicesThroughQvHost, NamedDataConfirmationsAndMetafiles) {
  InProcessHost h;
  const uint8_t bytes[5] = {1, 2, 3, 0, 255};
  const Tbx::Handle data = Tbx::NewHandle(sizeof bytes);
  std::memcpy(Tbx::HLock(data), bytes, sizeof bytes);
  Tbx::HUnlock(data);
  EXPECT_FALSE(HostNameExists(Name("Report")));
  EXPECT_TRUE(HostWriteNamedData(data, Name("Report"), FourCC("TEXT"), 0));
  Tbx::DisposeHandle(data);
  EXPECT_TRUE(HostNameExists(Name("Report")));
  Tbx::Handle back = 0;
  ASSERT_TRUE(HostReadNamedData(back, Name("Report"), FourCC("TEXT")));
  ASSERT_EQ(Tbx::GetHandleSize(back), 5);
  EXPECT_EQ(std::memcmp(Tbx::HLock(back), bytes, sizeof bytes), 0);
  Tbx::HUnlock(back);
  Tbx::DisposeHandle(back);
  EXPECT_FALSE(HostReadNamedData(back, Name("Missing"), FourCC("TEXT")));
  EXPECT_EQ(h.host.CountCalls(kHostSelReadNamedData), 3);  // one try, then two for the missing name

  h.host.QueueConfirmation(true);
  const uint8_t question[] = {4, 'S', 'a', 'v', 'e'};
  EXPECT_TRUE(HostConfirm(question));
  EXPECT_FALSE(HostConfirm(question));  // no answer waiting: no
  EXPECT_EQ(HostMetafileCallEMF(0), 0u);
  EXPECT_GE(HostRoomLeft255(0), kHostMethodRoomNeeded);
}

}  // namespace

// The further requests: lookups, reals by kind, state, modes and tables.
TEST(HostRequestsThroughQvHost, LookupsBetweenNumbersAndTexts) {
  InProcessHost h;
  HostDatabase& db = h.host.Database();
  ASSERT_TRUE(db.DefineTable(3, "Clients"));
  ASSERT_TRUE(db.DefineName(-4, "Spring"));
  ASSERT_TRUE(db.DefineName(9, std::string(120, 'q')));
  VStr<255> text;
  HostCall505(3, text);
  EXPECT_EQ(Str(text), "Clients");
  HostCall505(0x10003, text);  // the high half names no table
  EXPECT_TRUE(text.IsNull(kWholeValue));
  EXPECT_EQ(HostCall506(Name("Clients")), 3);
  EXPECT_EQ(HostCall506(Name("Nobody")), 0);
  EXPECT_EQ(HostCall508(Name("Spring")), -4);
  const std::tuple<bool, int16_t, std::string> cases[] = {
      {true, 3, "Clients"}, {true, -3, ""}, {false, -4, "Spring"}, {false, 9, std::string(80, 'q')}, {false, 1, ""}};
  for (const auto& [tables, number, expected] : cases) {
    text.SetAnsiCText("kept");
    tables ? HostCall507(text, number) : HostCall509(text, number);
    EXPECT_EQ(Str(text), expected) << number;
  }
}

TEST(HostRequestsThroughQvHost, RealsStateModesAndTables) {
  InProcessHost h;
  h.host.reals[{4, 2, 3}] = -8.5;
  EXPECT_DOUBLE_EQ(HostGetReal510Kind4(2, 3), -8.5);
  EXPECT_DOUBLE_EQ(HostGetReal510Kind1(2, 3), 0.0);  // none of that kind
  h.host.stateFlag = 1;
  h.host.stateWord = -12;
  uint8_t flag = 0;
  int16_t word = 0;
  HostGetState178(flag, word);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(word, -12);
  HostSetMode179One();
  HostSetMode179Zero();
  HostSetMode179Two();
  EXPECT_EQ(h.host.modes, (std::vector<int32_t>{1, 0, 2}));
  ASSERT_TRUE(h.host.Database().DefineTable(2, "Orders"));
  EXPECT_TRUE(HostTableTest40(2));
  EXPECT_FALSE(HostTableTest40(5));
  h.host.values90[77] = 900;
  EXPECT_EQ(HostGetValue90ForValue(77), 900u);
}
