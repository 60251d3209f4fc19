// The focus of a headless window's frames: requests, refusals, broadcasts
// whose listeners leave or die while they run, the Tab chain and the answers
// to keys, activation and frames destroyed while they hold the focus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "views/VWindowView.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

std::vector<std::string> gNotes;

std::string Name(VFrame* f);

class Member : public VFrame {
 public:
  Member(VFrame* parent, const char* name) : VFrame(parent, nullptr), fName(name) {}
  void FocusChanged(VFrame* from, VFrame* to) override {
    gNotes.push_back(fName + ":" + Name(from) + ">" + Name(to));
    if (fOnNotice) fOnNotice(this);
  }
  bool CanLoseFocus() override { return fMayLeave; }
  int32_t HandleKey(VEvent&) override { return fKeyAnswer; }
  std::string fName;
  bool fMayLeave = true;
  int32_t fKeyAnswer = 1;
  void (*fOnNotice)(Member*) = nullptr;
  Member* fVictim = nullptr;
};

std::string Name(VFrame* f) {
  auto* m = dynamic_cast<Member*>(f);  // frames being destroyed are no members any more
  return f == nullptr ? "-" : (m != nullptr ? m->fName : "?");
}

// Lets the focus move on request, as an area does.
class Permissive : public VWindowDelegate {
 public:
  void Attached(VWindowView*) override {}
  void Detached(VWindowView*) override {}
  VCommand* FindCommand(int32_t) override { return nullptr; }
  bool HandleMessage(VFrame*, int32_t message, intptr_t) override {
    return message == kMsgOwnerFocusMayMove;
  }
};
Permissive gPermissive;

class Focus : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    gNotes.clear();
    window_ = CreateHeadlessWindow(100, 100);
    root_ = new VWindowView(window_);
    root_->SetDelegate(&gPermissive);
    for (const char* n : {"a", "b", "c"}) {
      auto* m = new Member(root_, n);
      m->SetEnabled(true);
      m->SetListening(true);
      m_.push_back(m);
    }
    mgr_ = root_->GetCommandMgr();
  }
  void TearDown() override {
    delete root_;
    DestroyWindow(window_);
  }
  VEvent Tab(bool shift) { return VEvent(0, 0, 0, false, false, false, false, shift, 0, 9); }
  HWND window_ = nullptr;
  VWindowView* root_ = nullptr;
  VCommandMgr* mgr_ = nullptr;
  std::vector<Member*> m_;
};

TEST_F(Focus, ARequestMovesTheFocusUnlessTheHolderRefuses) {
  EXPECT_EQ(m_[0]->GetFocusManager(), mgr_);
  EXPECT_TRUE(m_[0]->RequestFocus());
  EXPECT_EQ(m_[1]->GetFocusFrame(), m_[0]);
  EXPECT_EQ(VCommandMgr::GetCurrent(), mgr_);
  gNotes.clear();
  EXPECT_TRUE(m_[0]->RequestFocus());  // already focused: nothing sent
  EXPECT_TRUE(gNotes.empty());
  EXPECT_TRUE(m_[1]->RequestFocus());
  EXPECT_FALSE(m_[0]->IsFocused());
  EXPECT_TRUE(m_[1]->IsFocused());
  EXPECT_EQ(gNotes, (std::vector<std::string>{"a:a>b", "b:a>b", "c:a>b"}));
  m_[1]->fMayLeave = false;
  gNotes.clear();
  EXPECT_FALSE(m_[2]->RequestFocus());
  EXPECT_FALSE(m_[2]->IsFocused());
  EXPECT_EQ(m_[0]->GetFocusFrame(), m_[1]);
  EXPECT_TRUE(gNotes.empty());
  m_[1]->fMayLeave = true;
}

