// The further host requests answered in-process by the stand-in host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostRequests.h"
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
