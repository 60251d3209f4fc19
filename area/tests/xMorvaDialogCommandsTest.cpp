// The dialog commands of an area against a scripted stand-in of the
// dialogs: what each dialog is opened with, what OK applies (one undo
// step) and that cancel changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "area/tests/TextInputSupport.h"
#include "area/view/xMorvaHyperlink.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaDialogCommands.h"
#include "area/xMorvaPlugIn.h"
#include "controls/services/ControlServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaPictureElement.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VShape.h"
#include "host/context/VHostRef.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

using areatest::TextInputTest;

constexpr uint16_t kSize = 8;
constexpr uint16_t kFont = 7;
constexpr uint16_t kBold = 0;
constexpr uint16_t kInterline = 33;

VStr<255> Str(const std::u16string& text) {
  VStr<255> out;
  out.AppendUniChars(text.data(), int32_t(text.size()));
  return out;
}

// A picture value of 20 x 10 pixels, as a reference to a picture field
// gives it.
VValue* NewPicture() {
  VMetafilePort recorder(nullptr, 0, 0, 20, 10);
  recorder.SetFillColor(RGB(0, 0, 255));
  recorder.PaintRect(0, 0, 20, 10);
  return recorder.EndAsPictureData();
}

// The clipboard for the time of a test, with its pictures and the text
// engine's side of a paste.
struct ScopedClipboard {
  ScopedClipboard() {
    Tbx::ZeroScrap();
    gClipboard = &clipboard;
  }
  ~ScopedClipboard() {
    gClipboard = nullptr;
    Tbx::ZeroScrap();
  }
  VClipboard clipboard;
  VInstalledService<const VClipboardPictureOps> pictures{&kControlPictureOps};
  VInstalledService<const VPictureMaker> values{&kPictureValueMaker};
  xMorvaTextTransferEngine transferEngine;
  VInstalledService<xMorvaTextTransferServices> transfer{&transferEngine};
};

std::u16string Units(const VString& text) {
  std::u16string out;
  for (int32_t i = 1; i <= text.GetLength(); ++i) out.push_back(text.GetCharAt(i));
  return out;
}

// Evaluates every host reference to the 20 x 10 picture.
class PictureHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t, int16_t, VString& out) override { out.SetEmpty(false); }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return NewPicture(); }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return false;
  }
};

// Answers every dialog with the scripted choice and records what each was
// opened with.
class ScriptedDialogs : public xMorvaDialogs {
 public:
  bool accept = true;
  std::vector<int32_t> opened;
  // Scripted changes of the property dialogs: (id, value).
  std::vector<std::pair<uint16_t, int32_t>> changes;
  int32_t seenSize = -1;
  uint32_t pageNumberFormat = 0;
  std::string font = "Liberation Serif";
  std::string seenFont;
  bool seenFontFixed = false;
  char16_t character = u'Z';
  std::u16string text = u"TODAY";
  bool element = false;
  int32_t interline = 0;
  int32_t tabsPosition = -2;
  int32_t page = 0;
  int16_t columns = 2;

