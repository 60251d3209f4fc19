// QvHost: the stand-in host application. It loads the module with dlopen,
// opens the module's resource file (and its own) as the host does, drives
// DaVuze as the host does, keeps the module's instance slot and the object
// cells of its areas, and answers the host callback: the start-up query,
// the module's state, its folder, messages, display routines, the century
// pivot, time texts, events, the look, windows and the fields of its
// database. Every other selector is logged and answered with an error.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <set>
#include <tuple>
#include <vector>

#include "boundary/HostRecords.h"
#include "qvhost/HostDatabase.h"
#include "qvhost/HostForms.h"
#include "qvhost/HostProcessRunner.h"

struct QvHostConfig {
  std::string modulePath;          // libqvmorva.so
  std::string moduleResourcePath;  // the module's resource file
  std::string hostResourcePath;    // the host's own resource file; empty for none
  // The start-up answer: version word (its low 16 bits are the host
  // version), the five flags (bits 30, 29 of one word, 27, 26, 25 of the
  // other) and the two names.
  uint32_t hostVersion = 0x670;
  bool flags[5] = {false, false, false, false, false};
  std::string hostName = "Qvbase";
  std::string secondName;
  // The host interface version of the start-up record.
  int16_t interfaceVersion = 0x600;
  // The folder of the preferences file ('PATH'), ending with "/"; empty: a
  // new temporary folder, removed with the host.
  std::string folder;
  std::string database = ":memory:";
  int32_t look = 0;
  int32_t pivotYear = 0;
  int32_t century = 0;
  // Whether the host offers its spelling service ("spellers on").
  bool spellers = false;
};

struct HeadlessChooserAnswer;
struct CHOOSECOLORA;
class HostScreen;

class QvHost {
 public:
  // One callback entry in the log: the selector and what the host made of it.
  struct LoggedCall {
    int32_t selector;
    std::string text;
  };
  // An area of a host form: the cell in which the module keeps its object.
  struct Area {
    void* cell = nullptr;
    HostEventRecord event{};
    void* params[kAreaEventParamCount] = {};
    // An area of a form window: the window's port (current during its
    // events), its rectangle in the form (top, left, bottom, right) and its
    // object name (length-prefixed), handed over with every event; the
    // routine its events go to.
    void* port = nullptr;
    int16_t rect[4] = {0, 0, 0, 0};
    uint8_t objectName[256] = {0};
    int32_t routine = 1;
    // The answer a script checks: the record as the module left it after
    // the area's last event, or after a key line's key-down (its key-up
    // comes later but is not the one the line means), and that event's code.
    HostEventRecord answer{};
    uint16_t answerCode = 0;
    // The 32-bit reference the module handed out for the area when it made
    // it (in the creating event's field after the message); commands name
    // the area by it.
    uint32_t reference = 0;
    // What the creating event made: an editing area of a form (told by its
    // modifiers), a printing object (by its message) or an output object
    // (by neither); none before that event.
    enum class Kind : uint8_t { none, form, output, printing };
    Kind kind = Kind::none;
    // The form editor's record of a placeholder, which its events point at.
    HostDesignRecord design{};
  };

  explicit QvHost(QvHostConfig config);
  // Stops a module that was started and unloads it.
  ~QvHost();
  QvHost(const QvHost&) = delete;
  QvHost& operator=(const QvHost&) = delete;

  // Loads the module and opens the resource files; false with a reason.
  bool Load(std::string* error);
  bool IsLoaded() const { return fDaVuze != nullptr; }

  // DaVuze with the host's slot.
  void Call(int32_t selector, void* params, void* result);
  // A start selector with a new start-up record (kept for inspection).
  void Start(int32_t selector);
  void Stop(int32_t selector);
  // A package event whose parameter is a plain number.
  void PackageEvent(int32_t selector, uintptr_t value);
  // A package event with the 10-byte record and the result cell.
  void PackageRecordEvent(int32_t selector, HostPackageEventRecord& record, uint32_t& result);
  // An area event of `routine` for the named area (made on first use):
  // the record's code, message, modifiers and 32-bit field after the message.
  Area& AreaEvent(int32_t routine, const std::string& name, uint16_t code, uintptr_t message,
                  uint16_t modifiers, uint32_t when = 0);
  Area* FindArea(const std::string& name);
  // The form editor's placeholder for an area of a form window (placed
  // first): 605 with the design record naming the window, the host's
  // version and `table`, then 607 drawing it into the window's port.
  void DesignArea(int32_t routine, const std::string& name, int16_t table);
  // Prints the area on a page of the default printer into the PDF file,
  // with the printer's port current: a printing object gets the printing
  // events 27, 29 and 28; a form's area and an output object are printed
  // as the host prints a form, by an update event (6) in which they draw
  // themselves on the page at their place in the form. An error text,
  // empty when the page was printed and the file written.
  std::string PrintArea(Area& area, const std::string& pdf);
  // Makes the named area (when new) without an event.
  Area& MakeArea(const std::string& name);
  // An event record as it stands for a known area, to its routine.
  void SendAreaRecord(Area& area, const HostEventRecord& record);
  // The main window, the form windows and the user in front of them.
  HostScreen& Screen() { return *fScreen; }
  // A command with an array of parameter pointers and a result cell.
  void Command(int32_t number, std::vector<void*> params, uint32_t& result);

