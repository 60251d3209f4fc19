// The picture commands on a form area and an offscreen one: a picture
// inserted into the text and sized, pictures placed on pages, read,
// changed, selected and deleted, a page as a picture, and the codes of
// bad handles, pages and positions, which change nothing.
#include <gtest/gtest.h>

#include "area/tests/TableCommandsSupport.h"

namespace {

using namespace tablecommands;

class PictureCommands : public TableCommands {
 protected:
  // Command 119 with a handle of `bytes` (none when empty): the code.
  int32_t Place(xMorvaPlugIn* area, const Bytes& bytes, int32_t page, double x, double y, int16_t notFirst = 0,
                int16_t behind = 0) {
    uint32_t handle = bytes.empty() ? 0 : NewHandleWith(bytes);
    Run(119, area->GetReference(), {&handle, &page, &x, &y, &notFirst, &behind});
    if (handle != 0) Tbx::DisposeHandle(handle);
    return Code(area);
  }
  struct Placed {
    int32_t page = -7;
    int16_t first = -7;
    int16_t second = -7;
    double lengths[6] = {-7, -7, -7, -7, -7, -7};
  };
  Placed Read(xMorvaPlugIn* area, int32_t n) {
    Placed out;
    Run(121, area->GetReference(),
        {&n, &out.page, &out.first, &out.second, &out.lengths[0], &out.lengths[1], &out.lengths[2], &out.lengths[3],
         &out.lengths[4], &out.lengths[5]});
    return out;
  }
};

TEST_F(PictureCommands, APictureGoesIntoTheTextAndTakesItsSize) {
  for (bool form : {true, false}) {
    SCOPED_TRACE(form);
    xMorvaPlugIn* area = Area(form);
    ASSERT_EQ(0, Place(area, HostPictureBytes(40, 30), 0, 0, 0));
    xMorvaEngine& body = Body(area);
    EXPECT_EQ(1, body.GetLength());
    double sizes[4] = {-1, -1, -1, -1};
    // Nothing selected: no picture (outputs cleared).
    Run(126, area->GetReference(), {&sizes[0], &sizes[1], &sizes[2], &sizes[3]});
    EXPECT_EQ(1034, Code(area));
    EXPECT_EQ(0, sizes[0]);
    body.SetSelection(0, 1);
    Run(126, area->GetReference(), {&sizes[0], &sizes[1], &sizes[2], &sizes[3]});
    EXPECT_EQ(0, Code(area));
    EXPECT_DOUBLE_EQ(40, sizes[0]);
    EXPECT_DOUBLE_EQ(30, sizes[1]);
    EXPECT_DOUBLE_EQ(40, sizes[2]);
    EXPECT_DOUBLE_EQ(30, sizes[3]);

    // Sizes: within the text width and the page's text height less 20.
    const xMorvaDocument& document = *area->GetDocument();
    const double widest = document.CurrentTextWidth();
    const double tallest = document.GetParams().TextHeight(0) - 20;
    struct Row {
      double w, h;
      int32_t code;
    } rows[] = {{80, 60, 0}, {widest, tallest, 0}, {widest + 1, 10, 1035}, {10, tallest + 1, 1035}, {-1, 10, 1035}};
    for (const Row& row : rows) {
      double w = row.w;
      double h = row.h;
      Run(125, area->GetReference(), {&w, &h});
      EXPECT_EQ(row.code, Code(area)) << row.w << " x " << row.h;
    }
    Run(126, area->GetReference(), {&sizes[0], &sizes[1], &sizes[2], &sizes[3]});
    EXPECT_DOUBLE_EQ(widest, sizes[2]);
    EXPECT_DOUBLE_EQ(tallest, sizes[3]);
    EXPECT_DOUBLE_EQ(40, sizes[0]);

    // Handed to the host: number 0, the picture of the element.
    int32_t number = -5;
    uint32_t picture = 0;
    Run(165, area->GetReference(), {&number}, &picture);
    EXPECT_EQ(0, Code(area));
    EXPECT_EQ(0, number);
    EXPECT_EQ(PictFrame(HandleBytes(picture)), std::make_pair(40, 30));
    Tbx::DisposeHandle(picture);
    // No picture selected: 1034 and the cleared outputs.
    body.SetSelection(1, 1);
    double w = 10;
    Run(125, area->GetReference(), {&w, &w});
    EXPECT_EQ(1034, Code(area));
    Run(165, area->GetReference(), {&number}, &picture);
    EXPECT_EQ(1034, Code(area));
    EXPECT_EQ(-1, number);
    EXPECT_EQ(0u, picture);
  }
}

TEST_F(PictureCommands, PlacingOnAPageChecksThePictureThePageAndThePosition) {
  xMorvaPlugIn* area = Area(true);
  xMorvaDocument& document = *area->GetDocument();
  const Bytes picture = HostPictureBytes(20, 10);
  const double width = document.GetParams().GetPageWidth();
  const double height = document.GetParams().GetPageHeight();
  document.SetCaretPage(0);
  struct Row {
    const char* name;
    Bytes bytes;
    int32_t page;
    double x, y;
    int32_t code;
    int32_t stored;
  } rows[] = {
      {"first page", picture, 1, 5, 6, 0, 0},
      {"current page", picture, -4, 5, 6, 0, 0},
      {"every page", picture, -1, 5, 6, 0, -1},
      {"every right page", picture, -3, 0, 0, 0, -3},
      {"last point of the page", picture, 1, width - 1, height - 1, 0, 0},
      {"page -5", picture, -5, 5, 6, 1082, 0},
      {"page past the document", picture, 2, 5, 6, 1082, 0},
      {"page 0 of the display numbers", picture, -100, 5, 6, 1082, 0},
      {"left of the page", picture, 1, -1, 6, 1036, 0},
      {"right of the page", picture, 1, width, 6, 1036, 0},
      {"below the page", picture, 1, 5, height, 1036, 0},
      {"no handle", {}, 1, 5, 6, 1065, 0},
      {"empty handle", Bytes(0), 1, 5, 6, 1065, 0},
      {"shorter than its header", Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, 5, 6, 1065, 0},
  };
  int32_t count = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.code, Place(area, row.bytes, row.page, row.x, row.y, 1, 0));
    if (row.code == 0) ++count;
    ASSERT_EQ(count, PagePictures(area).GetCount());
    if (row.code != 0) continue;
    const Placed placed = Read(area, count);
    EXPECT_EQ(row.stored, placed.page);
    EXPECT_EQ(1, placed.first);
    EXPECT_EQ(0, placed.second);
    EXPECT_DOUBLE_EQ(row.x, placed.lengths[0]);
    EXPECT_DOUBLE_EQ(row.y, placed.lengths[1]);
    EXPECT_DOUBLE_EQ(20, placed.lengths[2]);
    EXPECT_DOUBLE_EQ(10, placed.lengths[5]);
  }
  // The text is untouched by pictures placed on pages.
  EXPECT_EQ(0, Body(area).GetLength());
}

