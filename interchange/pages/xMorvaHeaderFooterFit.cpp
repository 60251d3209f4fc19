// The room a foreign file's headers and footers get on the page.
#include "interchange/pages/xMorvaHeaderFooterFit.h"

#include <algorithm>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "framework/core/strings/VUniString.h"

namespace {

// One line of the part in the font and size it begins with; 0 without
// the part.
int32_t FirstLineHeight(xMorvaDocument& document, int16_t part) {
  auto* text = static_cast<xMorvaEngine*>(document.GetPart(part));
  if (text == nullptr) return 0;
  text->SetSelection(0, 0);
  xMorvaFont font(document.GetMeasuringPort(), &document);
  font.ApplyProperty(kPropFont, text->GetPropertyValue(kPropFont), false);
  font.ApplyProperty(kPropSize, text->GetPropertyValue(kPropSize), false);
  return std::max(font.GetAscent() + font.GetDescent(), 1);
}

}  // namespace

int32_t HeaderFooterLinesHeight(xMorvaDocument& document, int16_t part) {
  auto* text = static_cast<xMorvaEngine*>(document.GetPart(part));
  if (text == nullptr || text->GetLength() == 0) return 0;
  // The part's paragraphs: one more than its paragraph ends, an empty
  // last one too, each a line in the font and size the part begins with.
  VStrInHandle plain;
  text->WritePlainText(plain, false, false);
  int32_t paragraphs = 1;
  for (int32_t i = 1; i <= plain.GetLength(); ++i)
    if (plain.GetCharAt(i) == u'\r') ++paragraphs;
  return int32_t(std::min<int64_t>(int64_t(paragraphs) * FirstLineHeight(document, part), INT32_MAX));
}

namespace {

// The pixels the lines of a page's header or footer take as they are
// composed: the first page's part, or for the other pages the taller of
// the parts they show; 0 without text.
int32_t PageLinesHeight(xMorvaDocument& document, bool firstPage, int16_t first, int16_t common, int16_t left) {
  auto height = [&](int16_t part) {
    auto* text = static_cast<xMorvaEngine*>(document.GetPart(part));
    if (text == nullptr || text->GetLength() == 0) return 0;
    // As the page composes them; counted a line a paragraph where the
    // document has no lines.
    xMorvaLayoutInterface* layout = document.GetLayout();
    return layout != nullptr ? layout->GetPartLinesHeight(part) : HeaderFooterLinesHeight(document, part);
  };
  if (firstPage) return height(first);
  const int32_t other = height(common);
  return document.GetParams().GetDifferentLeftRight() != 0 ? std::max(other, height(left)) : other;
}

}  // namespace

int32_t HeaderLinesHeight(xMorvaDocument& document, bool firstPage) {
  return PageLinesHeight(document, firstPage, kPartFirstHeader, kPartHeader, kPartLeftHeader);
}

int32_t FooterLinesHeight(xMorvaDocument& document, bool firstPage) {
  return PageLinesHeight(document, firstPage, kPartFirstFooter, kPartFooter, kPartLeftFooter);
}

void FitHeaderFooterBands(const xMorvaDocParams& params, xMorvaPageBands& bands, int32_t headerTop,
                          int32_t header, int32_t footerDistance, int32_t footer) {
  if (header > 0) {
    const int32_t lowest = params.LowestHeaderBottom(bands);
    // It starts at its distance; its lines reach down from there.
    bands.headerTop = std::clamp(headerTop, 0, lowest);
    const int64_t end = std::min<int64_t>(int64_t(bands.headerTop) + header, lowest);
    bands.headerBottom = int32_t(std::max<int64_t>({end, int64_t(bands.topMargin) - 1, bands.headerTop}));
    bands.topMargin = std::max(bands.topMargin, bands.headerBottom + 1);
  }
  if (footer > 0) {
    const int32_t highest = params.HighestFooterTop(bands);
    // Its last line ends at its distance, raised to where a footer
    // prints when it is lower; its lines reach up from there.
    bands.footerBottom = std::clamp(std::max(footerDistance, xMorvaDocParams::FooterFloor()), 0, highest);
    bands.footerTop =
        int32_t(std::clamp<int64_t>(int64_t(bands.footerBottom) + footer, bands.footerBottom, highest));
    bands.bottomMargin = std::max(bands.bottomMargin, bands.footerTop + 1);
  } else {
    // No lines: a band of no height at the distance, raised to where a
    // footer prints as one of lines is; lines typed into it end there and
    // reach up, as the file's footer of those lines would. The bottom
    // margin stays.
    bands.footerTop = std::clamp(std::max(footerDistance, xMorvaDocParams::FooterFloor()), 0,
                                 std::max(bands.bottomMargin, 0));
    bands.footerBottom = bands.footerTop;
  }
}

