// The document's progress status on its area's status bar: made only where
// a status bar shows and no quiet host command drives the document, silent
// until the work has lasted two seconds, then the bar's gauge with the
// package's message, removed when the status goes.
#include <memory>
#include <string>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaDocumentAreaServices.h"
#include "controls/bars/VToolBar.h"
#include "framework/core/streams/VStreamProgress.h"
#include "platform/win32/WinTime.h"

namespace {

using namespace areatest;

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += char(s.GetCharAt(i));
  return out;
}

class ProgressStatus : public AreaTest {
 protected:
  ~ProgressStatus() override { ReleaseHeadlessTickCount(); }
  // A form area whose status bar (an empty one, installed by the bar
  // itself) is shown.
  xMorvaPlugIn* AreaWithBar(VToolBar*& bar) {
    xMorvaPlugIn* area = NewFormArea();
    bar = new VToolBar(area, area->GetBarPort(), nullptr, 1);
    bar->SetVisible(true);
    return area;
  }
};

TEST_F(ProgressStatus, ALongReadShowsTheGaugeOnlyOnceItLastsAndHidesIt) {
  VToolBar* bar = nullptr;
  xMorvaDocument& document = *AreaWithBar(bar)->GetDocument();
  FreezeHeadlessTickCount(1000000);
  std::unique_ptr<VStreamProgress> status(document.NewProgressStatus(kProgressReadingRTF, 1000));
  ASSERT_NE(status, nullptr);
  EXPECT_FALSE(status->Progress(150));
  FreezeHeadlessTickCount(1000000 + 1990);  // 119 ticks: still counted only
  EXPECT_FALSE(status->Progress(150));
  EXPECT_EQ(bar->GetProgress(), nullptr);
  FreezeHeadlessTickCount(1000000 + 2050);
  EXPECT_FALSE(status->Progress(100));
  const VProgressGauge* gauge = bar->GetProgress();
  ASSERT_NE(gauge, nullptr);
  EXPECT_EQ(gauge->GetCurrent(), 400);
  EXPECT_EQ(gauge->GetTotal(), 1000);
  EXPECT_EQ(Text(gauge->GetMessage()), "Reading the RTF file");
  EXPECT_FALSE(status->Progress(600));
  EXPECT_EQ(gauge->GetFilled(), VProgressGauge::kFullWidth);
  status.reset();
  EXPECT_EQ(bar->GetProgress(), nullptr);
}

TEST_F(ProgressStatus, NoneWithoutAShownBarOrUnderAQuietHostCommand) {
  struct Row {
    const char* name;
    bool bar;
    bool barShown;
    bool hostCommand;
    bool quiet;
    bool made;
  };
  const Row rows[] = {
      {"shown bar", true, true, false, false, true},
      {"no bar", false, false, false, false, false},
      {"hidden bar", true, false, false, false, false},
      {"host command", true, true, true, false, true},
      {"quiet without a host command", true, true, false, true, true},
      {"quiet host command", true, true, true, true, false},
  };
  for (const Row& row : rows) {
    xMorvaPlugIn* area = NewFormArea();
    if (row.bar) (new VToolBar(area, area->GetBarPort(), nullptr, 1))->SetVisible(row.barShown);
    area->GetCommandState().redrawSuspended = row.quiet ? 1 : 0;
    xMorvaDocument& document = *area->GetDocument();
    document.SetInHostCommand(row.hostCommand);
    std::unique_ptr<VStreamProgress> status(document.NewProgressStatus(kProgressComposing, 5000));
    EXPECT_EQ(status != nullptr, row.made) << row.name;
    document.SetInHostCommand(false);
  }
  // An area without a host form shows no bar; a document without an area
  // has nothing to show it on.
  EXPECT_EQ(std::unique_ptr<VStreamProgress>(
                NewOffscreenArea()->GetDocument()->NewProgressStatus(kProgressWritingRTF, 5000)),
            nullptr);
  xMorvaDocument alone(nullptr);
  EXPECT_EQ(std::unique_ptr<VStreamProgress>(alone.NewProgressStatus(kProgressWritingRTF, 5000)),
            nullptr);
}

}  // namespace
