// The count and information commands on a form area and an offscreen one:
// every count kind against the text it counts, kinds out of range, and the
// informations set and read back.
#include <gtest/gtest.h>

#include "area/tests/TableCommandsSupport.h"
#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaLayoutInterface.h"

namespace {

using namespace tablecommands;

class CountCommands : public TableCommands {
 protected:
  int32_t Count(xMorvaPlugIn* area, int32_t kind) {
    int32_t result = -7;
    Run(143, area->GetReference(), {&kind}, &result);
    return result;
  }
};

TEST_F(CountCommands, EveryKindCountsWhatItNames) {
  for (bool form : {true, false}) {
    SCOPED_TRACE(form);
    xMorvaPlugIn* area = Area(form);
    xMorvaEngine& body = Body(area);
    for (char16_t c : std::u16string(u"one two\rthree ")) body.TypeCharacterWithUndo(c);
    VStr<16> text;
    text.SetAnsiCText("x");
    xMorvaHyperlink link(xMorvaHyperlink::kURL, true, text, text);
    ASSERT_EQ(0, body.InsertHyperlink(link, false));
    ASSERT_EQ(0, body.InsertPageNumberField(0, false));
    ASSERT_EQ(0, body.InsertHTMLExpression(24007, text, false));
    ASSERT_EQ(0, body.InsertHTMLExpression(24007, text, false));
    ASSERT_EQ(0, body.InsertHTMLExpression(24008, text, false));
    uint32_t handle = NewHandleWith(HostPictureBytes(4, 4));
    int32_t page = 1;
    double x = 1;
    Run(119, area->GetReference(), {&handle, &page, &x, &x});
    Tbx::DisposeHandle(handle);

    xMorvaTextStatistics counts;
    body.GetTextStatistics(counts);
    // Words: the three typed ones and the link's title.
    struct Row {
      int32_t kind;
      int64_t expected;
    } rows[] = {
        {0, counts.characters}, {1, 4}, {2, 2}, {3, counts.pictures}, {4, counts.hostExpressions},
        {5, counts.softHyphens}, {6, counts.pageBreaks}, {7, counts.columnBreaks}, {8, counts.datesAndTimes},
        {9, 1}, {10, area->GetDocument()->GetLayout()->GetLineCount(0)}, {11, 1},
        {12, area->GetDocument()->StyleSheetCount()}, {13, 1}, {14, 1}, {15, 1}, {16, 2},
    };
    for (const Row& row : rows) {
      EXPECT_EQ(row.expected, Count(area, row.kind)) << row.kind;
      EXPECT_EQ(0, Code(area)) << row.kind;
    }
    EXPECT_GE(Count(area, 10), 2);
    for (int32_t kind : {17, -1, 100}) {
      EXPECT_EQ(0, Count(area, kind)) << kind;
      EXPECT_EQ(1090, Code(area)) << kind;
    }
  }
  // No area: the cleared result.
  int32_t kind = 1;
  int32_t result = -7;
  Run(143, 0, {&kind}, &result);
  EXPECT_EQ(0, result);
}

TEST_F(CountCommands, InformationsAreSetAndReadBack) {
  xMorvaPlugIn* area = Area(true);
  areatest::PString title("Report"), subject("Sales"), author("Ann"), company("Qv");
  HostText notes("Long notes\rof two lines");
  Run(145, area->GetReference(), {title.bytes, subject.bytes, author.bytes, company.bytes, &notes.record});
  EXPECT_EQ(0, Code(area));
  EXPECT_TRUE(area->GetDocument()->IsModified());

  areatest::PString texts[4] = {areatest::PString("x"), areatest::PString("x"), areatest::PString("x"),
                                areatest::PString("x")};
  HostText readNotes("stale");
  int16_t created[3] = {-1, -1, -1};
  int16_t modified[3] = {-1, -1, -1};
  int32_t createdTime = -1, modifiedTime = -1;
  int16_t locked = 7;
  area->GetDocument()->Infos().SetLocked(1);
  Run(144, area->GetReference(),
      {texts[0].bytes, texts[1].bytes, texts[2].bytes, texts[3].bytes, &readNotes.record, created, &createdTime,
       modified, &modifiedTime, &locked});
  EXPECT_EQ(0, Code(area));
  EXPECT_EQ("Report", texts[0].Text());
  EXPECT_EQ("Sales", texts[1].Text());
  EXPECT_EQ("Ann", texts[2].Text());
  EXPECT_EQ("Qv", texts[3].Text());
  EXPECT_EQ("Long notes\rof two lines", readNotes.Text());
  const xMorvaDocInfos& infos = area->GetDocument()->Infos();
  EXPECT_EQ(infos.GetCreationDate().day, created[0]);
  EXPECT_EQ(infos.GetCreationDate().month, created[1]);
  EXPECT_EQ(infos.GetCreationDate().year, created[2]);
  EXPECT_EQ(infos.GetCreationTime(), createdTime);
  EXPECT_EQ(infos.GetModificationDate().year, modified[2]);
  EXPECT_EQ(infos.GetModificationTime(), modifiedTime);
  EXPECT_EQ(1, locked);

  // An area that does not resolve leaves every output cleared.
  Run(144, 0,
      {texts[0].bytes, texts[1].bytes, texts[2].bytes, texts[3].bytes, &readNotes.record, created, &createdTime,
       modified, &modifiedTime, &locked});
  EXPECT_EQ("", texts[0].Text());
  EXPECT_EQ(0u, readNotes.Handle());
  EXPECT_EQ(0, created[2]);
  EXPECT_EQ(0, modifiedTime);
  EXPECT_EQ(0, locked);
}

}  // namespace