  void* Slot() const { return fSlot; }
  void SetSlot(void* value) { fSlot = value; }
  const HostStartupRecord& LastStartupRecord() const { return fStartup; }
  bool WasStarted() const { return fStarted; }
  // Started and not stopped since.
  bool Running() const { return fRunning; }

  const std::vector<LoggedCall>& Log() const { return fLog; }
  void ClearLog() { fLog.clear(); }
  int32_t CountCalls(int32_t selector) const;
  // The texts the module showed through the host's alert, in order.
  std::vector<std::string> Messages() const;

  // Events waiting for the module's event requests. When none is left, a
  // request to take one (361) answers an update event while a form has
  // something to update, then Command-Q, so that no loop waits for ever;
  // a queued `none` answers one "no event" first.
  // A queued mouse-down with `track` also plays the button on the input
  // timeline when it is taken: pressed at its point, moved to (toH, toV)
  // and let go there, so that the module's tracking follows it. A queued
  // snapshot writes a PNG of the front window when its turn comes (after
  // that window's pending update) and answers "no event".
  struct QueuedEvent {
    HostEventRecord record{};
    bool track = false;
    int16_t toH = 0;
    int16_t toV = 0;
    std::string snapshot;
  };
  void QueueNoEvent() { QueueEvent(HostEventRecord{0xFFFF, 0, 0, 0, 0, 0}); }
  void QueueEvent(const HostEventRecord& record) {
    QueuedEvent event;
    event.record = record;
    fEvents.push_back(event);
  }
  void QueueEvent(const QueuedEvent& event) { fEvents.push_back(event); }
  void QueueSnapshot(const std::string& path) {
    QueuedEvent e;
    e.record = HostEventRecord{0xFFFE, 0, 0, 0, 0, 0};
    e.snapshot = path;
    fEvents.push_back(e);
  }

