// The rich-edit control's text: formats applied to selections, alignment by
// paragraph, the one undo level, find, and its RTF written and read back;
// damaged RTF changes nothing.
#include "platform/richedit/RichEditText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CHARFORMAT2A Format(DWORD mask, DWORD effects = 0) {
  CHARFORMAT2A f{};
  f.cbSize = sizeof f;
  f.dwMask = mask;
  f.dwEffects = effects;
  return f;
}

bool ReadRtf(RichEditText& text, const std::string& rtf) {
  return text.ReadRtf(reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size());
}

TEST(RichEditText, FormatsApplyToTheSelectionAndUniformityShowsInTheMask) {
  RichEditText text;
  text.ReplaceSelection("plain bold", true);
  text.SetSelection(6, 10);
  text.SetCharFormat(Format(CFM_BOLD, CFE_BOLD));
  EXPECT_EQ(text.FormatAt(5).effects & CFE_BOLD, 0u);
  EXPECT_EQ(text.FormatAt(6).effects & CFE_BOLD, CFE_BOLD);
  CHARFORMAT2A got{};
  got.cbSize = sizeof got;
  text.SetSelection(0, 10);
  text.GetCharFormat(got);
  EXPECT_EQ(got.dwMask & CFM_BOLD, 0u) << "mixed over the selection";
  EXPECT_EQ(got.dwMask & CFM_ITALIC, CFM_ITALIC);
  // A caret takes the format before it for new text; setting a format on
  // a caret changes only what is typed next.
  text.SetSelection(10, 10);
  text.ReplaceSelection("!", true);
  EXPECT_EQ(text.FormatAt(10).effects & CFE_BOLD, CFE_BOLD);
  CHARFORMAT2A size = Format(CFM_SIZE);
  size.yHeight = 1000000;
  text.SetCharFormat(size);
  text.ReplaceSelection("?", true);
  EXPECT_EQ(text.FormatAt(11).height, RichEditText::kMaxHeight) << "bounded";
  EXPECT_EQ(text.FormatAt(10).height, 200);
}

TEST(RichEditText, AlignmentBelongsToWholeParagraphs) {
  RichEditText text;
  text.ReplaceSelection("one\rtwo\rthree", true);
  text.SetSelection(5, 5);  // inside "two"
  text.SetAlignment(PFA_CENTER);
  EXPECT_EQ(text.AlignmentAt(0), PFA_LEFT);
  EXPECT_EQ(text.AlignmentAt(4), PFA_CENTER);
  EXPECT_EQ(text.AlignmentAt(7), PFA_CENTER) << "its paragraph end";
  EXPECT_EQ(text.AlignmentAt(8), PFA_LEFT);
  text.SetAlignment(9);  // no such alignment
  EXPECT_EQ(text.AlignmentAt(4), PFA_CENTER);
}

TEST(RichEditText, OneUndoLevelThatRedoes) {
  RichEditText text;
  EXPECT_FALSE(text.CanUndo());
  text.ReplaceSelection("abc", true);
  text.ReplaceSelection("def", true);
  text.Undo();
  EXPECT_EQ(text.Text(), "abc");
  EXPECT_FALSE(text.CanUndo()) << "one level";
  EXPECT_TRUE(text.CanRedo());
  text.Redo();
  EXPECT_EQ(text.Text(), "abcdef");
  text.ReplaceSelection("g", false);  // not to be undone: the level stays
  EXPECT_TRUE(text.CanUndo());
  text.EmptyUndo();
  EXPECT_FALSE(text.CanUndo());
}

TEST(RichEditText, FindAnswersTheFirstMatchInItsRange) {
  RichEditText text;
  text.ReplaceSelection("Alpha beta ALPHA", true);
  EXPECT_EQ(text.Find(0, -1, u"alpha", false), 0);
  EXPECT_EQ(text.Find(1, -1, u"alpha", false), 11);
  EXPECT_EQ(text.Find(1, -1, u"alpha", true), -1);
  EXPECT_EQ(text.Find(0, 10, u"ALPHA", true), -1) << "past the range's end";
  EXPECT_EQ(text.Find(0, -1, u"", false), -1);
}

TEST(RichEditText, ItsRtfReadsBackWithFormatsAndAlignment) {
  RichEditText text;
  text.ReplaceSelection("Title {x} \\ \xe9t\xe9\rBody\ttext", true);
  text.SetSelection(0, 5);
  CHARFORMAT2A f = Format(CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_UNDERLINETYPE, CFE_BOLD | CFE_UNDERLINE);
  std::snprintf(f.szFaceName, sizeof f.szFaceName, "Courier New");
  f.yHeight = 480;
  f.crTextColor = 0x0000FF;
  f.bUnderlineType = 1;
  text.SetCharFormat(f);
  text.SetAlignment(PFA_RIGHT);
  const std::string rtf = text.WriteRtf();
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_NE(rtf.find("\\red255\\green0\\blue0;"), std::string::npos);
  EXPECT_NE(rtf.find("\\{x\\} \\\\ \\'e9t\\'e9"), std::string::npos) << rtf;

  RichEditText back;
  ASSERT_TRUE(ReadRtf(back, rtf));
  EXPECT_EQ(back.Text(), text.Text());
  for (LONG i = 0; i < text.Length(); ++i) {
    EXPECT_EQ(back.FormatAt(i), text.FormatAt(i)) << i;
    EXPECT_EQ(back.AlignmentAt(i), text.AlignmentAt(i)) << i;
  }
  EXPECT_TRUE(back.CanUndo()) << "a stream-in is one undo step";
}

TEST(RichEditText, DamagedRtfChangesNothingAndOddValuesStayBounded) {
  struct Case {
    const char* name;
    std::string rtf;
    bool read;
  };
  const std::string deep = std::string(2000, '{');
  const Case cases[] = {
      {"not rtf", "hello", false},
      {"unbalanced", "{\\rtf1 abc", false},
      {"too many closings", "{\\rtf1 abc}}", false},
      {"nested too deep", "{\\rtf1 " + deep + "x" + std::string(2000, '}') + "}", false},
      {"bad hex", "{\\rtf1 \\'zz}", false},
      {"hex cut", "{\\rtf1 \\'4", false},
      {"negative font", "{\\rtf1 {\\fonttbl{\\f0 A;}}\\f-1 x}", true},
      {"huge font", "{\\rtf1 \\f70000 x}", true},
      {"negative colour", "{\\rtf1 {\\colortbl;\\red9;}\\cf-3 x}", true},
      {"colour past the table", "{\\rtf1 \\cf600 x}", true},
      {"huge size", "{\\rtf1 \\fs999999999999 x}", true},
      {"long word", "{\\rtf1 \\" + std::string(40, 'a') + " x}", true},
      {"long number", "{\\rtf1 \\b" + std::string(40, '9') + " x}", true},
      {"nul escaped", "{\\rtf1 a\\'00x}", true},
  };
  for (const Case& c : cases) {
    RichEditText text;
    text.ReplaceSelection("kept", false);
    EXPECT_EQ(ReadRtf(text, c.rtf), c.read) << c.name;
    if (!c.read) {
      EXPECT_EQ(text.Text(), "kept") << c.name;
      continue;
    }
    EXPECT_NE(text.Text().find('x'), std::string::npos) << c.name;
    EXPECT_EQ(text.Text().find('\0'), std::string::npos) << c.name;
    EXPECT_LE(text.FormatAt(0).height, RichEditText::kMaxHeight) << c.name;
    EXPECT_EQ(text.FormatAt(0).color, 0u) << c.name;
  }
}

}  // namespace
