// HostForms: the stand-in host's forms, run headless. A form is described
// in text (a name and its objects with their kinds, rectangles, values,
// items and pages); the host's forms are compiled into its resource file as
// 'QFRM' resources named after the form, one description line per `bytes`
// statement:
//
//   size WIDTH HEIGHT
//   object NAME KIND LEFT TOP WIDTH HEIGHT [value N] [real X] [text "T"]
//          [items "a|b|c"] [page N] [table N] [field N]
//
// KIND is button, check, radio, entry, list, popup (a drop-down), tab,
// picture, user or chooser.
// A run takes scripted actions, one script per opened form, in order: set
// (a value typed in), select (an element of a list, pop-up, radio group or
// tab), key, point, drop, click (at a point of the object, repeated for a
// click count), accept and cancel; expect (an object's value, real, text,
// items, enabled or visible state or format, checked as the form stands
// then) and snapshot (the form as a PNG file). Each -203 step plays the
// script's actions up to the next click, accept or cancel, calling the
// module's event callback for each (codes 20, 17, 13, 21, 4) and ending
// with the object's name. A user area that the module serves (a routine
// given with -221 and an object made for it) takes its clicks and keys as
// area events instead, and draws itself into snapshots. A form without a script, an unexpected form, a
// script that runs out, or an action on a disabled or hidden object cancels
// the step and is recorded as a failure, so that no run hangs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"

class HostForms {
 public:
  struct Object {
    std::string name;
    std::string kind;
    int16_t rect[4] = {0, 0, 0, 0};  // top, left, bottom, right
    int32_t value = 0;
    double real = 0;
    std::string text;
    std::string format;
    std::vector<std::string> items;
    int32_t first = 0, last = 0;   // the shown part of a list
    int32_t page = 0;              // 0: on every page
    bool enabled = true, visible = true, enterable = true;
    bool mixedAllowed = false;  // a check box that may show 2
    uintptr_t drawRoutine = 0;  // a user area's routine (HostUserAreaRoutine)
    bool drawn = false;         // registered as a user area
    int32_t minimumKind = 5, maximumKind = 5;
    double minimum = 0, maximum = 0;
    int16_t date[3] = {0, 0, 0};
    int16_t table = 0, field = 0;
    uint32_t fieldData = 0;
    std::vector<uint8_t> picture;
    bool runtime = false;
  };
  struct Form {
    std::string name;
    int32_t width = 400, height = 300;
    std::vector<Object> objects;
  };
  struct Action {
    std::string kind;    // set, select, key, point, drop, click, drag, accept, cancel, expect, snapshot
    std::string object;  // matched without regard to case
    std::string value;   // for expect: what is checked
    std::string expected{};  // for expect: the value it should have
    int32_t count = 1;   // clicks of a click
  };
  // What an expectation or snapshot of a run found: whether it held, and
  // the line that says so.
  struct Check {
    bool holds;
    std::string what;
  };

  using Logger = std::function<void(int32_t selector, const std::string& text)>;
  explicit HostForms(Logger log);
  ~HostForms();
  HostForms(const HostForms&) = delete;
  HostForms& operator=(const HostForms&) = delete;

  // A form from its description; false with the line's fault in `error`.
  bool Define(const std::string& name, const std::string& text, std::string* error);
  // Every 'QFRM' resource of the resource file; the number defined.
  int32_t LoadFrom(int16_t resourceFile, std::string* error);
  bool Has(const std::string& name) const;

  // The script of the next form opened, expected under `formName`.
  void Script(const std::string& formName, std::vector<Action> actions);
  // One more action for the last script when it is for the same form (a
  // new script otherwise).
  void AddToScript(const std::string& formName, Action action);
  // Plays the left button on the user's input timeline, in screen points:
  // down at the first, moved to the second and let go there. A drag in a
  // user area goes through it, so that the module's tracking loop sees it.
  using Press = std::function<void(int32_t x1, int32_t y1, int32_t x2, int32_t y2)>;
  void SetPress(Press press) { fPress = std::move(press); }
  // The host's table names, for a list filled with the tables.
  using TableNames = std::function<std::vector<std::string>()>;
  void SetTableNames(TableNames names) { fTableNames = std::move(names); }
  // Refuse to open every form (the open answers no reference).
  void SetRefuseOpen(bool refuse) { fRefuseOpen = refuse; }
  const std::vector<std::string>& Failures() const { return fFailures; }
  // The forms whose queued scripts no form has taken yet.
  std::vector<std::string> PendingScripts() const {
    std::vector<std::string> names;
    for (const auto& script : fScripts) names.push_back(script.first);
    return names;
  }
  // The expectations and snapshots played since the last call, in order.
  std::vector<Check> TakeChecks();
  // Where snapshots of forms are written: the host's folder, before a
  // relative path.
  void SetFolder(const std::string& folder) { fFolder = folder; }
  // The objects of the form last closed, as they were.
  const Form* LastClosed() const { return fLastClosed.get(); }
  // An open form's object, by form reference; null for none.
  Object* FindObject(uint32_t form, const std::string& name);
  // Steps every modeless form once: the number that did something.
  int32_t StepModeless();
  int32_t OpenForms() const { return static_cast<int32_t>(fOpen.size()); }

  // The form selectors; false for any other.
  bool Answer(int32_t selector, HostParamBlock& block);

