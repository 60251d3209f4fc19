// The structure, record and field-value wrappers: what each sends for its
// selector, and how it reads answers, failures included.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostStructure.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;
using hosttest::SeenCall;

using hosttest::Str;

void SetText(uint8_t* target, const std::string& text) {
  target[0] = static_cast<uint8_t>(text.size());
  std::memcpy(target + 1, text.data(), text.size());
}

TEST(HostStructure, GotoRecordSendsTheZeroBasedNumber) {
  RecordingHost host;
  host.answer = [](int32_t, HostParamBlock& b) { b.error = 0; };
  EXPECT_EQ(HostGotoRecord(3, 1, 1, 0), 0);
  EXPECT_EQ(HostGotoRecord(3, 10, 0, 1), 0);
  ASSERT_EQ(host.Count(kHostSelGotoRecord), 2);
  EXPECT_EQ(host.calls[0].block.record, 0u);
  EXPECT_EQ(host.calls[1].block.record, 9u);
  EXPECT_EQ(host.calls[1].block.flag2, 1);
}

TEST(HostStructure, FieldAtPointSendsTable0With49OutsideTheTables) {
  struct Case {
    int16_t table;
    int32_t selector;
    uint16_t sent;
  };
  const Case cases[] = {{0, kHostSelFieldAtPoint, 0}, {-2, kHostSelFieldAtPoint, 0},
                        {4, kHostSelFieldAtPoint, 0}, {1, kHostSelFieldAtPointInTable, 1},
                        {3, kHostSelFieldAtPointInTable, 3}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.answer = [](int32_t selector, HostParamBlock& b) {
      if (selector == kHostSelCountTables) b.param1 = 3;
      if (selector == kHostSelFieldAtPoint || selector == kHostSelFieldAtPointInTable) b.field = 7;
    };
    int16_t table = c.table, field = 0;
    HostFieldAtPoint(11, 12, table, field, true);
    const SeenCall& last = host.calls.back();
    EXPECT_EQ(last.selector, c.selector) << c.table;
    EXPECT_EQ(last.block.table, c.sent) << c.table;
    EXPECT_EQ(HostWordOf(last.block.param1), 11);
    EXPECT_EQ(HostWordOf(last.block.param2), 12);
    EXPECT_EQ(HostWordOf(last.block.param4), 911);
    EXPECT_EQ(field, 7);
  }
}

TEST(HostStructure, TableOrFieldNameJoinsWithoutSpaceAndFailsEmpty) {
  for (int failing : {0, kHostSelTableInfo, kHostSelFieldInfo}) {
    RecordingHost host;
    host.answer = [failing](int32_t selector, HostParamBlock& b) {
      b.error = selector == failing ? -1 : 0;
      if (selector == kHostSelTableInfo) SetText(b.text, "Clients");
      if (selector == kHostSelFieldInfo) SetText(b.text, "Name");
    };
    VStr<255> name;
    name.SetAnsiCText("left over");
    HostGetTableOrFieldName(name, 2, 5, false);
    EXPECT_EQ(Str(name), failing == 0 ? "[Clients]Name" : "") << failing;
  }
}

TEST(HostStructure, NamesAreClearedWhenTheHostWritesNothing) {
  RecordingHost host;
  VStr<255> name;
  name.SetAnsiCText("old");
  HostGetTableName(name, 1, false);
  EXPECT_EQ(Str(name), "");
  name.SetAnsiCText("old");
  HostGetFieldName(name, 1, 1, false);
  EXPECT_EQ(Str(name), "");
  EXPECT_FALSE(HostTableTest(1, false));
  int16_t table = 9, field = 9;
  HostGetFieldNumbers(name, table, field, false);
  EXPECT_EQ(table, 0);
  EXPECT_EQ(field, 0);
}

