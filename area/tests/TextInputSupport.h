// The fixture of the keyboard and mouse tests: a form area with its text
// view, keys pressed through the view as the framework hands them over,
// and the selection and lines of the document read back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "area/tests/AreaTestSupport.h"
#include "area/view/xMorvaFrame.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "views/VPaneView.h"
#include "views/VShortcut.h"

namespace areatest {

// Modifier bits of a key for Press.
enum : int {
  kCmd = 1,
  kOpt = 4,
  kShift = 16,
};

class TextInputTest : public AreaTest {
 protected:
  void SetUp() override {
    area = NewFormArea();
    document = area->GetDocument();
    frame = area->GetFrames().front();
    area->GetPaneView()->ResizeTo(400, 300, 0);
  }
  xMorvaEngine* Text() const { return static_cast<xMorvaEngine*>(document->GetCurrentPart()); }

  // A special key by its framework code, with modifiers.
  int32_t Press(int16_t code, int modifiers = 0, char16_t character = 0) {
    const VShortcut key(character, code, (modifiers & kCmd) != 0, (modifiers & kOpt) != 0,
                        (modifiers & kShift) != 0);
    return frame->KeyDown(key);
  }
  // Characters typed one key each; "\n" is Return.
  void Type(const std::string& text) {
    for (char c : text) {
      if (c == '\n') {
        Press(kKeyReturn);
      } else {
        Press(int16_t(c), 0, char16_t(c));
      }
    }
  }
  void Caret(int32_t position) {
    document->SetSelectionBackward(false);
    Text()->SetSelection(position, position);
  }
  void Select(int32_t start, int32_t end, bool backward = false) {
    Text()->SetSelection(start, end);
    document->SetSelectionBackward(backward);
  }
  std::pair<int32_t, int32_t> Sel() const { return {Text()->GetSelStart(), Text()->GetSelEnd()}; }
  // The text as ASCII (other units as '?', a paragraph end as '\n').
  std::string Plain() const {
    std::string out;
    xMorvaEngine* text = Text();
    uint8_t* bytes = text->LockStream();
    uint32_t at = 0;
    const uint32_t size = text->GetStreamSize();
    while (at < size) {
      const StreamItem item = ReadStreamItem(bytes + at, size - at);
      if (item.kind == StreamItem::kUnit) {
        out.push_back(item.unit == kUnitParagraphEnd ? '\n' : item.unit < 128 ? char(item.unit) : '?');
      } else if (item.kind == StreamItem::kElement) {
        out.push_back('#');
      }
      at += item.size;
    }
    text->UnlockStream();
    return out;
  }
  // The index of the screen line that holds the position.
  int32_t LineOf(int32_t position) {
    const auto keep = Sel();
    Text()->SetSelection(position, position);
    const uint32_t offset = Text()->GetSelStartOffset();
    Text()->SetSelection(keep.first, keep.second);
    xMorvaLineLocation where;
    return document->LocateOffset(offset, where);
  }
  int32_t Beeps() const { return Tbx::CountBeeps(); }

  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
  xMorvaFrame* frame = nullptr;
};

}  // namespace areatest
