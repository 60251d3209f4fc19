// Tests of the readable descriptions of properties and tab stops: the
// phrases, their order, titles and separators, and the names that come from
// the document and the engine.
#include <gtest/gtest.h>

#include <string>

#include "document/tests/DocumentTestSupport.h"
#include "document/tests/FakeDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "framework/core/strings/VUniString.h"

namespace {

std::string Text(const VString& s) {
  char buffer[1024] = {};
  s.GetCText(buffer, sizeof buffer - 1, kCharSetAnsi);
  return buffer;
}

// The words as the package's lists give them.
void UseWords(FakeAreaServices& area) {
  area.texts[{10, 3}] = "not ";
  area.texts[{10, 4}] = "no ";
  area.texts[{10, 5}] = ": ";
  area.texts[{10, 6}] = ", ";
  area.texts[{10, 15}] = " ";
  area.texts[{10, 16}] = " leader ";
  area.texts[{10, 18}] = "Character:";
  area.texts[{10, 19}] = "Paragraph:";
  area.texts[{10, 20}] = "Tabs";
}

}  // namespace

TEST(Describe, NothingWhenNoStateIsSet) {
  FakeAreaServices area;
  FakeDocument document;
  xMorvaProperties properties;
  xMorvaPropertiesStates states(false);
  VStr<255> text;
  properties.Describe(document, states, text);
  EXPECT_EQ(text.GetLength(), 0);
}

TEST(Describe, CharacterThenParagraphPhrasesUnderTheirTitles) {
  FakeAreaServices area;
  UseWords(area);
  FakeEngineServices engine;
  engine.fontNames[3] = "Serif";
  FakeDocument document;
  xMorvaProperties properties;
  properties.SetProperty(kPropBold, 0);
  properties.SetProperty(kPropFont, 3);
  properties.SetProperty(kPropSize, 14);
  properties.SetProperty(kPropAlignment, 2);
  properties.SetProperty(kPropLeftBorder, 0);
  properties.SetProperty(kPropTextColour, 0x0000FF);
  xMorvaPropertiesStates states(false);
  for (uint16_t id : {kPropBold, kPropFont, kPropSize, kPropTextColour, kPropAlignment,
                      kPropLeftBorder, kPropLinkLook}) {
    states.SetState(id, 1);
  }
  VStr<255> text;
  properties.Describe(document, states, text);
  EXPECT_EQ(Text(text),
            "Character:\rnot 1:1, 1:8: Serif, 1:9: 14, 1:10: 17:7\r"
            "Paragraph:\r13:3, no 1:42");
}

TEST(Describe, StyleSheetNameComesFromTheDocument) {
  FakeAreaServices area;
  UseWords(area);
  FakeDocument document;
  document.styleSheetNames[4] = "Heading";
  xMorvaProperties properties;
  properties.SetProperty(kPropStyleSheet, 4);
  xMorvaPropertiesStates states(false);
  states.SetState(kPropStyleSheet, 1);
  VStr<255> text;
  properties.Describe(document, states, text);
  EXPECT_EQ(Text(text), "Character:\r1:16: Heading");
}

TEST(Describe, TabsNothingForAnEmptyList) {
  FakeAreaServices area;
  FakeDocument document;
  xMorvaTabs tabs;
  VStr<255> text;
  tabs.Describe(document, text);
  EXPECT_EQ(text.GetLength(), 0);
}

TEST(Describe, TabsListPositionKindAndLeader) {
  ScopedResolution dpi(96);
  FakeAreaServices area;
  UseWords(area);
  area.texts[{20, 1}] = "left";
  area.texts[{20, 3}] = "right";
  FakeDocument document;
  document.params.SetDisplayUnit(kUnitPoints);
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(100, 0, kTabLeft));
  tabs.AddStop(MakeTabStop(200, '.', kTabRight));
  VStr<255> text;
  tabs.Describe(document, text);
  EXPECT_EQ(Text(text), "Tabs: 100 left, 200 right leader .");
}
