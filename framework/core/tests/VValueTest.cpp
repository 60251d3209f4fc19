// The value model: kinds, the null flag, the defaults of the interface, the
// empty value and the multiple-value base.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/containers/VValueMultiple.h"

namespace {

// A value that fills in nothing but what the model requires of a class, so
// that every other operation shows the interface's default.
class BareValue : public VValueSingle {
 public:
  VValue* Clone() const override { return new BareValue; }
  int32_t GetKind() const override { return kValueLong; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  void Changed(uint8_t flag) override {
    ++changes;
    lastFlag = flag;
  }
  int changes = 0;
  uint8_t lastFlag = 0;
};

// Records which operation a neighbour value reached it through.
class Recorder : public VValueSingle {
 public:
  VValue* Clone() const override { return new Recorder; }
  int32_t GetKind() const override { return kValueWord; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  void Clear() override { calls += "Clear;"; }
  void Assign(const VValue& source, int32_t range) override {
    calls += "Assign;";
    assignedFrom = &source;
    assignRange = range;
  }
  std::string calls;
  const VValue* assignedFrom = nullptr;
  int32_t assignRange = 0;
};

class ThreeItems : public VValueMultiple {
 public:
  ThreeItems() : VValueMultiple(-1) {}
  int32_t Count() const override { return 3; }
};

}  // namespace

TEST(ValueKinds, ElementAndArrayKindsMapOnlyTheirRanges) {
  EXPECT_EQ(VValue::ElementKindOf(100), 1);
  EXPECT_EQ(VValue::ElementKindOf(107), 8);
  EXPECT_EQ(VValue::ElementKindOf(109), 10);
  EXPECT_EQ(VValue::ElementKindOf(99), 0);
  EXPECT_EQ(VValue::ElementKindOf(110), 0);
  EXPECT_EQ(VValue::ArrayKindOf(1), 100);
  EXPECT_EQ(VValue::ArrayKindOf(8), kValueStringArray);
  EXPECT_EQ(VValue::ArrayKindOf(13), 112);
  EXPECT_EQ(VValue::ArrayKindOf(0), 0);
  EXPECT_EQ(VValue::ArrayKindOf(14), 0);
  EXPECT_EQ(VValue::ArrayKindOf(-1), 0);
}

TEST(Value, SetNullStoresTheFlagAndReportsTheChange) {
  BareValue v;
  EXPECT_FALSE(v.IsNull(kWholeValue));
  v.SetNull(true, kWholeValue);
  EXPECT_TRUE(v.IsNull(kWholeValue));
  EXPECT_EQ(v.changes, 1);
  EXPECT_EQ(v.lastFlag, 1);
  v.SetNull(false, 7);  // a single value ignores the range
  EXPECT_FALSE(v.IsNull(7));
  EXPECT_EQ(v.changes, 2);
}

TEST(Value, DefaultsAnswerNeutralValues) {
  BareValue v;
  EXPECT_TRUE(v.IsSingle());
  EXPECT_FALSE(v.IsMultiple());
  EXPECT_FALSE(v.IsInteger());
  EXPECT_FALSE(v.IsChangeHooked());
  v.SetLong(5, kWholeValue);
  v.SetReal(2.5, kWholeValue);
  v.SetBoolean(1, kWholeValue);
  EXPECT_FALSE(v.GetBoolean(kWholeValue));
  EXPECT_EQ(v.GetWord(kWholeValue), 0);
  EXPECT_EQ(v.GetLong(kWholeValue), 0);
  EXPECT_EQ(v.GetLongLong(kWholeValue), 0);
  EXPECT_EQ(v.GetTime(kWholeValue), 0);
  EXPECT_EQ(v.GetReal(kWholeValue), 0.0);
  EXPECT_EQ(v.GetDataSize(), 0u);
  // A setter that is not filled in changes nothing, the null flag included.
  EXPECT_EQ(v.changes, 0);
}

TEST(Value, DefaultGetDateWritesTheEmptyDateAndAnswersIt) {
  BareValue v;
  VDateRec date{5, 4, 2002};
  VDateRec& answer = v.GetDate(date, kWholeValue);
  EXPECT_EQ(&answer, &date);
  EXPECT_EQ(date.day, 0);
  EXPECT_EQ(date.month, 0);
  EXPECT_EQ(date.year, 0);
}

TEST(Value, DefaultFlatFormReadsAndWritesNothing) {
  BareValue v;
  uint8_t buffer[4] = {1, 2, 3, 4};
  EXPECT_EQ(v.ToData(buffer, kWholeValue), buffer);
  EXPECT_EQ(v.FromData(buffer, kWholeValue), buffer);
  EXPECT_EQ(buffer[0], 1);
  EXPECT_EQ(buffer[3], 4);
}

TEST(Value, DefaultCopyToClearsTheDestination) {
  BareValue v;
  Recorder r;
  v.CopyTo(r, kWholeValue);
  EXPECT_EQ(r.calls, "Clear;");
}

TEST(Value, DefaultConvertToAssignsThisValueAsAWhole) {
  BareValue v;
  Recorder r;
  v.ConvertTo(r, 3);
  EXPECT_EQ(r.calls, "Assign;");
  EXPECT_EQ(r.assignedFrom, &v);
  EXPECT_EQ(r.assignRange, kWholeValue);
}

TEST(Value, DefaultFormatToClearsTheDestinationString) {
  BareValue v;
  VStr<31> text;
  text.AppendCText("left over", kCharSetAnsi);
  text.SetNull(true, kWholeValue);
  v.FormatTo(text, nullptr, kWholeValue);
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_FALSE(text.IsNull(kWholeValue));
}

TEST(EmptyValue, IsAlwaysNullAndOfKindZero) {
  VEmptyValue e;
  EXPECT_TRUE(e.IsNull(kWholeValue));
  e.SetNull(false, kWholeValue);
  EXPECT_TRUE(e.IsNull(kWholeValue));
  e.SetNull(true, kWholeValue);
  EXPECT_TRUE(e.IsNull(kWholeValue));
  EXPECT_EQ(e.GetKind(), kValueEmpty);
  EXPECT_FALSE(e.IsSingle());
  EXPECT_FALSE(e.IsMultiple());
}

TEST(EmptyValue, ComparesAsMinusThousandWithAnything) {
  VEmptyValue e, other;
  BareValue v;
  EXPECT_EQ(e.Compare(other, 0, 0), -1000);
  EXPECT_EQ(e.Compare(v, 1, 1), -1000);
  EXPECT_EQ(e.Compare(e, 0, 0), -1000);
}

TEST(EmptyValue, CloneIsANewNullEmptyValue) {
  VEmptyValue e;
  std::unique_ptr<VValue> copy(e.Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy.get(), &e);
  EXPECT_EQ(copy->GetKind(), kValueEmpty);
  EXPECT_TRUE(copy->IsNull(kWholeValue));
  EXPECT_NE(dynamic_cast<VEmptyValue*>(copy.get()), nullptr);
}

TEST(ValueMultiple, AnswersItsOwnWayToTheValueInterface) {
  ThreeItems list;
  EXPECT_EQ(list.Clone(), nullptr);
  EXPECT_FALSE(list.IsSingle());
  EXPECT_FALSE(list.IsMultiple());
  EXPECT_EQ(list.GetKind(), 0);
  ThreeItems other;
  EXPECT_EQ(list.Compare(other, 0, 0), -1000);
  EXPECT_EQ(list.GetTag(), -1);
}

TEST(ValueMultiple, CountAllWithoutChildrenIsCount) {
  ThreeItems list;
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.CountAll(), 3);
}

TEST(EmptyValue, TaggedFormIsTheKindZeroAlone) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  stream.SetByteOrders(kByteOrderSetMacintosh, kByteOrderSetThisMachine);
  ASSERT_EQ(stream.OpenWrite(), kStreamNoError);
  VEmptyValue e;
  EXPECT_EQ(e.WriteToStream(stream, kTagVVAL), kStreamNoError);
  EXPECT_EQ(e.WriteToStream(stream, 0), kStreamNoError);  // untagged: no data at all
  EXPECT_EQ(stream.CloseWrite(1), kStreamNoError);
  ASSERT_EQ(gMemoryMgr->GetHandleSize(handle), 4u);
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  EXPECT_EQ(bytes[0] | bytes[1] | bytes[2] | bytes[3], 0);
  gMemoryMgr->UnlockHandle(handle);

  VHandleStream reader(handle);
  ASSERT_EQ(reader.OpenRead(), kStreamNoError);
  EXPECT_EQ(e.ReadFromStream(reader, kTagVVAL), kStreamNoError);
  EXPECT_EQ(reader.GetPosition(), 0u);  // nothing read
  reader.CloseRead();
  gMemoryMgr->DisposeHandle(handle);
}
