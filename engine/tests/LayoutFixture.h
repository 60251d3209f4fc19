// The fixture of the document layout's tests: a document over real engines
// whose lines and pages are compared with a whole recomposition made apart.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "document/xMorvaLayoutInterface.h"
#include "engine/tests/DocumentFixture.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"

class LayoutTest : public DocumentTest {
 protected:
  LayoutTest() {
    layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
  }

  // A generated text of `paragraphs` paragraphs of 5 to 70 words.
  std::u16string Generated(std::mt19937& random, int paragraphs) {
    static const char16_t* const kWords[] = {u"a",     u"text",   u"of",     u"several", u"words",
                                             u"which", u"breaks", u"across", u"lines",   u"and",
                                             u"pages", u"now",    u"wide-ish", u"x"};
    std::u16string text;
    for (int p = 0; p < paragraphs; ++p) {
      for (int w = int(random() % 66) + 5; w > 0; --w) {
        text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
        text += w > 1 ? u" " : u"";
      }
      text += u"\r";
    }
    return text;
  }

  // The same stream, the tabs' laid-out widths within rounding (typing
  // narrows a tab by the unit's width instead of composing it again).
  static void ExpectSameLayout(const Bytes& kept, const Bytes& whole, const std::string& where) {
    ASSERT_EQ(whole.size(), kept.size()) << where;
    for (uint32_t at = 0; at < whole.size();) {
      const StreamItem item = ReadStreamItem(whole.data() + at, uint32_t(whole.size()) - at);
      uint32_t same = 0;
      if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Tab &&
          item.size >= kElementHeadSize + 14) {
        float widths[4];
        std::memcpy(widths, kept.data() + at + kElementHeadSize, 8);
        std::memcpy(widths + 2, whole.data() + at + kElementHeadSize, 8);
        ASSERT_NEAR(widths[2], widths[0], 0.01) << where << " tab at " << at;
        ASSERT_NEAR(widths[3], widths[1], 0.01) << where << " tab at " << at;
        ASSERT_EQ(0, std::memcmp(kept.data() + at, whole.data() + at, kElementHeadSize)) << where;
        same = kElementHeadSize + 8;
      }
      ASSERT_EQ(0, std::memcmp(kept.data() + at + same, whole.data() + at + same, item.size - same))
          << where << " item at " << at;
      at += item.size;
    }
  }

  // Every part's lines and the body's pages equal a whole recomposition
  // made apart, with a font of its own on the same port.
  void ExpectLikeWholeRecomposition(const std::string& where) {
    ASSERT_EQ(0, layout->Update()) << where;
    xMorvaFont font(document->GetMeasuringPort(), document.get());
    font.SetShowMarks(document->GetParams().GetViewFlag(15) != 0);
    font.SetViewMode(document->GetParams().GetViewMode());
    for (int16_t part = 0; part < kPartCount; ++part) {
      const xMorvaLines& lines = *layout->GetLines(part);
      xMorvaLines whole(document.get(), layout->GetEngine(part), part, 4);
      // Composition writes the tabs' layout into the stream: the kept
      // lines left it as a whole composition does.
      const Bytes laidOut = StreamBytes(*layout->GetEngine(part));
      ASSERT_EQ(0, whole.ComposeAll(font)) << where;
      ExpectSameLayout(laidOut, StreamBytes(*layout->GetEngine(part)), where);
      ASSERT_TRUE(lines.CheckSums()) << where << " part " << part;
      ASSERT_EQ(whole.GetLineCount(), lines.GetLineCount()) << where << " part " << part;
      for (int32_t i = 0; i < whole.GetLineCount(); ++i) {
        const xMorvaLineRecord& a = lines.GetLine(i);
        const xMorvaLineRecord& b = whole.GetLine(i);
        const auto fields = [](const xMorvaLineRecord& r) {
          return std::vector<int64_t>{r.bytes,  r.positions, r.flags,
                                      r.height, r.ascent,    r.spaces,
                                      r.available, r.state.GetProperty(kPropSize),
                                      r.state.GetProperty(kPropAlignment),
                                      r.state.GetProperty(kPropLeftIndent)};
        };
        ASSERT_EQ(fields(b), fields(a)) << where << " line " << i;
        ASSERT_FLOAT_EQ(b.width, a.width) << where << " line " << i;
      }
      ASSERT_EQ(whole.GetTotalHeight(), lines.GetTotalHeight()) << where;
      if (part != kPartBody) continue;
      xMorvaPages pages(document.get(), &whole);
      // The body starts below a header's lines and ends above a footer's
      // that reach over the margins from a band of no height.
      const xMorvaDocParams& params = document->GetParams();
      auto height = [&](int16_t part) {
        return layout->GetEngine(part)->GetLength() > 0 ? layout->GetLines(part)->GetTotalHeight() : 0;
      };
      auto body = [&](int32_t page, int32_t next) {
        const int32_t header = std::max(height(HeaderPartOfPage(params, page)), height(HeaderPartOfPage(params, next)));
        const int32_t footer = std::max(height(FooterPartOfPage(params, page)), height(FooterPartOfPage(params, next)));
        return xMorvaPages::BodyPlace{params.BodyTopMargin(page, header), params.TextHeight(page, header, footer)};
      };
      pages.SetBodyPlaces(body(0, 0), body(1, 2));
      ASSERT_EQ(0, pages.ComputePageBreaks(0));
      const xMorvaPages& kept = layout->GetPages();
      ASSERT_EQ(pages.GetPageCount(), kept.GetPageCount()) << where;
      for (int32_t p = 0; p < pages.GetPageCount(); ++p)
        ASSERT_TRUE(pages.GetPage(p) == kept.GetPage(p)) << where << " page " << p;
    }
  }

  xMorvaDocumentLayout* layout = nullptr;
};
