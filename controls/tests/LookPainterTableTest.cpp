// How a painter is chosen (the table the maker fills, lookups outside it,
// frames that take their parent's look, the port's standard fonts), and
// every look against bad kinds, states, boxes and texts.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/looks/LookPainterMaker.h"
#include "controls/looks/VCopLookPainter.h"
#include "controls/looks/VMacLookPainter.h"
#include "controls/looks/VWinLookPainter.h"
#include "controls/tests/LookTestSupport.h"
#include "graphics/VGraphicsStart.h"
#include "views/VFrame.h"
#include "views/VView.h"

namespace {

enum class Look { kMac, kWin, kCop, kNone };

Look LookOf(VLookPainter* p) {
  if (dynamic_cast<VMacLookPainter*>(p) != nullptr) return Look::kMac;
  if (dynamic_cast<VWinLookPainter*>(p) != nullptr) return Look::kWin;
  if (dynamic_cast<VCopLookPainter*>(p) != nullptr) return Look::kCop;
  return Look::kNone;
}

TEST(LookPainterMaker, MakesEachKindItsOwnPainter) {
  const std::pair<int32_t, Look> cases[] = {{0, Look::kMac},  {1, Look::kWin},  {2, Look::kWin},
                                            {3, Look::kCop},  {4, Look::kCop},  {5, Look::kNone},
                                            {-1, Look::kNone}, {100, Look::kNone}};
  for (const auto& [kind, want] : cases) {
    std::unique_ptr<VLookPainter> p(kLookPainterMaker.makePainter(kind));
    EXPECT_EQ(LookOf(p.get()), want) << kind;
  }
}

// The graphics started with the maker installed, as the module starts.
class LookTable : public testing::Test {
 protected:
  void SetUp() override {
    ExitGraphics();
    VLookPainterMakerService::Install(&kLookPainterMaker);
    InitGraphics();
  }
  void TearDown() override {
    ExitGraphics();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
};

TEST_F(LookTable, HoldsOneMacTwoWindowsAndTwoThirdLooks) {
  const Look want[kLookPainterCount] = {Look::kMac, Look::kWin, Look::kWin, Look::kCop, Look::kCop};
  for (int32_t kind = 0; kind < kLookPainterCount; ++kind) {
    EXPECT_EQ(LookOf(gLookPainters[kind]), want[kind]) << kind;
  }
  EXPECT_NE(gLookPainters[1], gLookPainters[2]);
  EXPECT_NE(gLookPainters[3], gLookPainters[4]);
}

TEST_F(LookTable, KindsOutsideTheTableTakeTheWindowsEntry) {
  for (int32_t kind : {-1, -2, 5, 100, -32768}) {
    EXPECT_EQ(LookPainterForKind(kind), gLookPainters[2]) << kind;
  }
  for (int32_t kind = 0; kind < kLookPainterCount; ++kind) {
    EXPECT_EQ(LookPainterForKind(kind), gLookPainters[kind]) << kind;
  }
}

TEST_F(LookTable, FramesBelowMinusOneTakeTheirParentsLook) {
  VView root(nullptr);
  auto* child = new VFrame(&root, nullptr);
  auto* grandchild = new VFrame(child, nullptr);
  const struct {
    int16_t root, child, grandchild;
    Look want;
  } cases[] = {
      {0, -2, -2, Look::kMac},  {0, -1, -2, Look::kWin}, {3, -2, -5, Look::kCop},
      {0, 2, -2, Look::kWin},   {-1, -2, -2, Look::kWin}, {-2, -2, -2, Look::kWin},
      {5, -2, -2, Look::kWin},  {100, -3, -2, Look::kWin}, {4, 0, -2, Look::kMac},
  };
  for (const auto& c : cases) {
    root.SetLookIndex(c.root);
    child->SetLookIndex(c.child);
    grandchild->SetLookIndex(c.grandchild);
    EXPECT_EQ(LookOf(grandchild->GetLookPainter()), c.want)
        << c.root << " " << c.child << " " << c.grandchild;
  }
}

TEST_F(LookTable, PortsFallBackOnMsSansSerifEightWhereThePainterHasNoFont) {
  LookCanvas canvas(8, 8);
  VPort& port = canvas.port();
  const struct {
    int16_t look;
    int32_t font;
    const char16_t* face;
    double size;
    bool bold;
  } cases[] = {
      {3, 3, u"MS Sans Serif", 8, false}, {3, 0, u"Arial", 10, true},
      {3, 9, u"MS Sans Serif", 8, false}, {1, 7, u"Arial", 10, false},
      {1, 8, u"MS Sans Serif", 8, false}, {1, 5, u"MS Sans Serif", 8, false},
  };
  for (const auto& c : cases) {
    port.SetLook(c.look);
    port.UseStandardFont(c.font);
    VStr<255> name;
    port.GetFontName(name);
    EXPECT_EQ(name.Compare(LookText(c.face), true), 0) << c.look << "/" << c.font;
    EXPECT_EQ(port.GetFontSize(), c.size) << c.look << "/" << c.font;
    EXPECT_EQ(port.IsBold(), c.bold) << c.look << "/" << c.font;
  }
}

// Every look, every kind from -1 to 38 and beyond, every state: degenerate
// boxes and texts draw without harm and are reported drawn.
TEST(LookBadInput, EveryKindStateBoxAndTextIsSurvived) {
  const GraphicsSession graphics;
  LookResources resources;
  VMacLookPainter mac;
  VWinLookPainter win;
  VCopLookPainter cop;
  VLookPainter* looks[] = {&mac, &win, &cop};
  const VStr<255> empty;
  const VStr<255> label = LookText(u"Ab");
  const VString* texts[] = {nullptr, &empty, &label};
  const int32_t states[] = {0, 1, 2, 3, 4, 5, 6, -100, -99, -98, -97, -96, -95, -94, -93, -1000};
  const struct {
    int32_t x, y, w, h;
  } boxes[] = {{5, 5, 0, 0}, {5, 5, -3, -7}, {5, 5, 1, 1}, {5, 5, 0, 12}, {5, 5, 40, -1},
               {-30, -30, 10, 10}};
  LookCanvas canvas(64, 64);
  for (VLookPainter* look : looks) {
    std::vector<int32_t> kinds{-1, 1000, 38, -2147483647};
    for (int32_t k = 0; k <= 37; ++k) kinds.push_back(k);
    for (int32_t kind : kinds) {
      for (int32_t state : states) {
        for (const auto& b : boxes) {
          for (const VString* text : texts) {
            EXPECT_TRUE(look->DrawElement(canvas.port(), kind, state, b.x, b.y, b.w, b.h, text, 7));
          }
        }
      }
    }
  }
}

TEST(LookBadInput, UnlistedKindsDrawTheWhiteBoxFramedInBlack) {
  const struct {
    Look look;
    int32_t kind;
  } cases[] = {
      {Look::kMac, 36}, {Look::kMac, 37}, {Look::kMac, 38},   {Look::kMac, -1},
      {Look::kWin, 36}, {Look::kWin, 37}, {Look::kWin, 1000}, {Look::kWin, -1},
      {Look::kCop, 36}, {Look::kCop, 38}, {Look::kCop, 1000}, {Look::kCop, -1},
  };
  VMacLookPainter mac;
  VWinLookPainter win;
  VCopLookPainter cop;
  LookCanvas canvas(20, 20);
  for (const auto& c : cases) {
    VLookPainter* look = c.look == Look::kMac ? static_cast<VLookPainter*>(&mac)
                         : c.look == Look::kWin ? static_cast<VLookPainter*>(&win)
                                                : static_cast<VLookPainter*>(&cop);
    canvas.Clear();
    EXPECT_TRUE(look->DrawElement(canvas.port(), c.kind, 0, 2, 2, 10, 8, nullptr, 0));
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 0)) << c.kind;
    EXPECT_EQ(canvas.At(11, 9), RGB(0, 0, 0)) << c.kind;
    EXPECT_EQ(canvas.At(6, 5), RGB(255, 255, 255)) << c.kind;
    EXPECT_EQ(canvas.At(12, 10), kLookGround) << c.kind;
  }
}

TEST(LookBadInput, OnePixelBoxesPaintOnePixel) {
  VWinLookPainter win;
  VCopLookPainter cop;
  LookCanvas canvas(8, 8);
  for (VLookPainter* look : {static_cast<VLookPainter*>(&win), static_cast<VLookPainter*>(&cop)}) {
    canvas.Clear();
    look->DrawElement(canvas.port(), 0, 0, 3, 3, 1, 1, nullptr, 0);
    EXPECT_EQ(canvas.Count(kLookGround, 0, 0, 8, 8), 63);
    EXPECT_NE(canvas.At(3, 3), kLookGround);
  }
}

}  // namespace