  // What the user answers to the module's next open, save or folder
  // chooser, in order: accept a path (with a filter from 1, or 0 to keep the
  // dialog's), cancel, or press the extra button. With none waiting, a
  // chooser is cancelled.
  struct Choice {
    int32_t action = 0;  // 0 cancel, 1 accept, 2 extra button
    std::string path;
    uint32_t filter = 0;
  };
  void QueueChoice(Choice choice) { fChoices.push_back(std::move(choice)); }
  // What the user picks in the next field chooser the module opens at a
  // point of the screen: a table and a field (table 0: none). With none
  // waiting, the user picks nothing.
  void QueueFieldChoice(uint16_t table, uint16_t field) { fFieldChoices.push_back({table, field}); }
  size_t PendingChoices() const { return fChoices.size() + fFieldChoices.size(); }
  // What the user answers to the module's next colour chooser, in order: a
  // colour as 0xRRGGBB, or cancel (none). With none waiting, the chooser is
  // cancelled.
  void QueueColour(std::optional<uint32_t> colour) { fColours.push_back(colour); }
  size_t PendingColours() const { return fColours.size(); }
  // The beeps of the module (system beeps and message beeps) since the host
  // was made or since the last call.
  int32_t TakeBeeps();
  size_t PendingConfirmations() const { return fConfirmations.size(); }
  HostDatabase& Database() { return *fDatabase; }
  // The host's forms: those of its resource file once loaded, scripts of
  // their runs, and what they hold.
  HostForms& Forms() { return *fForms; }
  // The forms of a resource file, for a host used without loading the
  // module; false with a reason.
  bool LoadForms(const std::string& resourcePath, std::string* error);
  // A line of the transcript from outside the callback (selector 0).
  void Note(const std::string& text) { fLog.push_back({0, text}); }
  // The answers to the module's confirmations, in order; with none waiting
  // the user says no. The texts asked are logged under -250.
  void QueueConfirmation(bool yes) { fConfirmations.push_back(yes); }
  // Processes: the current one, and the answer to -104 and -120.
  int32_t currentProcess = 1;
  int32_t otherProcess = 0;
  // The processes the module starts (-158) run as coroutines; the main
  // process is `currentProcess`. With `refuseProcesses` the host answers
  // process 0. The windows the host reports active (-422), by reference.
  // A process asking for an event (-361) when the queue is empty gets code
  // 33, and -414 tells it to stop: an exhausted script ends every process.
  HostProcessRunner& Processes();
  // While a script runs the user sits in front of the screen, and the
  // module's processes run beside the host's own, as they would in the
  // host: one asking for an event with nothing queued gets what its
  // windows need drawn (update events), else a null event, and is not
  // told to stop; each gets a turn after every line (GiveProcessesATurn).
  void SetUserPresent(bool present) { fUserPresent = present; }
  void GiveProcessesATurn();
  bool refuseProcesses = false;
  // One idle pass of the areas, run when the main process waits (-93,
  // -122): what another process left for an area's idle is answered before
  // that process runs again. Set by whoever drives the areas; a pass never
  // runs inside another.
  std::function<void()> idlePass;
  std::set<uint32_t> activeWindows;
  // The texts the user leaves in the host's formula editor (-248), in
  // order, each compiled as an expression; with none waiting the user
  // cancels it.
  std::deque<std::string> formulaEdits;
  // Opens the host's own resource file for a host used without the module:
  // its forms are loaded and it stays open, named by the start-up answer,
  // until the host goes. False with a reason.
  bool OpenHostResources(const std::string& resourcePath, std::string* error);
  // The room left for a user's method (-255) and the document text of
  // -335, -411 and -427.
  int32_t methodRoom = 1 << 20;
  std::string documentText;
  // What a script's commands keep: the references that commands answered
  // (areas made by command), by name, and the last command's outputs as
  // printed (p0, p1, ... and result).
  std::map<std::string, uint32_t> references;
  std::map<std::string, std::string> commandOutputs;

  // The routines of the host's language, by name (looked up by -117 and run
  // by -118). A routine receives its entries: entry 0 for its result, then
  // one per argument.
  using Routine = std::function<void(HostVariableEntry* entries, uint32_t count)>;
  void DefineRoutine(const std::string& name, Routine routine);
  // The host's 38-byte records of variables, by the name "name{i}" that
  // -513 asks for, in UTF-8 (the lozenge U+25CA in front of an interprocess
  // one).
  std::map<std::string, std::vector<uint8_t>> records;
  // Entries the module handed back for release (410 and -410).
  int32_t releasedEntries = 0;

  // The resource file kept for the module (in the database): its reference,
  // the resources whose removal the host refuses, and the current file.
  static constexpr int16_t kKeptResourceFile = 1;
  std::vector<std::pair<uint32_t, int16_t>> protectedResources;
  int16_t currentResourceFile = 0;
  // Handles the host handed out for the kept file and has not taken back.
  size_t OutstandingResourceHandles() const { return fResourceHandles.size(); }

  // The field the user is in (table 0: none), answered to -301 and -303.
  void SetCurrentField(uint16_t table, uint16_t field) {
    fCurrentTable = table;
    fCurrentFieldNumber = field;
  }
  // The further requests: reals by kind, table and field (-510), the
  // values answered to -90, the state answered to -178 and the modes the
  // module set with -179, in order. The lookups of -505 to -509 answer
  // table names (-505, -506, -507) and the database's named numbers
  // (-508, -509).
  std::map<std::tuple<int32_t, int16_t, int16_t>, double> reals;
  std::map<uint32_t, uint32_t> values90;
  uint8_t stateFlag = 0;
  int16_t stateWord = 0;
  std::vector<int32_t> modes;
  // The package's data the module keeps here (-102 reads, -103 writes), by
  // (resource base, a, b).
  std::map<std::tuple<int32_t, int32_t, int16_t>, std::vector<uint8_t>> packageData;
  // The host objects the module drives by number: 519 hands out a handle
  // for a number, 521 takes it back, 530 sets what the object shows, and
  // every request the object received is counted by selector.
  struct HostObject {
    int16_t number = 0;
    bool shown = false;
    uint32_t stateBit = 0;
    std::string title;
    bool repeat = false;
    std::map<int32_t, int32_t> requests;
  };
  std::map<uint32_t, HostObject> hostObjects;
  QvHostConfig& Config() { return fConfig; }
  const std::string& Folder() const { return fFolder; }
  int16_t ModuleResourceFile() const { return fModuleRef; }

