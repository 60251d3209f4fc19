// The resource byte-order procedure: the layout of each of the framework's
// types in both directions, short data, untrusted counts, and the package's types.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/host/VHostBridge.h"
#include "boundary/ModuleExports.h"

namespace {

uint32_t Type(const std::string& code) {
  return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
         (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

// Builds a resource in both forms at once: `stored` as the file holds it
// (big-endian) and `native` as code must see it, and remembers which bytes
// belong to which converted field so that short data can be judged.
struct Res {
  std::vector<uint8_t> stored, native;
  struct Field {
    size_t offset, length;
  };
  std::vector<Field> fields;  // the converted ones
  uint32_t next = 0x1102;     // distinct values whose bytes all differ

  template <typename T>
  Res& Value(T v) {
    fields.push_back({stored.size(), sizeof(T)});
    for (size_t i = sizeof(T); i-- > 0;) stored.push_back(uint8_t(v >> (8 * i)));
    const size_t at = native.size();
    native.resize(at + sizeof(T));
    std::memcpy(native.data() + at, &v, sizeof(T));
    return *this;
  }
  Res& w() { return Value<uint16_t>(uint16_t(next += 0x0203)); }
  Res& l() {
    next += 0x02030405;
    return Value<uint32_t>(next);
  }
  Res& n(uint16_t count) { return Value<uint16_t>(count); }
  Res& ws(int k) {
    for (int i = 0; i < k; ++i) w();
    return *this;
  }
  Res& ls(int k) {
    for (int i = 0; i < k; ++i) l();
    return *this;
  }
  // Bytes that no conversion touches.
  Res& b(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const uint8_t v = uint8_t(0xA0 + stored.size());
      stored.push_back(v);
      native.push_back(v);
    }
    return *this;
  }
  Res& ptext(const std::string& s) {
    stored.push_back(uint8_t(s.size()));
    native.push_back(uint8_t(s.size()));
    stored.insert(stored.end(), s.begin(), s.end());
    native.insert(native.end(), s.begin(), s.end());
    return *this;
  }
};

// One sample of every type, with counts above 1 and nested counts, so that a
// count read in the wrong order or a wrong width shows.
struct Sample {
  const char* type;
  std::function<void(Res&)> build;
};

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = [] {
    std::vector<Sample> s;
    auto rest = [](Res& r) { r.ws(5); };
    auto control = [](Res& r) { r.ls(5); };
    s.push_back({"xVER", [](Res& r) { r.l(); }});
    s.push_back({"TIPS", [](Res& r) { r.n(2).ws(4); }});
    s.push_back({"FPUT", [](Res& r) {
                   r.b(2).ws(2).b(32).w().n(2);
                   for (int i = 0; i < 2; ++i) r.b(32).ls(3);
                 }});
    s.push_back({"FGET", [](Res& r) {
                   r.b(2).ws(2).b(32).w().n(2);
                   r.b(32).l().n(2).ls(2);
                   r.b(32).l().n(3).ls(3);
                 }});
    s.push_back({"FMAP", [](Res& r) { r.n(2).ls(3).b(2).ls(3).b(2); }});
    s.push_back({"XPRF", [](Res& r) { r.l().n(2).l().ws(2).l().ws(2); }});
    s.push_back({"BLFI", [](Res& r) { r.n(3).b(2).l().b(2).l().b(2).l(); }});
    s.push_back({"XCAT", [](Res& r) {
                   r.n(2);
                   r.b(32).n(1).l().w();
                   r.b(32).n(2).l().w().l().w();
                 }});
    s.push_back({"XCOM", [](Res& r) { r.n(2).l().b(32).l().b(32); }});
    s.push_back({"XKEY", [](Res& r) { r.n(2).l().b(2).l().b(2); }});
    s.push_back({"DOCK", [](Res& r) { r.b(10); }});
    s.push_back({"XDOK", rest});
    s.push_back({"XTH#", rest});
    s.push_back({"XIC#", rest});
    s.push_back({"XDVE", [](Res& r) { r.l(); }});
    s.push_back({"XBAR", [](Res& r) { r.b(2).ls(2).b(32).n(2).l().w().l().w(); }});
    s.push_back({"XMBA", [](Res& r) { r.b(2).ls(2).b(96).n(2).l().w().l().w(); }});
    s.push_back({"XMBU", [=](Res& r) { control(r), r.b(32).ws(2).l().w(); }});
    s.push_back({"XKLI", [=](Res& r) { control(r), r.w(); }});
    s.push_back({"XTXT", [=](Res& r) { control(r), r.ws(2); }});
    s.push_back({"XCCH", [=](Res& r) { control(r), r.ws(3); }});
    s.push_back({"XICO", [=](Res& r) { control(r), r.b(32).w().ws(4); }});
    s.push_back({"XBUT", [=](Res& r) { control(r), r.b(32).ws(2); }});
    s.push_back({"XEDT", [=](Res& r) { control(r), r.b(32).ws(3); }});
    s.push_back({"XDRP", [=](Res& r) {
                   control(r), r.b(32).ws(3).l().b(2).n(2);
                   r.w().b(64).w().b(64);
                 }});
    s.push_back({"XDRE", [](Res& r) { r.ls(2).w(); }});
    s.push_back({"XCHK", [=](Res& r) { control(r), r.b(32).w(); }});
    s.push_back({"XRAD", [=](Res& r) { control(r), r.b(32).w(); }});
    s.push_back({"XMBR", [](Res& r) { r.b(64).ws(3); }});
    s.push_back({"XMNU", [](Res& r) {
                   r.b(32).l().n(2);
                   for (int i = 0; i < 2; ++i) r.b(32).ws(2).ls(2).b(2).w();
                 }});
    s.push_back({"4SAM", [](Res& r) { r.ws(2); }});
    s.push_back({"XTHM", [](Res& r) { r.b(32).ws(2).n(2).ls(2).w().ls(2).w(); }});
    s.push_back({"XPRO", [](Res& r) { r.b(32).n(3).ls(3); }});
    for (const char* t : {"lwra", "char", "diac", "lowr", "upra", "sort", "lwrn", "uppr", "uprn", "uset"})
      s.push_back({t, [](Res& r) { r.ws(4); }});
    auto toByte = [](Res& r) {
      r.n(3).n(2);                    // 3-byte sequences in 4-byte fields; two ranges
      r.n(0x20).n(0x21).b(8);         // two characters
      r.n(0x100).n(0x100).b(4);       // one character
    };
    s.push_back({"umac", toByte});
    s.push_back({"uwin", toByte});
    auto fromByte = [](Res& r) { r.n(1).ws(256); };
    s.push_back({"macu", fromByte});
    s.push_back({"winu", fromByte});
    s.push_back({"XDLN", [](Res& r) { r.n(3).l().ptext("Deutsch").l().ptext("").l().ptext("x"); }});
    s.push_back({"XDLC", [](Res& r) { r.n(2).l().ws(5).ls(2).l().ws(5).ls(2); }});
    return s;
  }();
  return samples;
}

Res Build(const Sample& sample) {
  Res r;
  sample.build(r);
  return r;
}

// The data in a block of exactly its size, so that the sanitizer sees any
// byte read or written outside it.
struct Block {
  explicit Block(const std::vector<uint8_t>& bytes) : size(bytes.size()), data(new uint8_t[bytes.size()]) {
    if (size) std::memcpy(data.get(), bytes.data(), size);
  }
  std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(data.get(), data.get() + size); }
  uint8_t Swap(uint8_t direction, uint32_t type) {
    return SwapRsrcProc(direction, type, static_cast<uint32_t>(size), data.get());
  }
  size_t size;
  std::unique_ptr<uint8_t[]> data;
};