 private:
  struct Open;
  Open* FindOpen(uint32_t form);
  // A step of a form's run: the script's actions played up to the next
  // click, accept or cancel.
  void Step(Open& open, HostParamBlock& block, bool modeless);
  // One action of the script; true when it ends the step.
  bool PlayAction(Open& current, const Action& action, HostParamBlock& block, HostFormEventCallback callback);
  void EndStepBy(const Open& current, const Action& action, const Object* object, const std::string& name,
                 HostParamBlock& block);
  // The object an action names: the one of that name on the page shown
  // when there is one (a name may recur on several pages), else the first.
  Object* FindForAction(Open& current, const std::string& name);
  // Why the user cannot do `kind` on the object: disabled, hidden, on a
  // page not shown, or (typing) not enterable; empty when the user can.
  static std::string OutOfReach(const Open& current, const std::string& kind, const Object& object);
  // An action on an object the user cannot reach fails and cancels the run.
  void CancelUnreachable(const std::string& formName, const std::string& kind, const Object& object,
                         const std::string& why, HostParamBlock& block);
  // The event and code of a set, select, key, point, click or drop; false
  // for any other action.
  bool ActionEvent(Open& current, Object& object, const Action& action, HostEventRecord& event, int32_t& code);
  void PlayDrag(Open& current, Object& object, const Action& action);
  // The event sent once, or once for each press of a click, to the module's
  // callback or to the user area that the module serves.
  void SendPresses(Open& current, const Object& object, const Action& action, HostEventRecord& event, int32_t code,
                   HostFormEventCallback callback);
  void FinishStep(const std::string& formName, HostParamBlock& block, bool modeless, bool acted, bool ended);
  void Close(int32_t selector, uint32_t form, const char* how);
  // The form selectors, one each.
  bool AnswerNew(int32_t selector, HostParamBlock& block);
  bool AnswerOwner(int32_t selector, HostParamBlock& block);
  bool AnswerOpen(int32_t selector, HostParamBlock& block);
  void TakePendingValues(Open& open, const Form& description);
  void MakeFormWindow(Open& open, const int16_t* rect);
  // The script the form takes when it opens; `oldRef` is its reference
  // before the open.
  void TakeScript(Open& open, uint32_t oldRef, const std::string& name);
  bool AnswerWindow(int32_t selector, HostParamBlock& block);
  bool AnswerRelease(int32_t selector, HostParamBlock& block);
  bool AnswerEndRun(int32_t selector, HostParamBlock& block);
  bool AnswerStep(int32_t selector, HostParamBlock& block);
  bool AnswerRunModeless(int32_t selector, HostParamBlock& block);
  bool AnswerChanges(int32_t selector, HostParamBlock& block);
  bool AnswerPage(int32_t selector, HostParamBlock& block);
  bool AnswerTitle(int32_t selector, HostParamBlock& block);
  bool AnswerWindowSize(int32_t selector, HostParamBlock& block);
  bool AnswerFormOfWindow(int32_t selector, HostParamBlock& block);
  bool AnswerEventDetails(int32_t selector, HostParamBlock& block);
  // The selectors of a form's objects. Each group answers its own
  // selectors (false for others) and says in `what` what it did.
  bool AnswerObject(int32_t selector, HostParamBlock& block, Open& open);
  void AnswerFormRect(int32_t selector, HostParamBlock& block, Open& open);
  bool AnswerObjectValue(int32_t selector, HostParamBlock& block, Object& object, std::string& what);
  bool AnswerObjectList(int32_t selector, HostParamBlock& block, Object& object, std::string& what);
  bool AnswerObjectState(int32_t selector, HostParamBlock& block, Open& open, Object& object, std::string& what);
  static void GetTextHandle(HostParamBlock& block, const Object& object, std::string& what);
  static void SetTextHandle(HostParamBlock& block, Object& object, std::string& what);
  static void GetEntry(HostParamBlock& block, const Object& object, std::string& what);
  static void SetListElement(int32_t selector, HostParamBlock& block, Object& object, std::string& what);
  static void FillFromResource(HostParamBlock& block, Object& object, std::string& what);
  static void GetListElement(int32_t selector, HostParamBlock& block, const Object& object, std::string& what);
  static void RemoveListRows(HostParamBlock& block, Object& object, std::string& what);
  static void InsertNumberRow(HostParamBlock& block, Object& object, std::string& what);
  static void SetPicture(HostParamBlock& block, Object& object, std::string& what);
  // An expectation of the action, as the form stands.
  void Expect(Open& open, const Action& action);
  // A snapshot of the form written, or compared with a reference ("png").
  void Snapshot(Open& open, const Action& action);
  // User areas: started (event 16) when the form first runs, told of each
  // click (1, 2), key (3, 4) and update (6) of theirs, closed (17) with the
  // form. An event goes with the form window's port current, or `port`.
  void StartUserAreas(uint32_t form);
  void CloseUserAreas(uint32_t form);
  // False when the object has no user-area routine or no module object.
  bool SendUserArea(uint32_t form, const std::string& name, HostEventRecord& event, void* port = nullptr);

  Logger fLog;
  Press fPress;
  TableNames fTableNames;
  std::map<std::string, Form> fForms;  // by lower-case name
  std::map<uint32_t, std::unique_ptr<Open>> fOpen;
  std::deque<std::pair<std::string, std::vector<Action>>> fScripts;
  std::vector<std::string> fFailures;
  std::unique_ptr<Form> fLastClosed;
  uint32_t fNextRef = 0x1000;
  bool fRefuseOpen = false;
  int32_t fExhaustedSteps = 0;
  std::vector<Check> fChecks;
  std::string fFolder;
  // The time of the user areas' clicks, in ticks: each click of a script
  // comes long after the one before, its presses a tick apart.
  uint32_t fAreaTicks = 0x10000;
};