  bool RunSelfApplying(int32_t command, xMorvaPlugIn&, xMorvaDocument&) override { return Open(command); }
  bool RunDateTime(xMorvaPlugIn&, xMorvaDocument&, uint16_t&, bool& chosenElement, std::u16string& chosen) override {
    chosenElement = element;
    chosen = text;
    return Open(401);
  }
  bool RunPageNumber(xMorvaPlugIn&, uint32_t& format) override {
    format = pageNumberFormat;
    return Open(402);
  }
  bool RunSelectChar(xMorvaPlugIn&, std::string& fontName, char16_t& chosen, bool fontFixed) override {
    seenFont = fontName;
    seenFontFixed = fontFixed;
    fontName = font;
    chosen = character;
    return Open(409);
  }
  bool RunHTMLExpression(xMorvaPlugIn&, std::u16string& expression) override {
    expression = u"<b>";
    return Open(414);
  }
  bool RunInterline(xMorvaPlugIn&, int32_t& value) override {
    value = interline;
    return Open(724);
  }
  // The colour chooser: what it was opened on, and the colour it answers.
  int32_t colour = 0x123456;
  int32_t seenColour = -2;
  bool RunColour(xMorvaPlugIn&, int32_t& value) override {
    seenColour = value;
    if (accept) value = colour;
    return Open(kColourChooser);
  }
  static constexpr int32_t kColourChooser = -1;
  bool RunProperties(int32_t command, xMorvaPlugIn&, xMorvaProperties& properties, xMorvaPropertiesStates& states,
                     bool&, bool&) override {
    seenSize = properties.GetProperty(kSize);
    for (const auto& [id, value] : changes) {
      properties.SetProperty(id, value);
      states.SetState(id, 1);
    }
    return Open(command);
  }
  bool RunTabulations(xMorvaPlugIn&, int32_t position, xMorvaTabs&) override {
    tabsPosition = position;
    return Open(753);
  }
  bool RunColumns(xMorvaPlugIn&, xMorvaDocParams& params) override {
    params.SetColumns(columns);
    return Open(756);
  }
  bool RunGotoPage(xMorvaPlugIn&, int32_t& chosen) override {
    chosen = page;
    return Open(807);
  }
  // The picture dialog's choice: on a page at (left, top), every page but
  // the first, behind the text, drawing mode 5; the page it was opened on.
  int16_t placement = 0;
  int32_t left = 30;
  int32_t top = 40;
  int32_t pictureCount = 0;
  int32_t openedOnPage = -99;
  bool RunPastePicture(xMorvaPlugIn&, xMorvaDocument&, int16_t& chosen, xMorvaPagePicture& entry) override {
    chosen = placement;
    openedOnPage = entry.page;
    entry.left = left;
    entry.top = top;
    entry.page = kPageEvery;
    entry.notOnFirstPage = 1;
    entry.behindText = 1;
    entry.displayMode = 5;
    return Open(407);
  }
  // The page picture edit: moved to (70, 80), in front of the text.
  xMorvaPagePicture edited;
  bool RunEditPictureInPage(xMorvaPlugIn&, xMorvaDocument&, xMorvaPagePicture& entry, VHostRef* expression,
                            bool& expressionChanged) override {
    edited = entry;
    entry.left = 70;
    entry.top = 80;
    entry.behindText = 0;
    expressionChanged = false;
    seenExpression = expression != nullptr;
    return Open(0);  // opened by a double click, no command
  }
  bool seenExpression = false;
  // The edit of a picture in the text: shown at 15 x 8 in drawing mode 2,
  // and, with `changeExpression`, its expression pointed at field 6.
  xMorvaPictureHeader seenHeader;
  bool changeExpression = false;
  uint8_t keepSize = 0;
  bool RunEditPicture(xMorvaPlugIn&, xMorvaDocument&, xMorvaPictureHeader& header, VHostRef* expression,
                      bool& expressionChanged) override {
    seenHeader = header;
    seenExpression = expression != nullptr;
    header.shownWidth = 15;
    header.shownHeight = 8;
    header.mode = 2;
    header.flag = keepSize;
    expressionChanged = changeExpression && expression != nullptr;
    if (expressionChanged) expression->SetNumbers(1, 6);
    return Open(0);
  }
  // The search the dialogs fill in, and what they were opened on.
  std::u16string find = u"l";
  std::u16string replace = u"L";
  uint8_t wrap = 0;
  bool all = true;
  const xMorvaFindReplaceParameters* seenParameters = nullptr;
  std::u16string seenFind;
  bool RunFind(xMorvaPlugIn&, xMorvaFindReplaceParameters& parameters) override {
    Search(parameters);
    return Open(208);
  }
  bool RunReplace(xMorvaPlugIn&, xMorvaFindReplaceParameters& parameters, bool& replaceAll) override {
    Search(parameters);
    parameters.replaceText.SetEmpty(false);
    parameters.replaceText.AppendUniChars(replace.data(), int32_t(replace.size()));
    replaceAll = all;
    return Open(210);
  }

 private:
  void Search(xMorvaFindReplaceParameters& parameters) {
    seenParameters = &parameters;
    seenFind = Units(parameters.findText);
    parameters.findText.SetEmpty(false);
    parameters.findText.AppendUniChars(find.data(), int32_t(find.size()));
    parameters.wrap = wrap;
  }
  bool Open(int32_t command) {
    opened.push_back(command);
    return accept;
  }
};

// The link dialog: records the link it is opened with and sets its own.
class ScriptedLinkDialog : public xMorvaHyperlinkEditor {
 public:
  bool accept = true;
  int32_t runs = 0;
  uint8_t seenKind = 0;
  std::u16string seenTitle;
  bool RunHyperlinkDialog(xMorvaPlugIn&, xMorvaHyperlink& values) override {
    ++runs;
    seenKind = values.GetKind();
    seenTitle = Units(values.GetTitle());
    values.SetKind(xMorvaHyperlink::kURL);
    values.SetTarget(Str(u"http://example.org"));
    values.SetTitle(Str(u"Link"));
    return accept;
  }
};