TEST_F(PictureCommands, PagePicturesAreReadChangedSelectedAndDeleted) {
  for (bool form : {true, false}) {
    SCOPED_TRACE(form);
    xMorvaPlugIn* area = Area(form);
    const double width = area->GetDocument()->GetParams().GetPageWidth();
    ASSERT_EQ(0, Place(area, HostPictureBytes(20, 10), 1, 5, 6));
    ASSERT_EQ(0, Place(area, HostPictureBytes(8, 8), 1, 50, 60));

    // Changes: page, flags, position, size; negative flags and sizes keep.
    struct Row {
      const char* name;
      int32_t page, first, second;
      double x, y, w, h;
      int32_t code;
      Placed expected;
    } rows[] = {
        {"moved and resized", 1, 1, 1, 7, 8, 30, 40, 0, {0, 1, 1, {7, 8, 20, 10, 30, 40}}},
        {"flags and size kept", -2, -1, -1, 9, 9, -1, -1, 0, {-2, 1, 1, {9, 9, 20, 10, 30, 40}}},
        {"page unknown: unchanged", 77, 0, 0, 9, 9, -1, -1, 0, {-2, 0, 0, {9, 9, 20, 10, 30, 40}}},
        {"position outside", 1, 0, 0, -1, 9, 1, 1, 1036, {-2, 0, 0, {9, 9, 20, 10, 30, 40}}},
        {"size leaves the page", 1, 0, 0, 9, 9, width - 8, 1, 1035, {-2, 0, 0, {9, 9, 20, 10, 30, 40}}},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      int32_t n = 1;
      int32_t page = row.page, first = row.first, second = row.second;
      double x = row.x, y = row.y, w = row.w, h = row.h;
      Run(122, area->GetReference(), {&n, &page, &first, &second, &x, &y, &w, &h});
      EXPECT_EQ(row.code, Code(area));
      const Placed placed = Read(area, 1);
      EXPECT_EQ(row.expected.page, placed.page);
      EXPECT_EQ(row.expected.first, placed.first);
      EXPECT_EQ(row.expected.second, placed.second);
      for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(row.expected.lengths[i], placed.lengths[i]) << i;
    }

    // Numbers that name no picture: 1083 for each command, nothing changed;
    // 121 answers zeros.
    for (int32_t n : {0, 3, -1}) {
      for (int32_t command : {121, 122, 123, 124}) {
        int32_t number = n;
        int32_t page = 1;
        double x = 1;
        Run(command, area->GetReference(), {&number, &page, &page, &page, &x, &x, &x, &x});
        EXPECT_EQ(1083, Code(area)) << command << " " << n;
      }
      const Placed none = Read(area, n);
      EXPECT_EQ(0, none.page);
      EXPECT_EQ(0, none.lengths[0]);
    }
    EXPECT_EQ(2, PagePictures(area).GetCount());

    // Selected, handed out with its number; deleted.
    int32_t two = 2;
    area->GetDocument()->SetAreaSetting(3, 0, nullptr);
    Run(124, area->GetReference(), {&two});
    EXPECT_EQ(0, Code(area));
    EXPECT_FALSE(area->GetDocument()->IsModified());
    int32_t number = 0;
    uint32_t picture = 0;
    Run(165, area->GetReference(), {&number}, &picture);
    EXPECT_EQ(2, number);
    EXPECT_EQ(PictFrame(HandleBytes(picture)), std::make_pair(8, 8));
    Tbx::DisposeHandle(picture);
    Run(123, area->GetReference(), {&two});
    EXPECT_EQ(0, Code(area));
    EXPECT_EQ(1, PagePictures(area).GetCount());
    EXPECT_FALSE(PagePictures(area).HasSelection());
  }
}

TEST_F(PictureCommands, APageIsHandedOutAsAPictureOfThePage) {
  xMorvaPlugIn* area = Area(false);
  xMorvaDocument& document = *area->GetDocument();
  document.Params().SetFirstPageNumber(5);
  struct Row {
    int32_t page;
    int32_t code;
  } rows[] = {{5, 0}, {4, 1086}, {6, 1086}, {1, 1086}};
  for (const Row& row : rows) {
    int32_t page = row.page;
    uint32_t picture = 77;
    Run(136, area->GetReference(), {&page}, &picture);
    EXPECT_EQ(row.code, Code(area)) << row.page;
    if (row.code != 0) {
      EXPECT_EQ(0u, picture);
      continue;
    }
    EXPECT_EQ(PictFrame(HandleBytes(picture)),
              std::make_pair(document.GetParams().GetPageWidth(), document.GetParams().GetPageHeight()));
    Tbx::DisposeHandle(picture);
  }
  // An area that does not resolve leaves the cleared result.
  int32_t page = 5;
  uint32_t picture = 77;
  Run(136, 0, {&page}, &picture);
  EXPECT_EQ(0u, picture);
}

}  // namespace
