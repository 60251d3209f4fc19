// The further host requests answered in-process by the stand-in host: its
// lookups between numbers and texts, reals, state and modes, and the
// procedure form of a routine call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VReal.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostRequests.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostRoutineCall.h"
#include "qvhost/QvHost.h"

namespace {

std::string Str(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

VStr<255> Name(const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return name;
}

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

}  // namespace

TEST(HostRequestsThroughQvHost, LookupsBetweenNumbersAndTexts) {
  InProcessHost h;
  HostDatabase& db = h.host.Database();
  ASSERT_TRUE(db.DefineTable(3, "Clients"));
  ASSERT_TRUE(db.DefineName(-4, "Spring"));
  ASSERT_TRUE(db.DefineName(9, std::string(120, 'q')));

  VStr<255> text;
  HostCall505(3, text);
  EXPECT_EQ(Str(text), "Clients");
  for (uint32_t missing : {0u, 4u, 0x10003u}) {  // the high half names no table
    text.SetAnsiCText("kept");
    HostCall505(missing, text);
    EXPECT_TRUE(text.IsNull(kWholeValue)) << missing;
  }
  EXPECT_EQ(HostCall506(Name("Clients")), 3);
  EXPECT_EQ(HostCall506(Name("Nobody")), 0);
  EXPECT_EQ(HostCall508(Name("Spring")), -4);

  struct Case {
    bool tables;
    int16_t number;
    std::string expected;
  };
  const Case cases[] = {{true, 3, "Clients"}, {true, -3, ""}, {true, 8, ""},
                        {false, -4, "Spring"}, {false, 9, std::string(80, 'q')}, {false, 1, ""}};
  for (const Case& c : cases) {
    text.SetAnsiCText("kept");
    if (c.tables) {
      HostCall507(text, c.number);
    } else {
      HostCall509(text, c.number);
    }
    EXPECT_EQ(Str(text), c.expected) << c.number;
  }
}

TEST(HostRequestsThroughQvHost, RealsStateModesAndTables) {
  InProcessHost h;
  h.host.reals[{1, 2, 3}] = 1.25;
  h.host.reals[{4, 2, 3}] = -8.5;
  EXPECT_DOUBLE_EQ(HostGetReal510Kind1(2, 3), 1.25);
  EXPECT_DOUBLE_EQ(HostGetReal510Kind4(2, 3), -8.5);
  EXPECT_DOUBLE_EQ(HostGetReal510Kind3(2, 3), 0.0);  // none of that kind

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
  EXPECT_EQ(HostGetValue90ForValue(78), 0u);

  HostCall500(Name("\xA5x"), 1, 2, 3, 4, 5);
  HostCall501(-1, 2, 3, 4, 5, 6);
  HostCall65();
  EXPECT_EQ(h.host.CountCalls(kHostSelCall500) + h.host.CountCalls(kHostSelCall501) +
                h.host.CountCalls(kHostSelCall65),
            3);
  EXPECT_EQ(h.host.Log().back().text, "call");
}

TEST(HostRequestsThroughQvHost, VariableEntriesAndProcedures) {
  InProcessHost h;
  HostVariableEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.type = kHostReal;
  const double rate = 2.5;
  std::memcpy(reinterpret_cast<uint8_t*>(&entry.value), &rate, sizeof rate);
  EXPECT_TRUE(HostSetVariableEntry(Name("rate"), kScopeDetect, entry, 0));
  EXPECT_FALSE(HostSetVariableEntry(Name("$rate"), kScopeDetect, entry, 0));
  HostVariableEntry back;
  std::memset(&back, 0, sizeof back);
  back.type = kHostUndefined;
  ASSERT_TRUE(HostGetVariable(back, Name("rate"), kScopeDetect));
  EXPECT_EQ(back.type, kHostReal);
  double real = 0;
  std::memcpy(&real, reinterpret_cast<const uint8_t*>(&back.value), sizeof real);
  EXPECT_DOUBLE_EQ(real, 2.5);

  std::vector<double> seen;
  h.host.DefineRoutine("Note", [&](HostVariableEntry* entries, uint32_t count) {
    // Entries are packed: the real is read bytewise.
    for (uint32_t k = 1; k <= count; ++k) {
      double real = 0;
      std::memcpy(&real, reinterpret_cast<const uint8_t*>(&entries[k].value), sizeof real);
      seen.push_back(real);
    }
  });
  VHostRoutineCall call(Name("Note"));
  VReal a(1.5), b(-2);
  call.CallProcedure({&a, &b, nullptr, &a});
  EXPECT_EQ(seen, (std::vector<double>{1.5, -2}));
  EXPECT_EQ(h.host.releasedEntries, 2);
  VHostRoutineCall missing(Name("Absent"));
  missing.CallProcedure({&a});
  EXPECT_EQ(h.host.releasedEntries, 2);
  EXPECT_EQ(h.host.CountCalls(kHostSelRunRoutine), 1);
}