class DialogCommandsTest : public TextInputTest {
 protected:
  void SetUp() override {
    TextInputTest::SetUp();
    installed = std::make_unique<VInstalledService<xMorvaDialogs>>(&dialogs);
    Type("Hello dialogs");
    document->GetUndo()->Commit();
  }
  void TearDown() override { installed.reset(); }
  std::string Stream() const {
    xMorvaEngine* text = Text();
    const uint8_t* bytes = text->LockStream();
    std::string copy(reinterpret_cast<const char*>(bytes), text->GetStreamSize());
    text->UnlockStream();
    return copy;
  }
  int32_t SizeAt(int32_t position) {
    Caret(position);
    return Text()->GetPropertyValue(kSize);
  }

  // Pastes the 20 x 10 picture from the clipboard (paste, 5) or as a host
  // expression's value; whether the paste was taken.
  bool PastePicture(bool fromClipboard) {
    if (!fromClipboard) {
      VHostRef reference(int16_t(1), int16_t(5), false);
      xMorvaDialogCommands::PasteReference(*area, reference, NewPicture());
      return true;
    }
    std::unique_ptr<VValue> picture(NewPicture());
    gClipboard->Clear();
    gClipboard->PutPicture(static_cast<const VPictureData&>(*picture));
    return document->DoCommand(5);
  }

  ScriptedDialogs dialogs;
  std::unique_ptr<VInstalledService<xMorvaDialogs>> installed;
  xMorvaPicturesInPageMaker maker;
  VInstalledService<xMorvaPagePicturesMaker> pictureLists{&maker};
};

TEST_F(DialogCommandsTest, AFontDialogThatChangesOnlyTheSizeSetsTheSizeInOneUndoStep) {
  const int32_t before = SizeAt(2);
  Select(0, 5);
  dialogs.changes = {{kSize, before + 6}};
  area->RunCommand(751);
  EXPECT_EQ(dialogs.seenSize, before);
  EXPECT_EQ(SizeAt(2), before + 6);
  EXPECT_EQ(SizeAt(8), before);  // beyond the selection
  document->Undo();
  EXPECT_EQ(SizeAt(2), before);
  EXPECT_EQ(Plain(), "Hello dialogs");
}

TEST_F(DialogCommandsTest, APropertyFailingMidApplyUndoesTheWholeStep) {
  const std::string before = Stream();
  Select(0, 5);
  // Bold first, then an id no character property has: the step is cancelled.
  EXPECT_NE(xMorvaDialogCommands::ApplyProperties(*document, [] {
              xMorvaProperties p;
              p.SetProperty(kBold, 1);
              return p;
            }(), [] {
              xMorvaPropertiesStates s;
              s.SetState(kBold, 1);
              s.SetState(20, 1);
              return s;
            }(), 0, 31), 0);
  EXPECT_EQ(Stream(), before);
}

TEST_F(DialogCommandsTest, CancelInEveryFormChangesNothing) {
  dialogs.accept = false;
  dialogs.changes = {{kSize, 30}, {kBold, 1}, {kInterline, 20}};
  const std::string before = Stream();
  const int16_t columns = document->GetParams().GetColumns();
  Select(0, 5);
  const int32_t commands[] = {10,  105, 208, 210, 401, 402, 408, 409, 414, 751,
                              752, 753, 754, 755, 756, 801, 802, 806, 807};
  ScriptedLinkDialog link;
  link.accept = false;
  VInstalledService<xMorvaHyperlinkEditor> linkInstalled{&link};
  const int32_t beeps = Tbx::CountBeeps();
  for (int32_t command : commands) area->RunCommand(command);
  area->RunCommand(413);
  area->RunCommand(407);  // the formula editor is not answered: cancelled
  EXPECT_EQ(link.runs, 1);
  EXPECT_EQ(Tbx::CountBeeps(), beeps);  // no search ran
  EXPECT_EQ(Sel(), (std::pair<int32_t, int32_t>{0, 5}));
  EXPECT_EQ(dialogs.opened, std::vector<int32_t>(std::begin(commands), std::end(commands)));
  // The tab stops command selects no stop.
  EXPECT_EQ(dialogs.tabsPosition, -1);
  int32_t value = -1;
  EXPECT_FALSE(area->AskValue(724, 10, value));
  EXPECT_EQ(value, 10);
  EXPECT_FALSE(area->AskValue(1028, 0xB7, value));
  EXPECT_EQ(value, 0xB7);
  EXPECT_FALSE(area->AskValue(613, 0xFF, value));
  EXPECT_EQ(value, 0xFF);
  EXPECT_EQ(Stream(), before);
  EXPECT_EQ(document->GetParams().GetColumns(), columns);
  EXPECT_FALSE(document->GetUndo()->CanRedo());
}