  // The callback the module calls; answers for the host that is active.
  static void Callback(int32_t selector, HostParamBlock* block);

 private:
  void Answer(int32_t selector, HostParamBlock& block);
  // An update event for the front window when it is not a form and has
  // something to draw.
  bool FrontWindowUpdate(HostEventRecord& record);
  void AnswerStartup(HostParamBlock& block);
  void AnswerPath(HostParamBlock& block);
  void AnswerFieldInfo(HostParamBlock& block);
  void AnswerGetField(HostParamBlock& block);
  void AnswerSetField(HostParamBlock& block);
  void AnswerEvent(int32_t selector, HostParamBlock& block);
  bool AnswerData(int32_t selector, HostParamBlock& block);
  void AnswerStructure(int32_t selector, HostParamBlock& block);
  void AnswerVariable(int32_t selector, HostParamBlock& block);
  bool AnswerService(int32_t selector, HostParamBlock& block);
  bool AnswerProcess(int32_t selector, HostParamBlock& block);
  bool AnswerFormulaEditor(int32_t selector, HostParamBlock& block);
  bool AnswerRoutine(int32_t selector, HostParamBlock& block);
  bool AnswerRequest(int32_t selector, HostParamBlock& block);
  bool AnswerExpression(int32_t selector, HostParamBlock& block);
  // The kept resource file: opening, the current file, then one call on
  // the file after another.
  struct ResourceCall;
  bool AnswerResource(int32_t selector, HostParamBlock& block);
  bool AnswerResourceFileChoice(int32_t selector, HostParamBlock& block);
  int16_t FreeResourceId(uint32_t type);
  void AnswerResourceAdd(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceRemove(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceGet(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceRelease(int32_t selector, const ResourceCall& call);
  void AnswerResourceDetach(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceWrite(int32_t selector, const ResourceCall& call);
  void AnswerResourceCount(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceInfo(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceSetInfo(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceLock(HostParamBlock& block, const ResourceCall& call);
  void AnswerResourceList(int32_t selector, HostParamBlock& block, const ResourceCall& call);
  bool AnswerPackageData(int32_t selector, HostParamBlock& block);
  bool AnswerHostObject(int32_t selector, HostParamBlock& block);
  uint32_t ResourceHandle(uint32_t type, int16_t id);
  void Unload();
  static void AnswerChooser(int32_t chooser, const void* record, HeadlessChooserAnswer* answer, void* context);
  static int32_t AnswerColour(CHOOSECOLORA* dialog, void* context);

  QvHostConfig fConfig;
  std::unique_ptr<HostDatabase> fDatabase;
  std::unique_ptr<HostForms> fForms;
  std::string fFolder;
  bool fOwnsFolder = false;
  void* fLibrary = nullptr;
  void (*fDaVuze)(int32_t, void*, void**, void*) = nullptr;
  uint8_t (*fSwapProc)(uint8_t, uint32_t, uint32_t, void*) = nullptr;
  int16_t fModuleRef = -1;
  int16_t fHostRef = -1;
  void* fSlot = nullptr;
  bool fStarted = false;
  bool fRunning = false;
  HostStartupRecord fStartup{};
  std::map<std::string, std::unique_ptr<Area>> fAreas;
  std::unique_ptr<HostScreen> fScreen;
  std::vector<LoggedCall> fLog;
  std::deque<QueuedEvent> fEvents;
  std::deque<Choice> fChoices;
  std::deque<std::optional<uint32_t>> fColours;
  int32_t fBeepsSeen = 0;
  std::deque<std::pair<uint16_t, uint16_t>> fFieldChoices;
  std::deque<bool> fConfirmations;
  int32_t fLastProcess = 1;
  std::unique_ptr<HostProcessRunner> fProcesses;
  bool fInIdlePass = false;
  bool fUserPresent = false;
  // The windows handed to the module's processes (-92): native window,
  // process.
  std::map<uint32_t, int32_t> fProcessWindows;
  bool fFormulaEditPending = false;
  std::vector<std::pair<std::string, Routine>> fRoutines;
  // Handle -> (type, id) of the kept file's resources handed out, and
  // handles of removed resources, disposed with the host.
  std::map<uint32_t, std::pair<uint32_t, int16_t>> fResourceHandles;
  std::vector<uint32_t> fOrphanHandles;
  uint8_t fResourceLoad = 1;
  uint16_t fCurrentTable = 0;
  uint16_t fCurrentFieldNumber = 0;
};
