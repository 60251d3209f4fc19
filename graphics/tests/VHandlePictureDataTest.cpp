// The handle word of the picture values: adopting, re-adopting, detaching
// and letting go, with a disposal that only counts.
#include "graphics/pictures/VHandlePictureData.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CountingPicture : public VHandlePictureData {
 public:
  ~CountingPicture() override { LetGo(); }

  VValue* Clone() const override { return nullptr; }
  int32_t GetPictureKind() const override { return kPictureKindNone; }
  int32_t GetWidth() const override { return 0; }
  int32_t GetHeight() const override { return 0; }
  void GetSize(int32_t& width, int32_t& height) const override { width = height = 0; }
  void SetFromData(const void*, uint32_t) override {}

  std::vector<uint32_t>* disposed = nullptr;

 protected:
  void DisposeHeld(uint32_t handle) override { disposed->push_back(handle); }
};

TEST(HandlePictureData, AdoptsAndDisposesOnlyWhatItOwns) {
  std::vector<uint32_t> disposed;
  {
    CountingPicture picture;
    picture.disposed = &disposed;
    EXPECT_FALSE(picture.HasData());
    picture.SetHandle(7, true);
    EXPECT_TRUE(picture.HasData());
    EXPECT_EQ(picture.GetHandle(), 7u);
    EXPECT_TRUE(picture.OwnsHandle());
    picture.SetHandle(8, false);
    EXPECT_EQ(disposed, std::vector<uint32_t>{7});
    EXPECT_FALSE(picture.OwnsHandle());
    picture.SetHandle(9, true);
    EXPECT_EQ(disposed, std::vector<uint32_t>{7});
  }
  EXPECT_EQ(disposed, (std::vector<uint32_t>{7, 9}));
}

TEST(HandlePictureData, ReadoptingTheHeldHandleOnlyChangesOwnership) {
  std::vector<uint32_t> disposed;
  CountingPicture picture;
  picture.disposed = &disposed;
  picture.SetHandle(5, true);
  picture.SetHandle(5, false);
  EXPECT_TRUE(disposed.empty());
  EXPECT_EQ(picture.GetHandle(), 5u);
  EXPECT_FALSE(picture.OwnsHandle());
  picture.SetHandle(5, true);
  EXPECT_TRUE(picture.OwnsHandle());
  EXPECT_TRUE(disposed.empty());
}

TEST(HandlePictureData, HandleZeroIsNeverOwned) {
  std::vector<uint32_t> disposed;
  CountingPicture picture;
  picture.disposed = &disposed;
  picture.SetHandle(0, true);
  EXPECT_FALSE(picture.HasData());
  EXPECT_FALSE(picture.OwnsHandle());
  picture.SetHandle(0, true);
  EXPECT_TRUE(disposed.empty());
}

TEST(HandlePictureData, DetachedHandleIsHandedOverUndisposed) {
  std::vector<uint32_t> disposed;
  {
    CountingPicture picture;
    picture.disposed = &disposed;
    picture.SetHandle(3, true);
    EXPECT_EQ(picture.DetachHandle(), 3u);
    EXPECT_FALSE(picture.HasData());
    EXPECT_FALSE(picture.OwnsHandle());
    EXPECT_EQ(picture.DetachHandle(), 0u);
  }
  EXPECT_TRUE(disposed.empty());
}

}  // namespace
