// The typed array of owned picture values: ownership, copies that clone
// their pictures, the picture-only Assign, and the absent order and stream form.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VRefArray.h"
#include "framework/core/tests/VArrayTestSupport.h"

using namespace array_tests;

namespace {

// A picture value for the array: kind 10, an id, and a log of deletions.
class FakePicture : public VValueSingle {
 public:
  FakePicture(std::vector<int>* log, int id) : fLog(log), fId(id) {}
  ~FakePicture() override { fLog->push_back(fId); }
  // A copy gets the id + 100, so copies can be told from originals.
  VValue* Clone() const override { return new FakePicture(fLog, fId + 100); }
  int32_t GetKind() const override { return kValuePicture; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return -1000; }
  int Id() const { return fId; }

 private:
  std::vector<int>* fLog;
  int fId;
};

int IdAt(const VRefArray& a, int32_t index) {
  const auto* p = dynamic_cast<const FakePicture*>(a.GetAt(index));
  return p != nullptr ? p->Id() : 0;
}

}  // namespace

TEST(RefArray, KindsAndFlags) {
  VRefArray a;
  EXPECT_EQ(a.GetKind(), 109);
  EXPECT_EQ(a.GetElementKind(), 10);
  EXPECT_FALSE(a.IsSingle());
  EXPECT_FALSE(a.IsInteger());
  EXPECT_TRUE(a.IsMultiple());
}

TEST(RefArray, OwnsItsPicturesAndDeletesThemWhenDropped) {
  std::vector<int> log;
  {
    VRefArray a(3);
    a.SetAt(new FakePicture(&log, 1), 1);
    a.SetAt(new FakePicture(&log, 2), 2);
    a.SetAt(new FakePicture(&log, 3), 3);
    a.SetAt(new FakePicture(&log, 4), 1);
    EXPECT_EQ(log, (std::vector<int>{1}));
    a.SetCount(2, false);
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
    a.SetAt(new FakePicture(&log, 5), 7);
    EXPECT_EQ(log, (std::vector<int>{1, 3, 5}));
  }
  EXPECT_EQ(log, (std::vector<int>{1, 3, 5, 4, 2}));
}

TEST(RefArray, DetachAtHandsThePictureOut) {
  std::vector<int> log;
  VRefArray a(1);
  a.SetAt(new FakePicture(&log, 1), 1);
  std::unique_ptr<VValue> taken(a.DetachAt(1));
  EXPECT_EQ(a.GetAt(1), nullptr);
  taken.reset();
  EXPECT_EQ(log, (std::vector<int>{1}));
}

TEST(RefArray, CopiesCloneEveryPicture) {
  std::vector<int> log;
  VRefArray a;
  a.AppendObject(new FakePicture(&log, 1), false);
  a.AppendObject(nullptr, false);
  {
    VRefArray b(a);
    EXPECT_EQ(IdAt(b, 1), 101);
    EXPECT_EQ(b.GetAt(2), nullptr);
    std::unique_ptr<VValue> c(a.Clone());
    EXPECT_EQ(IdAt(*static_cast<VRefArray*>(c.get()), 1), 101);
  }
  EXPECT_EQ(log, (std::vector<int>{101, 101}));
  VRefArray d(1);
  d.SetAt(new FakePicture(&log, 7), 1);
  d = a;
  EXPECT_EQ(IdAt(d, 1), 101);
  EXPECT_EQ(log, (std::vector<int>{101, 101, 7}));
}

TEST(RefArray, DuplicatingClonesOnlyTheElementsWithinTheCount) {
  std::vector<int> log;
  VRefArray a;
  a.AppendObject(new FakePicture(&log, 1), false);
  a.AppendObject(new FakePicture(&log, 2), false);
  a.SetCount(1, false);
  EXPECT_EQ(log, (std::vector<int>{2}));
  VRefArray b(a);
  b.SetCount(2, false);
  EXPECT_EQ(b.GetAt(2), nullptr);
}

TEST(RefArray, AssignTakesACopyOfAPictureOnly) {
  std::vector<int> log;
  VRefArray a(2);
  FakePicture picture(&log, 1);
  a.Assign(picture, 1);
  EXPECT_EQ(IdAt(a, 1), 101);
  a.SetCopyAt(picture, 2);
  EXPECT_EQ(IdAt(a, 2), 101);
  RecordingValue notAPicture;
  a.Assign(notAPicture, 1);
  EXPECT_EQ(a.GetAt(1), nullptr);
  EXPECT_EQ(log, (std::vector<int>{101}));
  a.Assign(picture, 3);
  EXPECT_EQ(log, (std::vector<int>{101, 101}));
}

TEST(RefArray, CopyToAssignsThePictureOrClears) {
  std::vector<int> log;
  VRefArray a(2);
  a.SetAt(new FakePicture(&log, 1), 1);
  RecordingValue v;
  a.CopyTo(v, 1);
  EXPECT_EQ(v.last, "Assign");
  a.CopyTo(v, 2);
  EXPECT_EQ(v.last, "Clear");
}

TEST(RefArray, PicturesHaveNoOrderNoSearchAndNoStreamForm) {
  std::vector<int> log;
  VRefArray a;
  a.AppendObject(new FakePicture(&log, 1), false);
  a.AppendObject(new FakePicture(&log, 2), false);
  a.AppendObject(new FakePicture(&log, 3), false);
  FakePicture picture(&log, 9);
  EXPECT_EQ(a.Compare(picture, 0, 1), -1000);
  EXPECT_EQ(a.FindValue(picture, 1, true, 0), -1);
  a.Sort(false);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(IdAt(a, 1) + IdAt(a, 2) + IdAt(a, 3), 6);
  Bytes nothing = WriteOut(a, kTagVVAL);
  EXPECT_TRUE(nothing.empty());
  int32_t status = 0;
  WriteOut(a, 0, Order::Big, &status);
  EXPECT_EQ(status, -2);
  Bytes bytes;
  Put32(bytes, 0);
  EXPECT_EQ(ReadIn(a, bytes), -2);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_TRUE(log.empty());
}

TEST(RefArray, LinkedToANumberListItFollowsTheSort) {
  std::vector<int> log;
  VLongArray keys;
  AppendLongs(keys, {2, 1});
  VRefArray pictures;
  pictures.AppendObject(new FakePicture(&log, 20), false);
  pictures.AppendObject(new FakePicture(&log, 10), false);
  pictures.LinkTo(&keys);
  keys.Sort(false);
  EXPECT_EQ(IdAt(pictures, 1), 10);
  EXPECT_EQ(IdAt(pictures, 2), 20);
  EXPECT_TRUE(log.empty());
}
