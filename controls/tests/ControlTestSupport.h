// Shared by the control tests: a view standing in for the plug-in area
// (commands by id, the messages sent up the chain, a shortcut), inside a
// headless window with the graphics started, and scripted mouse input.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/tests/LookTestSupport.h"
#include "framework/core/strings/VUniString.h"
#include "views/VCommand.h"
#include "views/VCommandMgr.h"
#include "views/VShortcut.h"
#include "views/VWindowView.h"
#include "views/tests/HeadlessWindowTest.h"
#include "views/tests/StoredResourceFile.h"

struct SentMessage {
  int32_t message;
  intptr_t parameter;
  bool operator==(const SentMessage&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const SentMessage& m) {
  return os << "(" << m.message << ", " << m.parameter << ")";
}

// The area a control lives in: owns the commands, notes each command and
// focus message that reaches it and answers commands with `accept`.
class CommandHost : public VView {
 public:
  explicit CommandHost(VFrame* parent) : VView(parent) { ResizeTo(300, 200, 0); }
  ~CommandHost() override {
    for (auto& [id, c] : commands) delete c;
  }
  VCommand* Add(int32_t id, const char* title = "", bool group = false) {
    VStr<255> t;
    t.SetCText(title, kCharSetMac);
    auto* c = new VCommand(id, t, group);
    commands[id] = c;
    return c;
  }
  VCommand* FindCommand(int32_t id) override {
    auto it = commands.find(id);
    return it != commands.end() ? it->second : nullptr;
  }
  VCommandKey* FindShortcut(int32_t id) const override {
    return shortcut != nullptr && shortcut->GetCommandId() == id ? shortcut.get() : nullptr;
  }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message == kMsgIsFocused) return focused;
    if (message == kMsgLostFocus || message > 0) sent.push_back({message, parameter});
    if (message > 100) {
      if (onCommand) onCommand(message);
      return accept;
    }
    return VView::NotifyParent(sender, message, parameter);
  }
  std::map<int32_t, VCommand*> commands;
  std::vector<SentMessage> sent;
  std::unique_ptr<VCommandKey> shortcut;
  std::function<void(int32_t)> onCommand;
  bool accept = true;
  bool focused = true;
};

// Lets the window's focus manager move the focus, as an area does.
class FocusPermissive : public VWindowDelegate {
 public:
  void Attached(VWindowView*) override {}
  void Detached(VWindowView*) override {}
  VCommand* FindCommand(int32_t) override { return nullptr; }
  bool HandleMessage(VFrame*, int32_t message, intptr_t) override {
    return message == kMsgOwnerFocusMayMove;
  }
};

class ControlTest : public HeadlessWindowTest {
 protected:
  ControlTest() : HeadlessWindowTest(320, 240) {}
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    graphics_ = std::make_unique<GraphicsSession>();
    root_->ResizeTo(320, 240, 0);
    root_->SetDelegate(&permissive_);
    host_ = new CommandHost(root_);
    host_->MoveTo(10, 10, 0);
  }
  void TearDown() override {
    ResetHeadlessInput();
    delete host_;
    host_ = nullptr;
    graphics_.reset();
    HeadlessWindowTest::TearDown();
  }
  // Mouse entries at frame points, `step` ms apart from 0; the script then
  // runs out (buttons up, Escape pressed).
  struct Move {
    int32_t x, y;
    bool down = false;  // left out: the button is up
  };
  void Script(VFrame& frame, const std::vector<Move>& moves, ULONGLONG step = 10) {
    int32_t sx = 0, sy = 0;
    frame.LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> entries;
    ULONGLONG t = 0;
    for (const Move& m : moves) {
      entries.push_back({t, {sx + m.x, sy + m.y}, m.down ? HEADLESS_LEFT_BUTTON : 0u, {0}});
      t += step;
    }
    ASSERT_TRUE(LoadHeadlessInput(entries.data(), entries.size(), 0));
  }
  // Presses at (x, y), moves through the rest with the button held, and
  // releases at the last point.
  void Click(VFrame& frame, const std::vector<Move>& path) {
    std::vector<Move> moves = path;
    for (Move& m : moves) m.down = true;
    moves.push_back({path.back().x, path.back().y, false});
    Script(frame, moves);
    VEvent event;
    frame.MouseDown(event);
  }
  std::unique_ptr<GraphicsSession> graphics_;
  FocusPermissive permissive_;
  CommandHost* host_ = nullptr;
};

// The shown frames of `frames` (siblings) lie within the parent's `width`
// and none over another: their rectangles are apart.
inline void ExpectShownApart(const std::vector<const VFrame*>& frames, int32_t width) {
  struct Box {
    int32_t x, y, w, h;
  };
  std::vector<Box> shown;
  for (const VFrame* f : frames) {
    if (!f->IsShown()) continue;
    Box box{0, 0, f->GetWidth(), f->GetHeight()};
    f->GetPosition(box.x, box.y);
    EXPECT_GE(box.x, 0) << "frame " << shown.size();
    EXPECT_LE(box.x + box.w, width) << "frame " << shown.size();
    for (size_t i = 0; i < shown.size(); ++i) {
      const Box& o = shown[i];
      EXPECT_TRUE(box.x + box.w <= o.x || o.x + o.w <= box.x || box.y + box.h <= o.y || o.y + o.h <= box.y)
          << "shown frames " << i << " and " << shown.size() << " overlap";
    }
    shown.push_back(box);
  }
}

// Native-order template bytes, as the resource layer hands them over.
class NativeBytes {
 public:
  NativeBytes& U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  NativeBytes& I16(int16_t v) {
    uint8_t b[2];
    std::memcpy(b, &v, 2);
    bytes.insert(bytes.end(), b, b + 2);
    return *this;
  }
  NativeBytes& I32(int32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    bytes.insert(bytes.end(), b, b + 4);
    return *this;
  }
  // The 52-byte header with a title field whose length byte may lie.
  NativeBytes& Header(int32_t command, int32_t x, int32_t y, int32_t w, int32_t h,
                      const std::string& title, int length = -1) {
    I32(command).I32(x).I32(y).I32(w).I32(h);
    return Text(title, length);
  }
  // A 32-byte length-prefixed text field whose length byte may lie.
  NativeBytes& Text(const std::string& text, int length = -1) {
    U8(uint8_t(length >= 0 ? length : int(text.size())));
    for (size_t i = 0; i < 31; ++i) U8(i < text.size() ? uint8_t(text[i]) : uint8_t('#'));
    return *this;
  }
  NativeBytes& Cut(size_t n) {
    bytes.resize(n);
    return *this;
  }
  std::vector<uint8_t> bytes;
};
