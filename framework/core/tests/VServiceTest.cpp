// The service slots: one per interface, Install answering the one replaced,
// Remove taking away only the one it is given, and the list of installations
// run in order and undone in reverse.
#include "framework/core/VService.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Greeter {
 public:
  virtual ~Greeter() = default;
  virtual char Letter() = 0;
};

class A : public Greeter {
 public:
  char Letter() override { return 'a'; }
};
class B : public Greeter {
 public:
  char Letter() override { return 'b'; }
};

// A second interface with the same shape has its own slot.
class Other : public Greeter {};

struct Table {
  int (*value)();
};

A gA;
B gB;
const Table kTable{[] { return 7; }};
Greeter* TheB() { return &gB; }

std::string gLog;

TEST(VService, InstallAnswersTheOneItReplaces) {
  EXPECT_EQ(VService<Greeter>::Get(), nullptr);
  EXPECT_EQ(VService<Greeter>::Install(&gA), nullptr);
  EXPECT_EQ(VService<Greeter>::Install(&gB), &gA);
  EXPECT_EQ(VService<Greeter>::Get()->Letter(), 'b');
  EXPECT_EQ(VService<Other>::Get(), nullptr);
  EXPECT_EQ(VService<Greeter>::Install(nullptr), &gB);
  EXPECT_EQ(VService<Greeter>::Get(), nullptr);
}

TEST(VService, RemoveTakesAwayOnlyTheOneGiven) {
  struct Case {
    Greeter* installed;
    Greeter* removed;
    bool answer;
    Greeter* after;
  };
  const Case cases[] = {
      {&gA, &gA, true, nullptr},   // the installed one goes
      {&gA, &gB, false, &gA},      // one installed over it since stays
      {nullptr, &gA, false, nullptr},
      {&gA, nullptr, false, &gA},  // null removes nothing
  };
  for (const Case& c : cases) {
    VService<Greeter>::Install(c.installed);
    EXPECT_EQ(VService<Greeter>::Remove(c.removed), c.answer);
    EXPECT_EQ(VService<Greeter>::Get(), c.after);
  }
  VService<Greeter>::Install(nullptr);
}

TEST(VService, AnInstalledServicePutsBackTheOneBefore) {
  VService<Greeter>::Install(&gA);
  {
    VInstalledService<Greeter> lent(&gB);
    EXPECT_EQ(VService<Greeter>::Get(), &gB);
    {
      VInstalledService<Greeter> none(nullptr);
      EXPECT_EQ(VService<Greeter>::Get(), nullptr);
    }
    EXPECT_EQ(VService<Greeter>::Get(), &gB);
  }
  EXPECT_EQ(VService<Greeter>::Get(), &gA);
  VService<Greeter>::Install(nullptr);
}

TEST(VService, TheListInstallsInOrderAndRemovesInReverse) {
  gLog.clear();
  const VServiceInstallation list[] = {
      ServiceInstallation<Greeter, &gA>(),
      {[] { gLog += "+1"; }, [] { gLog += "-1"; }},
      ServiceInstallation<const Table, &kTable>(),
      {[] { gLog += "+2"; }, [] { gLog += "-2"; }},
      {nullptr, [] { gLog += "-3"; }},  // either half may be missing
      {[] { gLog += "+4"; }, nullptr},
  };
  InstallServices(list, 6);
  EXPECT_EQ(gLog, "+1+2+4");
  EXPECT_EQ(VService<Greeter>::Get(), &gA);
  ASSERT_NE(VService<const Table>::Get(), nullptr);
  EXPECT_EQ(VService<const Table>::Get()->value(), 7);
  RemoveServices(list, 6);
  EXPECT_EQ(gLog, "+1+2+4-3-2-1");
  EXPECT_EQ(VService<Greeter>::Get(), nullptr);
  EXPECT_EQ(VService<const Table>::Get(), nullptr);
}

TEST(VService, AnEntryMayNameAFunctionThatAnswersTheImplementation) {
  const VServiceInstallation entry = ServiceInstallation<Greeter, &TheB>();
  entry.install();
  EXPECT_EQ(VService<Greeter>::Get(), &gB);
  // Removing leaves a service installed over it since.
  VService<Greeter>::Install(&gA);
  entry.remove();
  EXPECT_EQ(VService<Greeter>::Get(), &gA);
  VService<Greeter>::Install(&gB);
  entry.remove();
  EXPECT_EQ(VService<Greeter>::Get(), nullptr);
}

}  // namespace