TEST_F(DialogCommandsTest, ThePalettesLastIdsApplyTheChosenColourAsOneUndoStep) {
  struct Row {
    int32_t id;
    uint16_t property;
  };
  // Text, character background, strike-out, underline, shadow, paragraph
  // background and border colours.
  const Row rows[] = {{613, 9}, {627, 10}, {644, 11}, {658, 12}, {665, 13}, {683, 38}, {697, 39}};
  for (const Row& row : rows) {
    Select(0, 5);
    const int32_t before = Text()->GetPropertyValue(row.property);
    const std::string stream = Stream();
    const int32_t steps = document->GetUndo()->GetPosition();
    dialogs.opened.clear();
    // Cancelled, then the same colour chosen: nothing changes, no step.
    dialogs.accept = false;
    EXPECT_TRUE(document->DoCommand(row.id));
    dialogs.accept = true;
    dialogs.colour = before;
    EXPECT_TRUE(document->DoCommand(row.id));
    EXPECT_EQ(Stream(), stream) << row.id;
    EXPECT_EQ(document->GetUndo()->GetPosition(), steps) << row.id;
    // Another colour: the chooser starts from the current one, and the
    // chosen one is undone in one step.
    dialogs.colour = 0x123456;
    EXPECT_TRUE(document->DoCommand(row.id));
    EXPECT_EQ(dialogs.seenColour, before) << row.id;
    EXPECT_EQ(Text()->GetPropertyValue(row.property), 0x123456) << row.id;
    document->GetUndo()->Commit();
    document->Undo();
    Select(0, 5);
    EXPECT_EQ(Text()->GetPropertyValue(row.property), before) << row.id;
    EXPECT_EQ(document->GetUndo()->GetPosition(), steps) << row.id;
    EXPECT_EQ(dialogs.opened, std::vector<int32_t>(3, ScriptedDialogs::kColourChooser)) << row.id;
  }
}

TEST_F(DialogCommandsTest, WithoutTheDialogsEveryCommandCountsAsCancelled) {
  installed.reset();
  const std::string before = Stream();
  for (int32_t command : {208, 210, 401, 402, 409, 413, 751, 752, 756, 807}) area->RunCommand(command);
  EXPECT_EQ(Stream(), before);
  EXPECT_TRUE(dialogs.opened.empty());
}

TEST_F(DialogCommandsTest, TheSpecialCharacterTakesItsFontAloneAndTypingKeepsTheFormerFont) {
  Caret(5);
  const int32_t font = Text()->GetPropertyValue(kFont);
  area->RunCommand(409);
  EXPECT_FALSE(dialogs.seenFont.empty());
  EXPECT_FALSE(dialogs.seenFontFixed);  // the user may choose the font
  EXPECT_EQ(Plain(), "HelloZ dialogs");
  // What is typed next has the font the text had.
  EXPECT_EQ(Text()->GetPropertyValue(kFont), font);
  Caret(6);
  EXPECT_NE(Text()->GetPropertyValue(kFont), font);  // the Z
  document->GetUndo()->Commit();
  document->Undo();
  EXPECT_EQ(Plain(), "Hello dialogs");
}

TEST_F(DialogCommandsTest, PageNumbersTextInterlineColumnsAndPagesAreApplied) {
  Caret(13);
  area->RunCommand(402);
  EXPECT_GT(Text()->GetStreamSize(), 0u);
  EXPECT_EQ(Text()->FindElement(24000, true, false) >= 0, true);

  const std::string before = Plain();
  area->RunCommand(401);  // the date as text
  EXPECT_NE(Plain().find("TODAY"), std::string::npos) << Plain();
  EXPECT_NE(Plain(), before);

  dialogs.interline = 15;
  int32_t value = 0;
  EXPECT_TRUE(area->AskValue(724, 10, value));
  EXPECT_EQ(value, 15);

  dialogs.character = u'J';
  EXPECT_TRUE(area->AskValue(1028, 0xB7, value));
  EXPECT_EQ(dialogs.seenFont, "Wingdings");
  EXPECT_TRUE(dialogs.seenFontFixed);  // the symbols' font cannot change
  EXPECT_EQ(value, 'J');

  area->RunCommand(756);
  EXPECT_EQ(document->GetParams().GetColumns(), 2);
  EXPECT_TRUE(document->IsModified());
}