std::vector<uint8_t> Swapped(uint8_t direction, const std::string& type, const std::vector<uint8_t>& bytes,
                             uint8_t* answer = nullptr) {
  Block block(bytes);
  const uint8_t a = block.Swap(direction, Type(type));
  if (answer) *answer = a;
  return block.Bytes();
}

class FakePackage : public VHostBridge {
 public:
  uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) override {
    ++calls;
    lastDirection = direction;
    lastType = type;
    lastSize = size;
    lastData = data;
    return answer;
  }
  int calls = 0;
  uint8_t lastDirection = 9;
  uint32_t lastType = 0, lastSize = 0;
  void* lastData = nullptr;
  uint8_t answer = 1;
};

class SwapRsrcProcTest : public testing::Test {
 protected:
  void TearDown() override { VHostBridgeService::Install(nullptr); }
};

TEST(SwapRsrcProc, KnowsFortyNineTypes) {
  std::set<std::string> types;
  for (const Sample& s : Samples()) types.insert(s.type);
  EXPECT_EQ(types.size(), 49u);
  EXPECT_EQ(Samples().size(), 49u);
}

TEST(SwapRsrcProc, EveryTypeTurnsStoredIntoNativeAndBack) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.type);
    const Res r = Build(s);
    uint8_t answer = 0;
    EXPECT_EQ(Swapped(1, s.type, r.stored, &answer), r.native);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(Swapped(0, s.type, r.native, &answer), r.stored);
    EXPECT_EQ(answer, 1);
  }
}

