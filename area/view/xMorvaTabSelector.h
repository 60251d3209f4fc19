// xMorvaTabSelector: the square where the two rulers meet. It shows the
// kind of tab stop that a press on the horizontal ruler makes, and offers
// the other kinds in a pop-up menu whose items run commands 1031 to 1035.
#pragma once

#include <cstdint>
#include <memory>

#include "views/VFrame.h"

class VIconShape;
class xMorvaDocument;
class xMorvaFrame;

class xMorvaTabSelector : public VFrame {
 public:
  // The kinds: 1 left, 2 centred, 3 right, 4 decimal, 5 bar.
  static constexpr int16_t kKindCount = 5;
  // The commands that choose kinds 1 to 5.
  static constexpr int32_t kFirstKindCommand = 1031;
  // The menu: resource base + 29.
  static constexpr int32_t kMenuOffset = 29;
  static constexpr int32_t kSize = 24;

  xMorvaTabSelector(VFrame* parent, xMorvaFrame* textView, xMorvaDocument* document);
  ~xMorvaTabSelector() override;

  int16_t GetCurrentKind() const { return fCurrentKind; }
  // Kinds outside 1 to 5 are refused.
  void SetCurrentKind(int16_t kind);
  // The kind a command chooses, 0 for another command.
  static int16_t KindOfCommand(int32_t command);
  void Forget() {
    fTextView = nullptr;
    fDocument = nullptr;
  }

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  // The menu's commands go to the text view, which runs them.
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;

 private:
  xMorvaFrame* fTextView;
  xMorvaDocument* fDocument;
  int16_t fCurrentKind = 1;
  std::unique_ptr<VIconShape> fIcons[kKindCount];
};