TEST_F(DialogCommandsTest, FindOpensOnTheAreasSearchAndFindAgainGoesOnFromTheMatch) {
  Caret(0);
  dialogs.find = u"l";
  area->RunCommand(208);
  EXPECT_EQ(dialogs.seenParameters, area->GetFindReplace());
  EXPECT_EQ(Sel(), (std::pair<int32_t, int32_t>{2, 3}));
  area->RunCommand(209);
  EXPECT_EQ(Sel(), (std::pair<int32_t, int32_t>{3, 4}));
  area->RunCommand(209);
  EXPECT_EQ(Sel(), (std::pair<int32_t, int32_t>{9, 10}));
  // Without wrapping the last match stays selected and the user hears it.
  const int32_t beeps = Tbx::CountBeeps();
  area->RunCommand(209);
  EXPECT_EQ(Sel(), (std::pair<int32_t, int32_t>{9, 10}));
  EXPECT_EQ(Tbx::CountBeeps(), beeps + 1);
  // The next dialog starts with the last search.
  dialogs.find = u"dia";
  area->RunCommand(208);
  EXPECT_EQ(dialogs.seenFind, u"l");
  EXPECT_EQ(Plain(), "Hello dialogs");
}

TEST_F(DialogCommandsTest, ReplaceAllIsOneUndoStepAndReplaceAgainTakesTheCurrentMatch) {
  Caret(0);
  area->RunCommand(210);
  EXPECT_EQ(Plain(), "HeLLo diaLogs");
  // The count is told with the words that follow it.
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"3 replacements made"});
  document->GetUndo()->Commit();
  document->Undo();
  EXPECT_EQ(Plain(), "Hello dialogs");

  // 211 replaces one match at a time; 212 every match left.
  dialogs.accept = false;
  dialogs.all = false;
  Caret(0);
  area->RunCommand(210);  // cancelled: nothing replaced
  EXPECT_EQ(Plain(), "Hello dialogs");
  dialogs.accept = true;
  area->RunCommand(210);
  EXPECT_EQ(Plain(), "HeLlo dialogs");
  area->RunCommand(211);
  EXPECT_EQ(Plain(), "HeLLo dialogs");
  area->RunCommand(212);
  EXPECT_EQ(Plain(), "HeLLo diaLogs");
  // Nothing left to replace: a beep, the text as it was.
  const int32_t beeps = Tbx::CountBeeps();
  area->RunCommand(212);
  area->RunCommand(211);
  EXPECT_EQ(Tbx::CountBeeps(), beeps + 2);
  EXPECT_EQ(Plain(), "HeLLo diaLogs");
}

TEST_F(DialogCommandsTest, TheHyperlinkDialogPutsALinkAtTheSelectionInOneUndoStep) {
  ScriptedLinkDialog link;
  VInstalledService<xMorvaHyperlinkEditor> linkInstalled{&link};
  Caret(5);
  area->RunCommand(413);
  // Opened on an empty link: no link stands at the caret.
  EXPECT_EQ(link.seenKind, xMorvaHyperlink::kNotSet);
  EXPECT_TRUE(link.seenTitle.empty());
  EXPECT_EQ(Plain(), "Hello# dialogs");  // one element
  EXPECT_GE(Text()->FindElement(xMorvaElementCode::Hyperlink, true, false), 0);
  // Opened again on the link: the dialog sees its values.
  Select(5, 6);
  link.accept = false;
  area->RunCommand(413);
  EXPECT_EQ(link.seenKind, xMorvaHyperlink::kURL);
  EXPECT_EQ(link.seenTitle, u"Link");
  document->GetUndo()->Commit();
  document->Undo();
  EXPECT_EQ(Plain(), "Hello dialogs");
  EXPECT_LT(Text()->FindElement(xMorvaElementCode::Hyperlink, true, false), 0);
}