TEST_F(Focus, ListenersLeavingOrDyingInABroadcastHearNoMoreOfIt) {
  struct Case {
    const char* what;
    void (*onNotice)(Member*);
    std::vector<std::string> notes;
    size_t listenersAfter;
  };
  const Case cases[] = {
      // a stops listening: b and c still hear, a is gone afterwards.
      {"leave",
       [](Member* m) {
         m->fOnNotice = nullptr;
         m->SetListening(false);
       },
       {"a:->a", "b:->a", "c:->a"},
       2},
      // a deletes c, which is never told.
      {"kill",
       [](Member* m) {
         m->fOnNotice = nullptr;
         delete m->fVictim;
       },
       {"a:->a", "b:->a"},
       2},
      // a's notice starts another broadcast in which it leaves; the
      // nested one keeps the removal for the outer one.
      {"nested",
       [](Member* m) {
         m->fOnNotice = nullptr;
         m->SetListening(false);
         VCommandMgr* mgr = m->GetFocusManager();
         mgr->Broadcast(nullptr, nullptr);
         EXPECT_EQ(mgr->GetListeners().size(), 3u);
       },
       {"a:->a", "b:->-", "c:->-", "b:->a", "c:->a"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    m_.clear();
    SetUp();
    m_[0]->fOnNotice = c.onNotice;
    m_[0]->fVictim = m_[2];
    gNotes.clear();
    m_[0]->RequestFocus();
    EXPECT_EQ(gNotes, c.notes);
    EXPECT_EQ(mgr_->GetListeners().size(), c.listenersAfter);
  }
}

TEST_F(Focus, EndsOfAChangeDestroyedByAListenerAreNotCalled) {
  struct Case {
    const char* what;
    int victim;   // index of the frame a's notice deletes
    int focused;  // index of the frame focused afterwards, or -1
  };
  // b holds the focus and Tab moves it to c; a's notice deletes one of them.
  const Case cases[] = {{"new target", 2, -1}, {"old target", 1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    m_.clear();
    SetUp();
    m_[1]->RequestFocus();
    m_[0]->fVictim = m_[c.victim];
    m_[0]->fOnNotice = [](Member* m) {
      m->fOnNotice = nullptr;
      delete m->fVictim;
    };
    mgr_->FocusNext(false);
    if (c.focused < 0) {
      EXPECT_EQ(mgr_->GetTarget(), nullptr);
      EXPECT_FALSE(m_[1]->IsFocused());
    } else {
      EXPECT_EQ(mgr_->GetTarget(), m_[c.focused]);
    }
    EXPECT_EQ(mgr_->GetChain().size(), 2u);
  }
  // The default destroyed while its coming is broadcast is not made the
  // target.
  TearDown();
  m_.clear();
  SetUp();
  m_[1]->MakeDefaultFrame();
  m_[0]->fVictim = m_[1];
  m_[0]->fOnNotice = [](Member* m) {
    m->fOnNotice = nullptr;
    delete m->fVictim;
  };
  mgr_->Resume();
  EXPECT_EQ(mgr_->GetTarget(), nullptr);
  EXPECT_EQ(mgr_->GetDefaultTarget(), nullptr);
}

TEST_F(Focus, ANewManagerTakesOverTheChainAndTheListeners) {
  auto* replacement = new VCommandMgr(root_);
  root_->SetFocusManager(replacement);  // the old one (counter 1) is deleted
  EXPECT_EQ(root_->GetCommandMgr(), replacement);
  EXPECT_EQ(replacement->GetChain().size(), 3u);
  EXPECT_EQ(replacement->GetListeners().size(), 3u);
  EXPECT_EQ(replacement->GetCounter(), 2);
  VEvent tab = Tab(false);
  EXPECT_EQ(root_->HandleKey(tab), kKeyTargetMoved);  // keys go to the new one
  EXPECT_EQ(m_[2]->GetFocusFrame(), m_[0]);
  // The window only lets go of a manager that is not its own alone.
  delete root_;
  root_ = nullptr;
  EXPECT_EQ(replacement->GetCounter(), 1);
  delete replacement;
}

TEST_F(Focus, TheFocusFrameDestroyedIsBroadcastGoneFirst) {
  m_[1]->RequestFocus();
  m_[1]->MakeDefaultFrame();
  gNotes.clear();
  delete m_[1];
  // b is no longer a whole member when it leaves; it is not told itself.
  EXPECT_EQ(gNotes, (std::vector<std::string>{"a:?>-", "c:?>-"}));
  EXPECT_EQ(m_[0]->GetFocusFrame(), nullptr);
  EXPECT_EQ(m_[0]->GetDefaultFrame(), nullptr);
  EXPECT_EQ(mgr_->GetChain().size(), 2u);
  EXPECT_EQ(mgr_->GetListeners().size(), 2u);
}

TEST_F(Focus, TabWalksTheEnabledChainAndWraps) {
  m_[1]->SetVisible(false);
  VEvent tab = Tab(false);
  EXPECT_EQ(mgr_->DispatchKey(tab, true), kKeyTargetMoved);
  EXPECT_EQ(mgr_->GetTarget(), m_[0]);
  EXPECT_EQ(mgr_->DispatchKey(tab, true), kKeyTargetMoved);
  EXPECT_EQ(mgr_->GetTarget(), m_[2]);  // the hidden one is skipped
  EXPECT_EQ(mgr_->DispatchKey(tab, true), kKeyTargetMoved);
  EXPECT_EQ(mgr_->GetTarget(), m_[0]);  // wrapped
  m_[2]->SetEnabled(false);
  gNotes.clear();
  EXPECT_EQ(mgr_->DispatchKey(tab, true), kKeyNotHandled);  // the only one left
  EXPECT_TRUE(gNotes.empty());
  // A target that handles the key keeps its answer.
  m_[0]->fKeyAnswer = 0;
  EXPECT_EQ(mgr_->DispatchKey(tab, true), 0);
  EXPECT_EQ(mgr_->GetTarget(), m_[0]);
}

TEST_F(Focus, TabWithoutCyclingLeavesTheOwnerUnlessTheTargetRefuses) {
  VEvent tab = Tab(false);
  VEvent backTab = Tab(true);
  EXPECT_EQ(mgr_->DispatchKey(tab, false), kKeyLeavesForward);
  EXPECT_EQ(VCommandMgr::GetCurrent(), nullptr);
  m_[0]->RequestFocus();
  EXPECT_EQ(mgr_->DispatchKey(backTab, false), kKeyLeavesBackward);
  EXPECT_FALSE(m_[0]->IsFocused());
  EXPECT_EQ(mgr_->GetTarget(), m_[0]);  // kept for the next activation
  m_[0]->fMayLeave = false;
  EXPECT_EQ(mgr_->DispatchKey(tab, false), kKeyNotHandled);
  m_[0]->fMayLeave = true;
}

TEST_F(Focus, ActivationFindsTheDefaultOrTheFirstEnabledFrame) {
  m_[2]->MakeDefaultFrame();
  mgr_->EnsureTarget();
  EXPECT_EQ(mgr_->GetTarget(), m_[2]);
  EXPECT_TRUE(m_[2]->IsFocused());
  gNotes.clear();
  mgr_->Suspend();
  EXPECT_EQ(gNotes, (std::vector<std::string>{"a:c>-", "b:c>-", "c:c>-"}));
  EXPECT_FALSE(m_[2]->IsFocused());
  mgr_->Resume();
  EXPECT_EQ(VCommandMgr::GetCurrent(), mgr_);
  // Without a default the first enabled frame of the chain is taken.
  TearDown();
  m_.clear();
  SetUp();
  m_[0]->SetEnabled(false);
  mgr_->EnsureTarget();
  EXPECT_EQ(mgr_->GetTarget(), m_[1]);
  // Enabling twice adds the frame once.
  m_[0]->SetEnabled(true);
  m_[0]->SetEnabled(true);
  EXPECT_EQ(mgr_->GetChain().size(), 3u);
}

TEST_F(Focus, TheKeptTargetIsGivenTheFocusBackAndTheOthersLeftAlone) {
  m_[1]->RequestFocus();
  mgr_->Suspend();
  ASSERT_FALSE(m_[1]->IsFocused());
  ASSERT_EQ(mgr_->GetTarget(), m_[1]);
  // Resume alone leaves a kept target as it is; the restore tells it and
  // every listener, once.
  mgr_->Resume();
  EXPECT_FALSE(m_[1]->IsFocused());
  gNotes.clear();
  mgr_->RestoreTarget();
  EXPECT_TRUE(m_[1]->IsFocused());
  EXPECT_EQ(mgr_->GetTarget(), m_[1]);
  EXPECT_EQ(gNotes, (std::vector<std::string>{"a:->b", "b:->b", "c:->b"}));
  EXPECT_FALSE(m_[0]->IsFocused());
  gNotes.clear();
  mgr_->RestoreTarget();
  EXPECT_TRUE(gNotes.empty()) << "a focused target is not told again";
  // Without a target there is nothing to give back.
  m_[1]->LoseFocus(nullptr);
  ASSERT_EQ(mgr_->GetTarget(), nullptr);
  mgr_->RestoreTarget();
  EXPECT_EQ(mgr_->GetTarget(), nullptr);
  EXPECT_FALSE(m_[1]->IsFocused());
}

TEST_F(Focus, AKeptTargetDestroyedWhileItsReturnIsToldIsNotCalled) {
  m_[2]->RequestFocus();
  mgr_->Suspend();
  m_[0]->fVictim = m_[2];
  m_[0]->fOnNotice = [](Member* m) {
    m->fOnNotice = nullptr;
    delete m->fVictim;
  };
  mgr_->RestoreTarget();
  m_.pop_back();
  EXPECT_EQ(mgr_->GetTarget(), nullptr);
}

}  // namespace
