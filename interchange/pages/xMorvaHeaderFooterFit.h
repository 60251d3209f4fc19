// The room a foreign file's headers and footers get on the page: how tall
// their lines are, and the bands and margins made to hold them. The Word
// and RTF readers share both, so a footer is placed by one rule whichever
// file it came from.
#pragma once

#include <cstdint>

class xMorvaDocParams;
class xMorvaDocument;
struct xMorvaPageBands;

// The pixels a header or footer part's paragraphs need, a line each in the
// font and size the part begins with; 0 for a part without text.
int32_t HeaderFooterLinesHeight(xMorvaDocument& document, int16_t part);

// The pixels a page's header or footer lines take as they are composed:
// the first page's part, or for the other pages the taller of the parts
// they show; 0 without text.
int32_t HeaderLinesHeight(xMorvaDocument& document, bool firstPage);
int32_t FooterLinesHeight(xMorvaDocument& document, bool firstPage);

// The bands of a page made to hold a header `header` pixels tall that
// starts `headerTop` pixels below the page's upper edge, and a footer
// `footer` pixels tall whose last line ends `footerDistance` pixels above
// the page's lower edge (a header 0 tall keeps its band: one of no
// height at the top margin is where lines typed into it start,
// xMorvaDocParams::HeaderPlaceOf). A header starts at its distance and
// the body below its lines, at the top margin or lower. A footer grows upward from its distance, as RTF's
// \footery and Word's footer distance mean it: its band's lower edge is
// the distance, raised to the 12 points over the page's lower edge a
// footer prints on when it is lower, and its upper edge the height of its
// lines above that; the body ends above it, at the bottom margin or
// higher. A footer without lines gets a band of no height at the
// distance, raised alike but no higher than the bottom margin, where the
// lines typed into it end (xMorvaDocParams::FooterPlaceOf): a file's
// footer distance holds whether or not the footer has text. However tall
// a header or footer is, the body keeps the height of its narrowest
// column.
void FitHeaderFooterBands(const xMorvaDocParams& params, xMorvaPageBands& bands, int32_t headerTop,
                          int32_t header, int32_t footerDistance, int32_t footer);

// The footer distance an RTF or Word file gives: how far above the
// page's lower edge the footer's last line ends where it prints, the
// upper edge of its band less the height of its lines, never below 0.
// Without footer text there is no line: a band of no height (a file's
// footer without text) gives its own place, where the lines typed into it
// end, and a band of ours where one line typed into it would end; both
// readers give such a footer a band of no height there. A file has one
// distance for the first page and the others: the other pages' footer's,
// unless with a first page of its own only the first page's footer shows
// its lines (the others' has none, or is taller than its page).
int32_t FooterDistanceOf(xMorvaDocument& document);

// The one bottom margin an RTF or Word file gives for the first page and
// the others. Both readers widen it on a page whose footer's lines need
// more room; so with a first page of its own whose margin differs from
// the others', the narrower of the two is written when the readers widen
// it back to the wider one, and both pages come back as they were.
// Otherwise the other pages' margin is written, and the first page takes
// it, widened as its own footer needs.
int32_t SectionBottomMarginOf(xMorvaDocument& document);
// The one top margin likewise: both readers widen it on a page whose
// header's lines need more room.
int32_t SectionTopMarginOf(xMorvaDocument& document);
