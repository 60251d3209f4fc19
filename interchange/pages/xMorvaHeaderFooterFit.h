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

// The pixels a page's footer lines take as they are composed: the first
// page's footer, or for the other pages the taller of the footers they
// show; 0 without footer text.
int32_t FooterLinesHeight(xMorvaDocument& document, bool firstPage);

// The bands of a page made to hold a header `header` pixels tall that
// starts `headerTop` pixels below the page's upper edge, and a footer
// `footer` pixels tall whose last line ends `footerDistance` pixels above
// the page's lower edge (0 tall: the header's or footer's band stays). A
// header starts at its distance and the body below its lines, at the top
// margin or lower. A footer grows upward from its distance, as RTF's
// \footery and Word's footer distance mean it: its band's lower edge is
// the distance, raised to the 12 points over the page's lower edge a
// footer prints on when it is lower, and its upper edge the height of its
// lines above that; the body ends above it, at the bottom margin or
// higher. However tall a header or footer is, the body keeps the height
// of its narrowest column.
void FitHeaderFooterBands(const xMorvaDocParams& params, xMorvaPageBands& bands, int32_t headerTop,
                          int32_t header, int32_t footerDistance, int32_t footer);

// The footer distance an RTF or Word file gives for the document's other
// pages: how far above the page's lower edge their footer's last line
// ends where it prints, the upper edge of its band less the height of its
// lines, never below 0. Without footer text there is no line: the
// distance is the band's edge that the format's reader takes it for, as
// it stands: RTF's \footery the upper edge (`kUpper`), Word's footer
// distance the lower edge (`kLower`).
enum class FooterEdge { kUpper, kLower };
int32_t FooterDistanceOf(xMorvaDocument& document, FooterEdge withoutLines);
