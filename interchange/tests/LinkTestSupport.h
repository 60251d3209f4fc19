// What the tests of links in our RTF and HTML share: a picture and a link
// made in a text.
#pragma once

#include "area/view/xMorvaHyperlink.h"
#include "engine/xMorvaPictureElement.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "interchange/tests/RtfTestSupport.h"

namespace rtftest {

// A 20 by 10 picture at the caret (the picture maker installed).
inline void InsertPicture(xMorvaEngine& text) {
  VMetafilePort recorder(nullptr, 0, 0, 24, 16);
  recorder.PaintRect(0, 0, 24, 16);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  ASSERT_TRUE(picture != nullptr && MakePictureElement(*picture, element, 20, 10, -1, 0));
  ASSERT_EQ(0, text.InsertHandle(element, 1));
  gMemoryMgr->DisposeHandle(element);
  text.SetSelection(text.GetSelEnd(), text.GetSelEnd());
}

// A link made on [from, to), or at the caret for from < 0, as the dialog
// makes it: without a title, it takes the selection's text.
inline void MakeLink(xMorvaEngine& text, const char* target, const char* title, int32_t from = -1, int32_t to = -1,
                     uint8_t kind = xMorvaHyperlink::kURL) {
  VStr<255> where, words;
  where.SetAnsiCText(target);
  words.SetAnsiCText(title);
  if (from >= 0) text.SetSelection(from, to);
  xMorvaHyperlink link(kind, true, where, words);
  ASSERT_EQ(0, text.InsertHyperlink(link, false));
  text.SetSelection(text.GetLength(), text.GetLength());
}

// "See Kyiv [picture] and Odesa.", "and" in italics, the link to `target`
// made on "Kyiv [picture] and Odesa".
inline void TypeLinkedCities(xMorvaEngine& text, const char* target) {
  Type(text, u"See Kyiv ");
  InsertPicture(text);
  Type(text, u" and Odesa.");
  text.SetSelection(11, 14);
  ASSERT_EQ(0, text.SetPropertyValue(kPropItalic, 1));
  MakeLink(text, target, "", 4, 20);
}

}  // namespace rtftest