int32_t FooterDistanceOf(xMorvaDocument& document) {
  const xMorvaDocParams& params = document.GetParams();
  struct Footer {
    int32_t distance = 0;
    bool shown = false;
  };
  // Page 1, the second, has the other pages' bands; page 0 the first
  // page's. Lines that end below the page's lower edge (a footer taller
  // than its page) are not shown whole.
  auto footerOf = [&](bool firstPage) {
    const xMorvaPageBands& bands = params.GetBands(firstPage);
    const int32_t page = firstPage ? 0 : 1;
    const int32_t height = FooterLinesHeight(document, firstPage);
    if (height == 0) {
      // No lines: a band of no height is the distance itself; in a band
      // of ours, where a line typed into it would end.
      if (bands.footerTop == bands.footerBottom) return Footer{std::max(bands.footerTop, 0), false};
      const int32_t line = FirstLineHeight(document, firstPage ? kPartFirstFooter : kPartFooter);
      const int64_t end = int64_t(params.FooterPlaceOf(page, line).top) - line;
      return Footer{int32_t(std::max<int64_t>(end, 0)), false};
    }
    const int64_t end = int64_t(params.FooterPlaceOf(page, height).top) - height;
    return Footer{int32_t(std::max<int64_t>(end, 0)), end >= 0};
  };
  const Footer other = footerOf(false);
  if (params.GetDifferentFirstPage() != 0 && !other.shown) {
    const Footer first = footerOf(true);
    if (first.shown) return first.distance;
  }
  return other.distance;
}

namespace {

// The one margin of a side (`margin`) an RTF or Word file gives for the
// first page and the others, `fit` fitting a page's bands (the first
// page's or the others') to its header's or footer's lines as the readers
// do.
template <typename Fit>
int32_t SectionMarginOf(xMorvaDocument& document, int32_t xMorvaPageBands::*margin, const Fit& fit) {
  const xMorvaDocParams& params = document.GetParams();
  const xMorvaPageBands& other = params.GetBands(false);
  if (params.GetDifferentFirstPage() == 0) return other.*margin;
  const xMorvaPageBands& first = params.GetBands(true);
  if (first.*margin == other.*margin) return other.*margin;
  // The wider page as a reader makes it of the narrower margin and the
  // distance written.
  const bool firstIsWider = first.*margin > other.*margin;
  xMorvaPageBands wider = firstIsWider ? first : other;
  const int32_t narrower = std::min(first.*margin, other.*margin);
  wider.*margin = narrower;
  fit(wider, firstIsWider);
  return wider.*margin == std::max(first.*margin, other.*margin) ? narrower : other.*margin;
}

}  // namespace

int32_t SectionTopMarginOf(xMorvaDocument& document) {
  return SectionMarginOf(document, &xMorvaPageBands::topMargin, [&](xMorvaPageBands& bands, bool firstPage) {
    FitHeaderFooterBands(document.GetParams(), bands, bands.headerTop, HeaderLinesHeight(document, firstPage),
                         bands.footerBottom, 0);
  });
}

int32_t SectionBottomMarginOf(xMorvaDocument& document) {
  return SectionMarginOf(document, &xMorvaPageBands::bottomMargin, [&](xMorvaPageBands& bands, bool firstPage) {
    FitHeaderFooterBands(document.GetParams(), bands, bands.headerTop, 0, FooterDistanceOf(document),
                         FooterLinesHeight(document, firstPage));
  });
}