// A picture pasted on the page, from the clipboard (paste, 5) or from a
// host expression (407), stands where the paste picture dialog placed it,
// with every choice of the dialog, drawn on the pages it chose; undo takes
// it off with its data, redo puts it back. Deleted by any road, it comes
// back by one undo with its data under its id, and the steps before it
// (its placing, the typing before that) are undone and redone after it.
TEST_F(DialogCommandsTest, APictureOnThePageIsDrawnWhereTheDialogPlacedItAndUndoTakesItBack) {
  ScopedClipboard clipboard;
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  ASSERT_NE(pictures, nullptr);
  VMemoryResourceFile& store = *document->GetStyleSheetStore();
  // Whether the pixel at the picture's middle on page 1, behind the text,
  // is the picture's blue.
  auto drawn = [&] {
    VDIBPort canvas(120, 80, 32);
    canvas.EraseRect(0, 0, 120, 80);
    pictures->DrawPictures(*document, canvas, 0, 0, 1, true, true);
    const uint32_t pixel = static_cast<const uint32_t*>(canvas.GetBits())[(dialogs.top + 5) * 120 + dialogs.left + 10];
    return (pixel & 0xFFFFFF) == 0x0000FF || (pixel & 0xFFFFFF) == 0xFF0000;
  };
  const struct {
    const char* road;
    bool clipboard;
    uint32_t type;  // of the data resource
    // Put back, a host expression's picture is made again from the host's
    // value, which the host of this test does not give.
    bool drawnAgain;
    std::function<void()> remove;  // the road that deletes the selected picture; none keeps it
  } rows[] = {{"clipboard", true, kTypePictureValue, true, nullptr},
              {"host expression", false, kTypeHostReference, false, nullptr},
              {"cut", true, kTypePictureValue, true, [&] { document->DoCommand(3); }},
              {"clear", true, kTypePictureValue, true, [&] { document->DoCommand(6); }},
              {"Delete key", true, kTypePictureValue, true, [&] { Press(kKeyDelete); }},
              {"Backspace", false, kTypeHostReference, false, [&] { Press(kKeyBackspace); }},
              {"command 123 (the first)", true, kTypePictureValue, true,
               [&] { int32_t first = 1; Run(123, area->GetReference(), {&first}); }},
              {"command 162", false, kTypeHostReference, false, [&] { Run(162, area->GetReference()); }},
              {"command 40", true, kTypePictureValue, true, [&] { Run(40, area->GetReference()); }}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.road);
    document->SetViewMode(1);  // continuous
    // A letter typed before the paste: its own undo step.
    const std::string typed = Plain();
    Type("Z");
    const std::string before = Stream();
    const int32_t resources = store.CountResources(row.type);
    dialogs.opened.clear();
    dialogs.placement = 0;
    EXPECT_FALSE(drawn());
    EXPECT_TRUE(PastePicture(row.clipboard));
    EXPECT_EQ(dialogs.opened, std::vector<int32_t>{407});
    EXPECT_EQ(document->GetParams().GetViewMode(), 0);
    ASSERT_EQ(pictures->GetCount(), 1);
    const xMorvaPagePicture entry = pictures->GetEntry(0);
    EXPECT_EQ(dialogs.openedOnPage, document->GetCaretPage());
    EXPECT_EQ(std::make_tuple(entry.left, entry.top, entry.page, entry.notOnFirstPage, entry.behindText,
                              entry.displayMode, entry.naturalWidth, entry.shownHeight, entry.isReference),
              std::make_tuple(30, 40, kPageEvery, uint8_t(1), uint8_t(1), uint16_t(5), 20, 10,
                              uint8_t(row.clipboard ? 0 : 1)));
    EXPECT_TRUE(pictures->HasSelection());
    EXPECT_TRUE(document->IsModified());
    EXPECT_TRUE(drawn());
    EXPECT_EQ(Stream(), before);  // the text is left alone
    EXPECT_EQ(store.CountResources(row.type), resources + 1);

    document->GetUndo()->Commit();
    document->Undo();
    EXPECT_EQ(pictures->GetCount(), 0);
    EXPECT_FALSE(drawn());
    EXPECT_EQ(store.CountResources(row.type), resources);
    EXPECT_EQ(Stream(), before);
    document->Redo();
    ASSERT_EQ(pictures->GetCount(), 1);
    EXPECT_EQ(pictures->GetEntry(0).top, 40);
    EXPECT_EQ(pictures->GetEntry(0).isReference, row.clipboard ? 0 : 1);
    EXPECT_EQ(store.CountResources(row.type), resources + 1);
    EXPECT_EQ(drawn(), row.drawnAgain);
    document->Undo();
    EXPECT_EQ(pictures->GetCount(), 0);
    if (row.remove == nullptr) continue;

    // Undo or redo, then the pictures on the page and the text.
    auto step = [&](bool undo, int32_t count, const std::string& text) {
      undo ? document->Undo() : document->Redo();
      EXPECT_EQ(std::make_tuple(pictures->GetCount(), Plain()), std::make_tuple(count, text));
      return pictures->GetCount() == count;
    };
    ASSERT_TRUE(step(false, 1, typed + "Z"));
    const int16_t id = pictures->GetEntry(0).resourceId;
    row.remove();
    EXPECT_EQ(std::make_tuple(pictures->GetCount(), Plain(), store.CountResources(row.type)),
              std::make_tuple(0, typed + "Z", resources));
    // Undone, the picture is back with its data under its id, selected.
    ASSERT_TRUE(step(true, 1, typed + "Z"));
    EXPECT_EQ(std::make_tuple(pictures->GetEntry(0).resourceId, pictures->GetEntry(0).top, pictures->GetSelection(),
                              store.CountResources(row.type), drawn()),
              std::make_tuple(id, 40, 0, resources + 1, row.drawnAgain));
    // Its placing and the letter typed before it undone; all three redone.
    step(true, 0, typed + "Z");
    step(true, 0, typed);
    step(false, 0, typed + "Z");
    ASSERT_TRUE(step(false, 1, typed + "Z"));
    EXPECT_EQ(pictures->GetEntry(0).resourceId, id);
    step(false, 0, typed + "Z");
    EXPECT_EQ(store.CountResources(row.type), resources);
    EXPECT_FALSE(document->GetUndo()->CanRedo());
  }
}