TEST(SwapRsrcProc, ShortDataIsConvertedAsFarAsWholeFieldsReach) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.type);
    const Res r = Build(s);
    for (size_t len = 0; len < r.stored.size(); ++len) {
      // A field wholly inside the first len bytes is converted; the rest stays stored.
      std::vector<uint8_t> expect(r.stored.begin(), r.stored.begin() + len);
      for (const Res::Field& f : r.fields)
        if (f.offset + f.length <= len)
          std::memcpy(expect.data() + f.offset, r.native.data() + f.offset, f.length);
      std::vector<uint8_t> part(r.stored.begin(), r.stored.begin() + len);
      uint8_t answer = 0;
      ASSERT_EQ(Swapped(1, s.type, part, &answer), expect) << "length " << len;
      EXPECT_EQ(answer, 1);
      std::vector<uint8_t> back = Swapped(0, s.type, expect);
      EXPECT_EQ(back, part) << "length " << len;
    }
  }
}

TEST(SwapRsrcProc, TipsExample) {
  const std::vector<uint8_t> stored = {0x00, 0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
  const std::vector<uint8_t> native = {0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00};
  EXPECT_EQ(Swapped(1, "TIPS", stored), native);
  EXPECT_EQ(Swapped(0, "TIPS", native), stored);
}

TEST(SwapRsrcProc, FgetConvertsIdenticallyInBothDirections) {
  // Inner counts of 2 and 3 read in the wrong order would claim 512 and 768
  // values and take the next group's bytes for them.
  Res r;
  r.b(2).ws(2).b(32).w().n(3);
  r.b(32).l().n(2).ls(2);
  r.b(32).l().n(3).ls(3);
  r.b(32).l().n(0).b(0);
  EXPECT_EQ(Swapped(1, "FGET", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "FGET", r.native), r.stored);
}

TEST(SwapRsrcProc, XdokOfSevenBytesLeavesTheSeventh) {
  const std::vector<uint8_t> stored = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(Swapped(1, "XDOK", stored), (std::vector<uint8_t>{2, 1, 4, 3, 6, 5, 7}));
}

TEST(SwapRsrcProc, XdveOfThreeBytesIsLeftButAnswers1) {
  uint8_t answer = 0;
  EXPECT_EQ(Swapped(1, "XDVE", {1, 2, 3}, &answer), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(answer, 1);
}

TEST(SwapRsrcProc, XmbrOfSeventyBytesConvertsThreeValuesBehindSixtyFour) {
  std::vector<uint8_t> stored(70);
  for (size_t i = 0; i < stored.size(); ++i) stored[i] = uint8_t(i);
  std::vector<uint8_t> expect = stored;
  for (size_t i = 64; i < 70; i += 2) std::swap(expect[i], expect[i + 1]);
  uint8_t answer = 0;
  EXPECT_EQ(Swapped(1, "XMBR", stored, &answer), expect);
  EXPECT_EQ(answer, 1);
}

TEST(SwapRsrcProc, MacuWithFirstWord3TakesEntriesOfAValueAndFourBytes) {
  Res r;
  r.n(3).n(2).w().b(4).w().b(4);
  EXPECT_EQ(Swapped(1, "macu", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "winu", r.native), r.stored);
}

TEST(SwapRsrcProc, MacuWithKOf0TakesEntriesOfAValueAlone) {
  Res r;
  r.n(0).n(3).ws(3);
  EXPECT_EQ(Swapped(1, "macu", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "macu", r.native), r.stored);
}

TEST(SwapRsrcProc, MacuOfOneConvertsOnlyTheValuesInsideTheData) {
  Res r;
  r.n(1).ws(10).b(1);  // 256 values claimed, ten and a half present
  EXPECT_EQ(Swapped(1, "macu", r.stored), r.native);
}

TEST(SwapRsrcProc, XproCountBeyondTheDataConvertsOnlyWhatIsThere) {
  Res r;
  r.b(32).n(1000).ls(2).b(3);
  EXPECT_EQ(Swapped(1, "XPRO", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "XPRO", r.native), r.stored);
}

TEST(SwapRsrcProc, XproNegativeCountConvertsNothingBehindIt) {
  Res r;
  r.b(32).n(0xFFFE).b(8);  // -2
  EXPECT_EQ(Swapped(1, "XPRO", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "XPRO", r.native), r.stored);
}

TEST(SwapRsrcProc, UmacRangeWithLastBelowFirstHasNoBytes) {
  Res r;
  r.n(2).n(2);
  r.n(0x50).n(0x40);        // empty range: the next range follows at once
  r.n(0x41).n(0x42).b(4);   // two characters of two bytes
  EXPECT_EQ(Swapped(1, "umac", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "uwin", r.native), r.stored);
}

TEST(SwapRsrcProc, UmacWidthOf0HasNoBytes) {
  Res r;
  r.n(0).n(2).n(0x41).n(0x45).n(0x46).n(0x46);
  EXPECT_EQ(Swapped(1, "uwin", r.stored), r.native);
}

TEST(SwapRsrcProc, UmacOddWidthIsRoundedUpToEven) {
  Res r;
  r.n(1).n(2).n(0x41).n(0x42).b(4).n(0x43).n(0x43).b(2);
  EXPECT_EQ(Swapped(1, "umac", r.stored), r.native);
}

TEST(SwapRsrcProc, XdlnSkipsEachTextByItsLengthByte) {
  Res r;
  r.n(2).l().ptext("\x02\x01").l().ptext(std::string(255, 'z'));
  EXPECT_EQ(Swapped(1, "XDLN", r.stored), r.native);
  EXPECT_EQ(Swapped(0, "XDLN", r.native), r.stored);
}

TEST(SwapRsrcProc, ZeroCountGivesNoGroup) {
  Res r;
  r.n(0).b(6);
  EXPECT_EQ(Swapped(1, "TIPS", r.stored), r.native);
  EXPECT_EQ(Swapped(1, "XDLC", r.stored), r.native);
}

TEST(SwapRsrcProc, EmptyDataAnswers1) {
  for (const Sample& s : Samples()) {
    uint8_t answer = 0;
    Swapped(1, s.type, {}, &answer);
    EXPECT_EQ(answer, 1) << s.type;
    EXPECT_EQ(SwapRsrcProc(0, Type(s.type), 100, nullptr), 1) << s.type;
  }
}

TEST_F(SwapRsrcProcTest, UnknownTypeWithoutAPackageAnswers0AndLeavesTheData) {
  ASSERT_EQ(VHostBridgeService::Get(), nullptr);
  uint8_t answer = 1;
  EXPECT_EQ(Swapped(1, "ABCD", {1, 2, 3, 4}, &answer), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(Swapped(1, "STR#", {0, 1, 1, 'a'}, &answer), (std::vector<uint8_t>{0, 1, 1, 'a'}));
  EXPECT_EQ(answer, 0);
}

TEST_F(SwapRsrcProcTest, UnknownTypeGoesToThePackageUnchanged) {
  FakePackage package;
  VHostBridgeService::Install(&package);
  uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(SwapRsrcProc(0, Type("ABCD"), 6, data), 1);
  EXPECT_EQ(package.calls, 1);
  EXPECT_EQ(package.lastDirection, 0);
  EXPECT_EQ(package.lastType, Type("ABCD"));
  EXPECT_EQ(package.lastSize, 6u);
  EXPECT_EQ(package.lastData, data);
  package.answer = 0;  // a package that does not know the type either
  EXPECT_EQ(SwapRsrcProc(1, Type("WXYZ"), 6, data), 0);
  // The framework's own types never reach the package.
  EXPECT_EQ(SwapRsrcProc(1, Type("xVER"), 6, data), 1);
  EXPECT_EQ(package.calls, 2);
}

// Random bytes for every type, and damaged samples: the sanitizer reports any
// access outside the data, and going to native and back gives the bytes back.
TEST(SwapRsrcProc, RandomDataStaysInsideAndRoundTrips) {
  std::mt19937 rng(20240611);
  std::vector<std::string> types;
  for (const Sample& s : Samples()) types.push_back(s.type);
  types.push_back("ABCD");
  for (const std::string& type : types) {
    SCOPED_TRACE(type);
    for (int round = 0; round < 300; ++round) {
      std::vector<uint8_t> bytes(rng() % 700);
      for (uint8_t& v : bytes) {
        // Mostly small values, so that counts are often plausible.
        v = (rng() % 4 == 0) ? uint8_t(rng()) : uint8_t(rng() % 4);
      }
      Block block(bytes);
      block.Swap(1, Type(type));
      block.Swap(0, Type(type));
      ASSERT_EQ(block.Bytes(), bytes) << "round " << round;
      block.Swap(0, Type(type));
      block.Swap(1, Type(type));
      ASSERT_EQ(block.Bytes(), bytes) << "round " << round;
    }
  }
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.type);
    const Res r = Build(s);
    for (int round = 0; round < 200; ++round) {
      std::vector<uint8_t> bytes = r.stored;
      const size_t cut = bytes.empty() ? 0 : rng() % (bytes.size() + 1);
      bytes.resize(cut);
      for (int k = 0; k < 3 && !bytes.empty(); ++k) bytes[rng() % bytes.size()] = uint8_t(rng());
      Block block(bytes);
      block.Swap(1, Type(s.type));
      block.Swap(0, Type(s.type));
      ASSERT_EQ(block.Bytes(), bytes) << "round " << round;
    }
  }
}

// A package whose conversion throws, as a routine whose allocation fails
// would: the procedure is an entry point of the module, and ends the process
// with the framework heap's kind of message rather than let it reach the
// Toolbox or the host that called it.
class ThrowingPackage : public VHostBridge {
 public:
  explicit ThrowingPackage(bool outOfMemory) : fOutOfMemory(outOfMemory) {}
  uint8_t SwapResource(uint8_t, uint32_t, uint32_t, void*) override {
    if (fOutOfMemory) throw std::bad_alloc();
    throw std::runtime_error("refused");
  }

 private:
  bool fOutOfMemory;
};

void SwapThroughAThrowingPackage(bool outOfMemory) {
  ThrowingPackage package(outOfMemory);
  VHostBridgeService::Install(&package);
  uint8_t data[4] = {1, 2, 3, 4};
  SwapRsrcProc(1, Type("ABCD"), 4, data);
}

TEST(SwapRsrcProcDeathTest, AnExceptionReachingItEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    bool outOfMemory;
    const char* message;
  };
  for (const Case& c : {Case{true, "Qv Morva: out of memory: the language runtime's allocator failed"},
                        Case{false, "Qv Morva: an exception reached the module's entry point"}}) {
    EXPECT_DEATH(SwapThroughAThrowingPackage(c.outOfMemory), c.message);
  }
}

}  // namespace
