// Page view through the real module in the stand-in host: the letter
// (scripts/letter.qmv: a header, and a logo placed on every page) opened
// in a form's area; its top margin and its header's lower edge dragged on
// the vertical ruler; the logo selected, moved and resized from a corner
// with and without Shift, and edited in its dialog, twice in a row; a
// picture put into the text and resized from its handles; each drag taken
// back by the undo key. What the form shows is
// compared with reference pictures drawn with the pinned fonts
// (QV_REGENERATE_REFERENCES=1 writes them again), and the pictures' places
// and sizes are read back with commands 121 and 126 (centimetres).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "area/tests/HostPictureSupport.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class PageViewScripts : public ScriptTest {
 protected:
  std::string Shot(const std::string& name) const {
    return "idle 2\nupdate f\nsnapshot f \"" + folder + name + "\"\n";
  }
};

// The form's content at (20, 20) of the screen, the area 10 pixels in: the
// vertical ruler's markers at x 33 to 48, the body's top edge at y 192, the
// header's band from y 116 to 168 once the header is current; the logo at
// (528, 78), 48 x 32 pixels. Lengths read back are at 96 dots per inch.
const char kLetter[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "form f 20 20 660 500\n"
    "area body create form at f 10 10 640 480\n"
    "command 49 area body blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
    "command 28 area body result long\n"
    "expect result 0\n";

const char kEnd[] = "form mvCanDelete click butNo\narea body 17\nstop -2\n";
// Closing the letter as it was opened asks nothing.
const char kEndUnchanged[] = "area body 17\nstop -2\n";

// Command 121 on the logo, then the checks of its place (p5, p6) and its
// shown size (p9, p10).
std::string Logo(const std::string& x, const std::string& y, const std::string& w, const std::string& h) {
  return "command 121 area body long 1 long 0 word 0 word 0 real 0 real 0 real 0 real 0 real 0 real 0\n"
         "expect out p5 " + x + "\nexpect out p6 " + y + "\nexpect out p9 " + w + "\nexpect out p10 " + h + "\n";
}

// Command 126 on the selected picture in the text: its shown size.
std::string TextPicture(const std::string& w, const std::string& h) {
  return "command 126 area body real 0 real 0 real 0 real 0\n"
         "expect out p3 " + w + "\nexpect out p4 " + h + "\n";
}

const char kUndo[] = "key \"z\" modifiers 0x100\n";

TEST_F(PageViewScripts, TheVerticalRulerMovesTheTopMarginAndTheHeadersEdge) {
  const std::string script = std::string(kLetter) + Shot("letter.png") +
                             // The body's top edge pulled down a centimetre.
                             "drag 40 192 to 40 220 steps 4\n" + Shot("top_margin.png") +
                             CompareLine("f", "page_view_top_margin.png") +
                             // In the header, the ruler's markers are the header's edges: its
                             // lower one goes down half a centimetre.
                             "click 180 132\n"
                             "drag 40 168 to 40 182 steps 3\n" +
                             Shot("header_edge.png") + CompareLine("f", "page_view_header_edge.png") +
                             // Far above the window: held to its limit, the page stays whole.
                             "drag 40 116 to 40 -400 steps 5\n" + Shot("far.png") + kEnd;
  RunOk(script);
  EXPECT_NE(Png("top_margin.png"), Png("letter.png"));
  EXPECT_NE(Png("header_edge.png"), Png("top_margin.png"));
  EXPECT_FALSE(Png("far.png").empty());
}

TEST_F(PageViewScripts, APagePictureIsMovedAndResizedAndEachDragIsOneUndo) {
  const std::string script =
      std::string(kLetter) + Logo("12.4", "0.5", "1.3", "0.8") +
      // A click selects the logo; a later press drags it 50 pixels left and
      // down (the pause keeps the two presses from making a double click).
      "click 540 95\n"
      "idle 40\n"
      "drag 540 95 to 490 145 steps 5\n" +
      Logo("11.1", "1.9", "1.3", "0.8") + Shot("moved.png") + CompareLine("f", "page_picture_moved.png") +
      // Its lower right handle: the corner follows the mouse to 76 x 50.
      "idle 40\n"
      "drag 524 158 to 554 178 steps 3\n" +
      Logo("11.1", "1.9", "2", "1.3") +
      // Again with Shift: 114 x 58 keeps the proportions as 88 x 58.
      "idle 40\n"
      "drag 552 176 to 592 186 steps 3 modifiers 0x200\n" +
      Logo("11.1", "1.9", "2.3", "1.5") + Shot("resized.png") + CompareLine("f", "page_picture_resized.png") +
      // Each drag is one step of the undo key.
      kUndo + Logo("11.1", "1.9", "2", "1.3") + kUndo + Logo("11.1", "1.9", "1.3", "0.8") + kUndo +
      Logo("12.4", "0.5", "1.3", "0.8") + kEnd;
  RunOk(script);
  EXPECT_NE(Png("resized.png"), Png("moved.png"));
}

// A click selects the logo; a double click opens its edit dialog, which
// shows its place.
std::string EditLogo(const std::string& answer) {
  return std::string(kLetter) +
         "click 540 95\n"
         "idle 40\n"
         "form mvEditPictureInPage expect vLeft real \"12.4\"\n"
         "form mvEditPictureInPage expect cbBehind value \"0\"\n" +
         answer + "click 540 95 count 2\nexpect calls -201 1\n";
}

TEST_F(PageViewScripts, ADoubleClickOnAPagePictureCancelledLeavesIt) {
  RunOk(EditLogo("form mvEditPictureInPage cancel butCancel\n") + Logo("12.4", "0.5", "1.3", "0.8") + kEndUnchanged);
}

TEST_F(PageViewScripts, ADoubleClickOnAPagePictureMovesItToThePlaceEntered) {
  RunOk(EditLogo("form mvEditPictureInPage set vLeft 5\nform mvEditPictureInPage accept butOK\n") +
        Logo("5", "0.5", "1.3", "0.8") + kEnd);
}

TEST_F(PageViewScripts, ASecondDoubleClickOnAPagePictureOpensItsDialogAgain) {
  // Cancelled, then at once double-clicked again: the dialog opens once
  // more (and only once) and OK moves the logo.
  RunOk(EditLogo("form mvEditPictureInPage cancel butCancel\n") +
        "form mvEditPictureInPage expect vLeft real \"12.4\"\n"
        "form mvEditPictureInPage set vLeft 5\n"
        "form mvEditPictureInPage accept butOK\n"
        "click 540 95 count 2\n"
        "expect calls -201 2\n" +
        Logo("5", "0.5", "1.3", "0.8") + kEnd);
}

TEST_F(PageViewScripts, APictureInTheTextIsResizedFromItsHandles) {
  {
    const tablecommands::Bytes picture = tablecommands::HostPictureBytes(40, 30);
    std::ofstream file(folder + "pic.pict", std::ios::binary);
    file.write(reinterpret_cast<const char*>(picture.data()), std::streamsize(picture.size()));
  }
  const std::string script =
      std::string(kLetter) +
      // A 40 x 30 picture at the end of the text, at (152, 241) of the
      // screen; a click on it selects it and shows its handles.
      "click 460 253\n"
      "command 119 area body blob \"" + folder + "pic.pict\" long 0 real 0 real 0 word 0 word 0\n"
      "idle 40\n"
      "click 170 256\n" +
      TextPicture("1.1", "0.8") + Shot("selected.png") +
      // The lower right handle: 69 x 49.
      "idle 40\n"
      "drag 191 270 to 221 290 steps 3\n" +
      TextPicture("1.8", "1.3") + Shot("resized.png") + CompareLine("f", "text_picture_resized.png") +
      // With Shift: 108 x 58 keeps the proportions as 81 x 58.
      "idle 40\n"
      "drag 220 289 to 260 299 steps 3 modifiers 0x200\n" +
      TextPicture("2.1", "1.5") +
      // A press inside the picture, on no handle, resizes nothing.
      "idle 40\n"
      "drag 170 256 to 250 256 steps 3\n"
      // (apart from the drag's press, so that it is no double click, which
      // opens the picture's edit dialog)
      "idle 40\n"
      "click 170 256\n" +
      TextPicture("2.1", "1.5") + kUndo + TextPicture("1.8", "1.3") + kUndo + TextPicture("1.1", "0.8") + kEnd;
  RunOk(script);
  EXPECT_NE(Png("resized.png"), Png("selected.png"));
}

}  // namespace
