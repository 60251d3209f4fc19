// The stand-in host's coroutine processes: turns in the order processes
// were made, a body that returns ends its process, a process made by
// another runs in the same pass, delays skip turns, and yields with nothing
// to run are counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qvhost/HostProcessRunner.h"

namespace {

HostProcessRunner* gRunner = nullptr;
std::vector<std::string> gTrace;

void Counter(const char* name, int turns) {
  for (int i = 0; i < turns; ++i) {
    gTrace.push_back(std::string(name) + std::to_string(i) + "@" + std::to_string(gRunner->Current()));
    gRunner->Yield();
  }
}

void BodyA() { Counter("a", 2); }  // returns: the process ends
void BodyB() {
  Counter("b", 1);
  gRunner->EndCurrent();
  gTrace.push_back("b after its end");  // never reached
}
void BodyChild() { Counter("c", 1); }
void BodyParent() {
  gRunner->Start(&BodyChild, 9, "child");
  Counter("p", 1);
}
void BodySleeper() {
  gRunner->Delay(gRunner->Current(), 2);
  gTrace.push_back("s woke");
}

class ProcessRunner : public testing::Test {
 protected:
  void SetUp() override {
    gTrace.clear();
    gRunner = &runner;
  }
  void TearDown() override { gRunner = nullptr; }
  HostProcessRunner runner{1};
};

TEST_F(ProcessRunner, TurnsGoInOrderAndEndedProcessesStayEnded) {
  ASSERT_TRUE(runner.Start(&BodyA, 2, "a"));
  ASSERT_TRUE(runner.Start(&BodyB, 3, "b"));
  EXPECT_FALSE(runner.Start(nullptr, 4, "none"));
  EXPECT_EQ(runner.CountLive(), 2u);
  for (int i = 0; i < 4; ++i) runner.Yield();
  EXPECT_EQ(gTrace, (std::vector<std::string>{"a0@2", "b0@3", "a1@2"}));
  EXPECT_EQ(runner.CountLive(), 0u);
  EXPECT_FALSE(runner.IsLive(2));
  EXPECT_EQ(runner.NameOf(3), "b");
  EXPECT_EQ(runner.Current(), 1);
  EXPECT_FALSE(runner.InProcess());
  // The main process ending itself is nothing.
  runner.EndCurrent();
  EXPECT_EQ(runner.Current(), 1);
}

TEST_F(ProcessRunner, AProcessStartedByAnotherRunsInTheSamePass) {
  ASSERT_TRUE(runner.Start(&BodyParent, 2, "parent"));
  runner.Yield();
  EXPECT_EQ(gTrace, (std::vector<std::string>{"p0@2", "c0@9"}));
  runner.Yield();
  EXPECT_EQ(runner.CountLive(), 0u);
}

TEST_F(ProcessRunner, DelaysSkipTurnsAndIdleYieldsAreCounted) {
  ASSERT_TRUE(runner.Start(&BodySleeper, 2, "sleeper"));
  runner.Yield();  // the sleeper delays itself by two turns
  runner.Yield();
  runner.Yield();
  EXPECT_TRUE(gTrace.empty());
  EXPECT_EQ(runner.FruitlessYields(), 2u);
  runner.Yield();
  EXPECT_EQ(gTrace, std::vector<std::string>{"s woke"});
  EXPECT_EQ(runner.FruitlessYields(), 0u);
  runner.Yield();
  EXPECT_EQ(runner.FruitlessYields(), 1u);
}

}  // namespace