// A picture from the clipboard or a host expression goes where the paste
// picture dialog says: in the text as an element (a host expression's as
// its expression) in one undo step; cancelled, nowhere, and the view and
// the text stay as they were.
TEST_F(DialogCommandsTest, APictureGoesInTheTextOrNowhereAsTheDialogSays) {
  ScopedClipboard clipboard;
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  ASSERT_NE(pictures, nullptr);
  const struct {
    const char* name;
    bool clipboard;
    bool accept;
    int16_t placement;
    std::string text;
  } rows[] = {{"in the text", true, true, 1, "Hello# dialogs"},
              {"cancelled", true, false, 0, "Hello dialogs"},
              {"an expression in the text", false, true, 1, "Hello# dialogs"},
              {"an expression cancelled", false, false, 0, "Hello dialogs"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    document->SetViewMode(1);
    Caret(5);
    const std::string before = Stream();
    dialogs.opened.clear();
    dialogs.accept = row.accept;
    dialogs.placement = row.placement;
    PastePicture(row.clipboard);
    EXPECT_EQ(dialogs.opened, std::vector<int32_t>{407});
    EXPECT_EQ(Plain(), row.text);
    EXPECT_EQ(Text()->FindElement(24001, true, false) >= 0, row.accept && !row.clipboard);
    EXPECT_EQ(pictures->GetCount(), 0);
    if (!row.accept) {
      EXPECT_EQ(document->GetParams().GetViewMode(), 1);
      EXPECT_EQ(Stream(), before);
    }
    document->GetUndo()->Commit();
    if (row.accept) document->Undo();
    EXPECT_EQ(Plain(), "Hello dialogs");
    EXPECT_LT(Text()->FindElement(24001, true, false), 0);
  }

  // A value that is no picture goes in the text without the picture dialog.
  dialogs.opened.clear();
  auto* words = new VStr<255>;
  words->AppendCText("abc", kCharSetAnsi);
  VHostRef reference(int16_t(1), int16_t(5), false);
  xMorvaDialogCommands::PasteReference(*area, reference, words);
  EXPECT_TRUE(dialogs.opened.empty());
  EXPECT_GE(Text()->FindElement(24001, true, false), 0);
}

TEST_F(DialogCommandsTest, TheSelectedPagePictureIsEditedOnACopyKeptOnlyOnOk) {
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  ASSERT_NE(pictures, nullptr);
  EXPECT_FALSE(area->EditPagePicture());  // nothing selected: no dialog
  EXPECT_TRUE(dialogs.opened.empty());
  PastePicture(false);
  const int32_t index = pictures->GetSelection();
  ASSERT_GE(index, 0);
  const int16_t id = pictures->GetEntry(index).resourceId;

  dialogs.accept = false;
  EXPECT_FALSE(area->EditPagePicture());
  EXPECT_EQ(pictures->GetEntry(index).left, 30);
  // The dialog got the entry as placed, with its expression.
  EXPECT_EQ(dialogs.edited.behindText, 1);
  EXPECT_EQ(dialogs.edited.left, 30);
  EXPECT_TRUE(dialogs.seenExpression);

  dialogs.accept = true;
  EXPECT_TRUE(area->EditPagePicture());
  const xMorvaPagePicture& entry = pictures->GetEntry(index);
  EXPECT_EQ(entry.left, 70);
  EXPECT_EQ(entry.top, 80);
  EXPECT_EQ(entry.behindText, 0);
  EXPECT_EQ(entry.resourceId, id);  // its data stays its own
  EXPECT_EQ(entry.isReference, 1);
}

TEST_F(DialogCommandsTest, ThePictureInTheTextIsEditedFromItsElementAndAppliedInOneUndoStep) {
  Caret(5);
  EXPECT_FALSE(area->EditTextPicture());  // no picture selected: no dialog
  EXPECT_TRUE(dialogs.opened.empty());
  dialogs.placement = 1;
  PastePicture(false);
  document->GetUndo()->Commit();
  Select(5, 6);
  uint32_t words[6];
  ASSERT_EQ(Text()->GetSelectedPictureHeader(words), 0);
  const std::string before = Stream();

  // Cancel: the dialog saw the element's settings and nothing changes.
  dialogs.accept = false;
  dialogs.opened.clear();
  EXPECT_FALSE(area->EditTextPicture());
  EXPECT_EQ(dialogs.opened, std::vector<int32_t>{0});
  EXPECT_EQ(dialogs.seenHeader.ownWidth, 20);
  EXPECT_EQ(dialogs.seenHeader.ownHeight, 10);
  EXPECT_EQ(dialogs.seenHeader.shownWidth, int32_t(words[0]));
  EXPECT_TRUE(dialogs.seenExpression);
  EXPECT_EQ(Stream(), before);

  // OK: the settings go to the picture; one undo brings the old ones back.
  dialogs.accept = true;
  ASSERT_TRUE(area->EditTextPicture());
  document->BeginChange();
  area->ApplyTextPictureEdit();
  document->EndChange();
  uint32_t after[6];
  ASSERT_EQ(Text()->GetSelectedPictureHeader(after), 0);
  xMorvaPictureHeader header;
  header.FromWords(after);
  EXPECT_EQ(header.shownWidth, 15);
  EXPECT_EQ(header.shownHeight, 8);
  EXPECT_EQ(header.mode, 2);
  EXPECT_EQ(header.ownWidth, 20);
  document->GetUndo()->Commit();
  document->Undo();
  EXPECT_EQ(Stream(), before);

  // A changed expression replaces the expression element; its new picture
  // keeps the chosen size only when the size is to be kept.
  PictureHost host;
  VInstalledService<xMorvaEngineHost> installed(&host);
  for (const uint8_t keep : {0, 1}) {
    SCOPED_TRACE(keep);
    Select(5, 6);
    dialogs.changeExpression = true;
    dialogs.keepSize = keep;
    ASSERT_TRUE(area->EditTextPicture());
    document->BeginChange();
    area->ApplyTextPictureEdit();
    document->EndChange();
    Select(5, 6);
    const VMemHandle stored = Text()->GetHostExpressionAtSelection();
    ASSERT_NE(stored, 0);
    int16_t table = 0, field = 0;
    {
      VHandleLocker lock(stored);
      ASSERT_TRUE(bool(lock));
      VHostRef replaced(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(stored));
      replaced.GetNumbers(table, field);
    }
    gMemoryMgr->DisposeHandle(stored);
    EXPECT_EQ(table, 1);
    EXPECT_EQ(field, 6);
    ASSERT_EQ(Text()->GetSelectedPictureHeader(after), 0);
    header.FromWords(after);
    EXPECT_EQ(header.shownWidth, keep ? 15 : 20);
    EXPECT_EQ(header.shownHeight, keep ? 8 : 10);
    EXPECT_EQ(header.mode, 2);
    EXPECT_EQ(header.flag, keep);
    document->GetUndo()->Commit();
    document->Undo();
    EXPECT_EQ(Stream(), before);
  }
}

}  // namespace
