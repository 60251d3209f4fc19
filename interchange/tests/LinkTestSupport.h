// What the tests of links in our RTF and HTML share: a picture and a link
// made in a text, and the text of each link as the document holds it.
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

// The text of each link of the part between "[" and "]": a picture as
// "#", another element as "*", an italic run between "/" and "/".
inline std::string LinkTexts(xMorvaDocument& document, int16_t part) {
  xMorvaEngine& engine = Engine(document, part);
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* s = size != 0 ? engine.LockStream() : nullptr;
  std::string out;
  for (uint32_t at = 0, from = 0, bytes = 0; s != nullptr && at < size;) {
    const StreamItem link = ReadStreamItem(s + at, size - at);
    at += link.size;
    if (link.kind != StreamItem::kElement || link.unit != xMorvaElementCode::Hyperlink ||
        !LinkTitleOf(s, at - link.size, link.size, from, bytes))
      continue;
    bool italic = false, shown = false;
    out += "[";
    for (uint32_t in = from; in < from + bytes;) {
      const StreamItem item = ReadStreamItem(s + in, from + bytes - in);
      in += item.size;
      if (item.kind == StreamItem::kRecord && item.unit == kPropItalic) italic = item.value != 0;
      if (item.kind == StreamItem::kRecord) continue;
      out += shown != italic ? "/" : "";
      shown = italic;
      out += item.kind == StreamItem::kUnit ? char(item.unit) : item.unit == xMorvaElementCode::Pict ? '#' : '*';
    }
    out += shown ? "/]" : "]";
  }
  if (s != nullptr) engine.UnlockStream();
  return out;
}

}  // namespace rtftest