TEST(HostStructure, CompareSendsAWildcardTextSecondAndTurnsTheAnswer) {
  struct Case {
    const char* a;
    const char* b;
    int32_t answer;
    int32_t result;
    bool swapped;
  };
  const Case cases[] = {{"abc", "abd", 0, 0, false},  {"abc", "abd", 1, 1, false}, {"abc", "abd", 2, -1, false},
                        {"ab@", "abd", 1, -1, true},  {"ab@", "abd", 2, 1, true},  {"ab@", "abd", 0, 0, true}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.answer = [&c](int32_t, HostParamBlock& b) { b.param1 = HostWord(c.answer); };
    const auto* a = reinterpret_cast<const uint8_t*>(c.a);
    const auto* b = reinterpret_cast<const uint8_t*>(c.b);
    EXPECT_EQ(HostCompareOrSort60(a, 3, b, 3), c.result) << c.a << " " << c.answer;
    EXPECT_EQ(host.calls[0].block.param1, HostAddress(c.swapped ? b : a));
  }
}

TEST(HostStructure, CurrentFieldSkipsTheSecondCallWithoutAField) {
  RecordingHost host;
  int16_t table = 0, field = 0;
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelCurrentField) b.error = 0;  // none: 272 stays 0
  };
  EXPECT_TRUE(HostCurrentFieldCall303(table, field));
  EXPECT_TRUE(HostCurrentFieldCall383(table, field));
  EXPECT_EQ(host.Count(kHostSelCurrentField303) + host.Count(kHostSelCurrentField383), 0);
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kHostSelCurrentField) b.param1 = 1;
    if (selector == kHostSelCurrentField303) {
      b.error = 0;
      b.table = 4;
      b.field = 2;
    }
  };
  EXPECT_TRUE(HostCurrentFieldCall303(table, field));
  EXPECT_EQ(table, 4);
  EXPECT_EQ(field, 2);
  EXPECT_FALSE(HostCurrentFieldCall383(table, field));  // the host answers nothing to -383
}

TEST(HostStructure, FieldValueOnErrorIsNoneAndItsHandleIsDisposed) {
  RecordingHost host;
  Tbx::Handle given = 0;
  host.answer = [&given](int32_t selector, HostParamBlock& b) {
    if (selector != kHostSelGetField) return;
    given = Tbx::NewHandle(4);
    b.param1 = 2;
    b.valueHandle = given;
    b.textLength = 4;
    b.error = -3;
  };
  EXPECT_EQ(HostGetFieldAsValue(1, 1, false), nullptr);
  Tbx::GetHandleSize(given);
  EXPECT_NE(Tbx::MemError(), Tbx::noErr);
}

TEST(HostStructure, SetFieldSendsNothingForArraysAndUnwritableTypes) {
  for (int16_t type : {0, 30, 3, 23}) {
    RecordingHost host;
    host.answer = [type](int32_t selector, HostParamBlock& b) {
      if (selector == kHostSelFieldInfo) {
        b.error = 0;
        b.param1 = HostWord(type);
      }
    };
    VLongArray array(2);
    VLong single(5);
    EXPECT_FALSE(HostSetFieldFromValue(array, 1, 1, false)) << type;
    EXPECT_EQ(host.Count(kHostSelSetField), 0) << type;
    if (type != 0) {
      EXPECT_FALSE(HostSetFieldFromValue(single, 1, 1, false)) << type;
    }
    EXPECT_EQ(host.Count(kHostSelSetField), 0) << type;
  }
}

TEST(HostStructure, TableCount51IsTheAnswerPlusOneOr0) {
  struct Case {
    int16_t error;
    int32_t answer, result;
  };
  for (const Case c : {Case{0, 4, 5}, Case{0, 0, 1}, Case{-1, 4, 0}}) {
    RecordingHost host;
    host.answer = [c](int32_t, HostParamBlock& b) {
      b.error = c.error;
      b.param1 = HostWord(c.answer);
    };
    EXPECT_EQ(HostTableCount51(2), c.result);
  }
}

}  // namespace
