// The stand-in host's headless forms: descriptions, scripted runs and the
// form selectors.
#include "qvhost/HostForms.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "boundary/FourCC.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/toolbox/TbxWindows.h"
#include "qvhost/HostBytes.h"
#include "qvhost/HostCharacters.h"
#include "qvhost/HostFormPicture.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The object name at +310: zero-terminated, within the field.
std::string ObjectName(const HostParamBlock& block) {
  return std::string(reinterpret_cast<const char*>(block.text2), strnlen(reinterpret_cast<const char*>(block.text2), 80));
}

// Words of a description line; a quoted word may hold spaces.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      words.push_back(line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
      i = end == std::string::npos ? line.size() : end + 1;
    } else {
      size_t end = i;
      while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
      words.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

bool Number(const std::string& word, double& value) {
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  return !word.empty() && end != nullptr && *end == 0;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  std::string item;
  std::istringstream in(text);
  while (std::getline(in, item, '|')) items.push_back(item);
  return items;
}

// A real as an entry shows it: at most six significant digits, no
// trailing zeros.
std::string RealText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i == 0 ? "" : "|") + items[i];
  return out;
}

// The events a user area hears from the form.
constexpr uint16_t kAreaEventMouseDown = 1;
constexpr uint16_t kAreaEventMouseUp = 2;
constexpr uint16_t kAreaEventKeyDown = 3;
constexpr uint16_t kAreaEventKeyUp = 4;
constexpr uint16_t kAreaEventUpdate = 6;
// A click of the script comes this long after the one before (longer than
// a double click's time), so that separate clicks never join.
constexpr uint32_t kTicksBetweenClicks = 120;

// The names of the form's user areas that have a routine: a copy, since
// the module may change the form's objects while an area handles an event.
std::vector<std::string> UserAreaNames(const HostForms::Form& form) {
  std::vector<std::string> names;
  for (const HostForms::Object& object : form.objects)
    if (object.drawRoutine != 0) names.push_back(object.name);
  return names;
}

const char* const kKinds[] = {"button", "check", "radio", "entry", "list", "popup", "tab", "picture", "user", "chooser"};

// The value of an object as a long: its selection for lists, radio groups
// and tabs, else its value.
void SetFromText(HostForms::Object& object, const std::string& text) {
  object.text = text;
  object.real = std::atof(text.c_str());
  object.value = std::atoi(text.c_str());
  // A field chooser (one of the form's, or made at run time) is set to a
  // field as "table.field".
  int table = 0, field = 0;
  if ((object.kind == "chooser" || object.kind == "user") && std::sscanf(text.c_str(), "%d.%d", &table, &field) == 2) {
    object.table = static_cast<int16_t>(table);
    object.field = static_cast<int16_t>(field);
  }
}

}  // namespace

struct HostForms::Open {
  uint32_t ref = 0;
  Form form;
  uintptr_t owner = 0;
  Tbx::WindowRef window = nullptr;
  bool opened = false;
  bool modeless = false;
  bool ended = false;
  int16_t page = 1;
  std::string title;
  int32_t changes = 0;
  std::deque<Action> script;
  bool scripted = false;
  // The modeless step routine and its parameter.
  HostFormStepRoutine step = nullptr;
  uint32_t parameter = 0;
  // The details of the last drop, for -237.
  std::string dropName, dropText;
  // The slots of the user areas, by lower-case name: each keeps the
  // module's object of its area at a fixed address.
  std::map<std::string, std::unique_ptr<void*>> cells;
  bool areasStarted = false;
};

HostForms::HostForms(Logger log) : fLog(std::move(log)) {}

HostForms::~HostForms() {
  for (auto& [ref, open] : fOpen)
    if (open->window != nullptr) Tbx::DisposeWindow(open->window);
}

bool HostForms::Define(const std::string& name, const std::string& text, std::string* error) {
  Form form;
  form.name = name;
  std::istringstream in(text);
  std::string line;
  int32_t number = 0;
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = name + ":" + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    const std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == '#') continue;
    double n[4];
    if (w[0] == "size") {
      if (w.size() != 3 || !Number(w[1], n[0]) || !Number(w[2], n[1]) || n[0] <= 0 || n[1] <= 0)
        return fail("size takes a width and a height");
      form.width = static_cast<int32_t>(n[0]);
      form.height = static_cast<int32_t>(n[1]);
      continue;
    }
    if (w[0] != "object" || w.size() < 7) return fail("expected: object NAME KIND LEFT TOP WIDTH HEIGHT");
    Object object;
    object.name = w[1];
    object.kind = w[2];
    if (std::find(std::begin(kKinds), std::end(kKinds), object.kind) == std::end(kKinds))
      return fail("unknown kind " + object.kind);
    for (int i = 0; i < 4; ++i)
      if (!Number(w[3 + i], n[i])) return fail("bad rectangle");
    object.rect[0] = static_cast<int16_t>(n[1]);
    object.rect[1] = static_cast<int16_t>(n[0]);
    object.rect[2] = static_cast<int16_t>(n[1] + n[3]);
    object.rect[3] = static_cast<int16_t>(n[0] + n[2]);
    for (size_t i = 7; i < w.size(); i += 2) {
      if (i + 1 >= w.size()) return fail("no value for " + w[i]);
      const std::string& key = w[i];
      const std::string& value = w[i + 1];
      double x = 0;
      if (key == "text" || key == "value" || key == "real") {
        if (key != "text" && !Number(value, x)) return fail("bad number " + value);
        SetFromText(object, value);
      } else if (key == "items") {
        object.items = Split(value);
      } else if (key == "page" || key == "table" || key == "field") {
        if (!Number(value, x)) return fail("bad number " + value);
        if (key == "page") object.page = static_cast<int32_t>(x);
        if (key == "table") object.table = static_cast<int16_t>(x);
        if (key == "field") object.field = static_cast<int16_t>(x);
      } else {
        return fail("unknown key " + key);
      }
    }
    form.objects.push_back(std::move(object));
  }
  fForms[Lower(name)] = std::move(form);
  return true;
}

int32_t HostForms::LoadFrom(int16_t resourceFile, std::string* error) {
  const int16_t previous = Tbx::CurResFile();
  Tbx::UseResFile(resourceFile);
  const Tbx::ResType type = FourCC("QFRM");
  int32_t defined = 0;
  const int16_t count = Tbx::Count1Resources(type);
  for (int16_t i = 1; i <= count; ++i) {
    const Tbx::Handle h = Tbx::Get1IndResource(type, i);
    if (h == 0) continue;
    int16_t id = 0;
    Tbx::ResType t = 0;
    uint8_t name[256] = {0};
    Tbx::GetResInfo(h, &id, &t, name);
    const int32_t size = Tbx::GetHandleSize(h);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
      std::memcpy(text.data(), Tbx::HLock(h), text.size());
      Tbx::HUnlock(h);
    }
    if (Define(Pascal(name), text, error)) ++defined;
  }
  Tbx::UseResFile(previous);
  return defined;
}

bool HostForms::Has(const std::string& name) const { return fForms.count(Lower(name)) != 0; }

void HostForms::Script(const std::string& formName, std::vector<Action> actions) {
  fScripts.emplace_back(formName, std::move(actions));
}

void HostForms::AddToScript(const std::string& formName, Action action) {
  if (fScripts.empty() || Lower(fScripts.back().first) != Lower(formName)) fScripts.emplace_back(formName, std::vector<Action>{});
  fScripts.back().second.push_back(std::move(action));
}

std::vector<HostForms::Check> HostForms::TakeChecks() {
  std::vector<Check> checks;
  checks.swap(fChecks);
  return checks;
}

void HostForms::Expect(Open& open, const Action& action) {
  // The form keeps the host's texts; the transcript shows them as UTF-8.
  const std::string head = "form " + open.form.name + " expect " + action.object + " " + action.value + " \"" +
                           MacToUtf8(action.expected) + "\"";
  Object* object = FindObject(open.ref, action.object);
  if (object == nullptr) {
    fChecks.push_back({false, head + " (no such object)"});
    return;
  }
  std::string got;
  const std::string& what = action.value;
  if (what == "value") {
    got = std::to_string(object->value);
  } else if (what == "real") {
    got = RealText(object->real);
  } else if (what == "text") {
    got = object->text;
  } else if (what == "items") {
    got = Joined(object->items);
  } else if (what == "enabled") {
    got = object->enabled ? "yes" : "no";
  } else if (what == "visible") {
    got = object->visible ? "yes" : "no";
  } else if (what == "format") {
    got = object->format;
  } else if (what == "picture") {
    got = object->picture.empty() ? "none" : "some";
  } else {
    fChecks.push_back({false, head + " (cannot check " + what + ")"});
    return;
  }
  const bool holds = got == action.expected;
  fChecks.push_back({holds, head + (holds ? "" : " (got \"" + MacToUtf8(got) + "\")")});
}

void HostForms::Snapshot(Open& open, const Action& action) {
  const bool compare = action.kind == "png";
  const std::string path = compare ? fFolder + "form-compared.png" : action.value;
  const uint32_t ref = open.ref;
  const UserAreaPainter paint = [this, ref](const Object& object, HDC dc) {
    Open* current = FindOpen(ref);
    if (current == nullptr || object.drawRoutine == 0) return false;
    // The area draws on a port over the picture, clipped to its rectangle,
    // as on an update of the form's window.
    Tbx::GrafPtr port = Tbx::OpenPrinterPort(dc);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, object.rect[1], object.rect[0], object.rect[3], object.rect[2]);
    HostEventRecord update{};
    update.what = kAreaEventUpdate;
    update.message = reinterpret_cast<uintptr_t>(current->window);
    const bool drawn = SendUserArea(ref, object.name, update, port);
    RestoreDC(dc, saved);
    Tbx::ClosePrinterPort(port);
    return drawn;
  };
  // A copy: the module's drawing must not move the objects under the loop.
  const Form shown = open.form;
  std::string error = WriteFormPicture(shown, open.page, path, paint);
  const std::string head = "form " + open.form.name + (compare ? " png \"" : " snapshot \"") + action.value + "\"";
  if (!error.empty() || !compare) {
    fChecks.push_back({error.empty(), head + (error.empty() ? "" : " (" + error + ")")});
    return;
  }
  auto read = [](const std::string& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  };
  std::string want, got;
  const bool haveReference = read(action.value, want);
  read(path, got);
  std::remove(path.c_str());
  fChecks.push_back({haveReference && !got.empty() && want == got, head + (haveReference ? "" : " (no such file)")});
}

bool HostForms::SendUserArea(uint32_t form, const std::string& name, HostEventRecord& event, void* port) {
  Open* open = FindOpen(form);
  Object* object = FindObject(form, name);
  if (open == nullptr || object == nullptr || object->drawRoutine == 0) return false;
  std::unique_ptr<void*>& cell = open->cells[Lower(object->name)];
  if (!cell) cell = std::make_unique<void*>(nullptr);
  // Only the creating event goes to an area without an object.
  if (event.what != kAreaEventCreate && *cell == nullptr) return false;
  void** slot = cell.get();
  int16_t rect[4];
  std::memcpy(rect, object->rect, sizeof rect);
  uint8_t pascal[81];
  SetPascal(pascal, object->name, 80);
  const auto routine = reinterpret_cast<HostUserAreaRoutine>(object->drawRoutine);
  fLog(0, "form " + open->form.name + ": user area " + object->name + " event " + std::to_string(event.what));
  Tbx::GrafPtr saved = nullptr;
  Tbx::GetPort(&saved);
  Tbx::SetPort(port != nullptr ? static_cast<Tbx::GrafPtr>(port) : &open->window->port);
  routine(slot, pascal, rect, &event);
  Tbx::SetPort(saved);
  return true;
}

void HostForms::StartUserAreas(uint32_t form) {
  Open* open = FindOpen(form);
  if (open == nullptr || open->areasStarted || open->window == nullptr) return;
  open->areasStarted = true;
  for (const std::string& name : UserAreaNames(open->form)) {
    // A form without a table: `when` -1.
    HostEventRecord create{};
    create.what = kAreaEventCreate;
    create.when = 0xFFFFFFFFu;
    SendUserArea(form, name, create);
  }
}

void HostForms::CloseUserAreas(uint32_t form) {
  Open* open = FindOpen(form);
  if (open == nullptr || open->window == nullptr) return;
  for (const std::string& name : UserAreaNames(open->form)) {
    HostEventRecord close{};
    close.what = kAreaEventDelete;
    SendUserArea(form, name, close);
  }
}

HostForms::Open* HostForms::FindOpen(uint32_t form) {
  auto it = fOpen.find(form);
  return it != fOpen.end() ? it->second.get() : nullptr;
}

HostForms::Object* HostForms::FindObject(uint32_t form, const std::string& name) {
  Open* open = FindOpen(form);
  if (open == nullptr) return nullptr;
  const std::string key = Lower(name);
  for (Object& object : open->form.objects)
    if (Lower(object.name) == key) return &object;
  return nullptr;
}

void HostForms::Close(int32_t selector, uint32_t form, const char* how) {
  CloseUserAreas(form);
  auto it = fOpen.find(form);
  if (it == fOpen.end()) {
    fLog(selector, std::string(how) + ": no form");
    return;
  }
  Open& open = *it->second;
  if (open.window != nullptr) Tbx::DisposeWindow(open.window);
  if (open.changes != 0) fFailures.push_back(open.form.name + ": changes begun and not ended");
  fLastClosed = std::make_unique<Form>(open.form);
  fLog(selector, std::string(how) + " " + open.form.name);
  fOpen.erase(it);
}

int32_t HostForms::StepModeless() {
  std::vector<std::pair<HostFormStepRoutine, std::pair<uint32_t, uint32_t>>> steps;
  for (auto& [ref, open] : fOpen)
    if (open->modeless && open->step != nullptr) steps.push_back({open->step, {ref, open->parameter}});
  int32_t done = 0;
  for (auto& [routine, args] : steps) done += routine(args.first, args.second) != 0;
  return done;
}

void HostForms::Step(Open& open, HostParamBlock& block, bool modeless) {
  const auto callback = reinterpret_cast<HostFormEventCallback>(block.param2);
  const uint32_t ref = open.ref;
  // The form may go while the module handles an event: only its reference
  // and name are kept across the callbacks.
  const std::string formName = open.form.name;
  block.text2[0] = 0;
  block.flag = 0;
  block.flag2 = 0;
  bool ended = false;
  bool acted = false;
  // The form's user areas begin with its first step.
  StartUserAreas(ref);
  while (!ended) {
    Open* current = FindOpen(ref);
    if (current == nullptr || current->script.empty()) break;
    const Action action = current->script.front();
    current->script.pop_front();
    acted = true;
    ended = PlayAction(*current, action, block, callback);
  }
  FinishStep(formName, block, modeless, acted, ended);
}

bool HostForms::PlayAction(Open& current, const Action& action, HostParamBlock& block,
                           HostFormEventCallback callback) {
  const uint32_t ref = current.ref;
  const std::string formName = current.form.name;
  Object* object = FindForAction(current, action.object);
  const std::string name = object != nullptr ? object->name : action.object;
  if (action.kind == "accept" || action.kind == "cancel") {
    EndStepBy(current, action, object, name, block);
    return true;
  }
  if (action.kind == "expect") {
    Expect(current, action);
    return false;
  }
  if (action.kind == "snapshot" || action.kind == "png") {
    Snapshot(current, action);
    return false;
  }
  if (object == nullptr) {
    fFailures.push_back(formName + ": no object " + action.object);
    return false;
  }
  if (const std::string why = OutOfReach(current, action.kind, *object); !why.empty()) {
    // The user cannot reach it: the line fails and the dialog is
    // cancelled, so that nothing the script meant afterwards is applied.
    CancelUnreachable(formName, action.kind, *object, why, block);
    return true;
  }
  if (action.kind == "drag") {
    PlayDrag(current, *object, action);
    return false;
  }
  HostEventRecord event{};
  int32_t code = 0;
  if (!ActionEvent(current, *object, action, event, code)) {
    fFailures.push_back(formName + ": unknown action " + action.kind);
    return false;
  }
  fLog(0, "form " + formName + ": " + action.kind + " " + object->name + " (event " + std::to_string(code) + ")");
  SendPresses(current, *object, action, event, code, callback);
  if (action.kind == "click") {
    SetPascal(block.text2, name, 80);
    return true;
  }
  const Open* after = FindOpen(ref);
  return after == nullptr || after->ended;
}

void HostForms::EndStepBy(const Open& current, const Action& action, const Object* object,
                          const std::string& name, HostParamBlock& block) {
  const std::string& formName = current.form.name;
  const std::string why = action.kind == "accept" && object != nullptr ? OutOfReach(current, action.kind, *object) : "";
  if (!why.empty()) {
    CancelUnreachable(formName, action.kind, *object, why, block);
    return;
  }
  SetPascal(block.text2, name, 80);
  block.flag2 = 1;
  block.flag = action.kind == "cancel" ? 1 : 0;
  fLog(0, "form " + formName + ": " + action.kind + (name.empty() ? "" : " " + name));
}

HostForms::Object* HostForms::FindForAction(Open& current, const std::string& name) {
  const std::string key = Lower(name);
  for (Object& object : current.form.objects)
    if ((object.page == 0 || object.page == current.page) && Lower(object.name) == key) return &object;
  return FindObject(current.ref, name);
}

std::string HostForms::OutOfReach(const Open& current, const std::string& kind, const Object& object) {
  if (!object.visible) return "hidden";
  if (object.page != 0 && object.page != current.page) return "page " + std::to_string(object.page);
  if (!object.enabled) return "disabled";
  // Typing goes only into a field the module left enterable.
  if (!object.enterable && (kind == "set" || kind == "key")) return "not enterable";
  return {};
}

void HostForms::CancelUnreachable(const std::string& formName, const std::string& kind, const Object& object,
                                  const std::string& why, HostParamBlock& block) {
  const bool offPage = why.rfind("page ", 0) == 0;
  fFailures.push_back(formName + ": " + kind + " on " + (offPage ? "object " + object.name + " of " + why + ", not shown"
                                                                 : why + " object " + object.name));
  fLog(0, "form " + formName + ": " + object.name + " cannot be reached, cancel");
  block.flag2 = 1;
  block.flag = 1;
}

bool HostForms::ActionEvent(Open& current, Object& object, const Action& action, HostEventRecord& event,
                            int32_t& code) {
  if (action.kind == "set") {
    SetFromText(object, action.value);
    code = kFormEventValueChanged;
  } else if (action.kind == "select") {
    object.value = std::atoi(action.value.c_str());
    if (object.kind == "tab") current.page = static_cast<int16_t>(object.value);
    code = kFormEventValueChanged;
  } else if (action.kind == "key") {
    event.what = 3;
    event.message = action.value.empty() ? 0 : static_cast<uint8_t>(action.value[0]);
    code = kFormEventKey;
  } else if (action.kind == "point" || action.kind == "click") {
    int x = 1, y = 1;
    std::sscanf(action.value.c_str(), "%d %d", &x, &y);
    event.what = 1;
    event.whereH = static_cast<int16_t>(object.rect[1] + x);
    event.whereV = static_cast<int16_t>(object.rect[0] + y);
    code = action.kind == "point" ? kFormEventPoint : kFormEventClick;
  } else if (action.kind == "drop") {
    current.dropName = object.name;
    current.dropText = action.value;
    code = kFormEventDrop;
  } else {
    return false;
  }
  return true;
}

void HostForms::PlayDrag(Open& current, Object& object, const Action& action) {
  const uint32_t ref = current.ref;
  const std::string formName = current.form.name;
  const std::string name = object.name;
  // Only a user area the module serves can be dragged in: the button
  // goes down there and the module's loop follows the timeline.
  const bool served = object.drawRoutine != 0 && current.cells.count(Lower(object.name)) != 0 &&
                      *current.cells[Lower(object.name)] != nullptr;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (!served || std::sscanf(action.value.c_str(), "%d %d %d %d", &x1, &y1, &x2, &y2) != 4) {
    fFailures.push_back(formName + ": drag on " + object.name + (served ? ": bad points" : ": no user area"));
    return;
  }
  int32_t left = 0, top = 0, width = 0, height = 0;
  Tbx::GetWindowBounds(current.window, &left, &top, &width, &height);
  const int32_t ox = left + object.rect[1], oy = top + object.rect[0];
  fLog(0, "form " + formName + ": drag " + object.name + " " + action.value);
  if (fPress) fPress(ox + x1, oy + y1, ox + x2, oy + y2);
  HostEventRecord down{};
  down.what = kAreaEventMouseDown;
  down.whereH = static_cast<int16_t>(object.rect[1] + x1);
  down.whereV = static_cast<int16_t>(object.rect[0] + y1);
  down.when = ++fAreaTicks;
  SendUserArea(ref, name, down);
  if (FindOpen(ref) != nullptr) {
    HostEventRecord up = down;
    up.what = kAreaEventMouseUp;
    up.whereH = static_cast<int16_t>(object.rect[1] + x2);
    up.whereV = static_cast<int16_t>(object.rect[0] + y2);
    up.when = ++fAreaTicks;
    SendUserArea(ref, name, up);
  }
}

void HostForms::SendPresses(Open& current, const Object& object, const Action& action, HostEventRecord& event,
                            int32_t code, HostFormEventCallback callback) {
  const uint32_t ref = current.ref;
  const std::string name = object.name;
  uint8_t pascal[81];
  SetPascal(pascal, object.name, 80);
  // A click of several clicks comes as that many presses, one tick apart,
  // each numbered in the event's message.
  const int32_t presses = action.kind == "click" ? std::max<int32_t>(1, action.count) : 1;
  // A user area that the module serves hears the mouse and the keys
  // itself; the presses of a click come a tick apart, so that the area
  // counts them as one click of that many.
  const bool toArea = (action.kind == "click" || action.kind == "key") && object.drawRoutine != 0 &&
                      current.cells.count(Lower(object.name)) != 0 && *current.cells[Lower(object.name)] != nullptr;
  if (toArea && action.kind == "click") fAreaTicks += kTicksBetweenClicks;
  for (int32_t press = 1; press <= presses && FindOpen(ref) != nullptr; ++press) {
    if (toArea) {
      HostEventRecord down = event;
      down.what = action.kind == "click" ? kAreaEventMouseDown : kAreaEventKeyDown;
      if (action.kind == "click") down.message = 0;
      down.when = ++fAreaTicks;
      SendUserArea(ref, name, down);
      HostEventRecord up = down;
      up.what = action.kind == "click" ? kAreaEventMouseUp : kAreaEventKeyUp;
      up.when = ++fAreaTicks;
      if (FindOpen(ref) != nullptr) SendUserArea(ref, name, up);
      continue;
    }
    if (action.kind == "click") {
      event.message = static_cast<uint32_t>(press);
      event.when = static_cast<uint32_t>(press);
    }
    if (callback != nullptr) callback(ref, &event, pascal, code, 0);
  }
}

void HostForms::FinishStep(const std::string& formName, HostParamBlock& block, bool modeless, bool acted,
                           bool ended) {
  if (modeless) {
    block.longValue = acted ? 1 : 0;
    block.shortValue = block.text2[0] != 0 ? 1 : 0;
    return;
  }
  if (!ended) {
    // Nothing left to play: the step cancels, so that the run ends.
    fFailures.push_back(formName + ": script exhausted");
    fLog(0, "form " + formName + ": script exhausted, cancel");
    block.flag2 = 1;
    block.flag = 1;
    if (++fExhaustedSteps > 100) {
      std::fprintf(stderr, "qvhost: form %s keeps running without a script\n", formName.c_str());
      std::abort();
    }
  }
}

bool HostForms::Answer(int32_t selector, HostParamBlock& block) {
  const uint32_t ref = static_cast<uint32_t>(block.param1);
  switch (selector) {
    case kFormSelNew: return AnswerNew(selector, block);
    case kFormSelSetOwner:
    case kFormSelGetOwner: return AnswerOwner(selector, block);
    case kFormSelOpen: return AnswerOpen(selector, block);
    case kFormSelGetWindow: return AnswerWindow(selector, block);
    case kFormSelClose: Close(selector, ref, "close"); return true;
    case kFormSelCloseModeless: Close(selector, ref, "close modeless"); return true;
    case kFormSelRelease: return AnswerRelease(selector, block);
    case kFormSelResources:
      fLog(selector, std::string("form resources ") + (block.flag ? "off" : "on"));
      return true;
    case kFormSelEndRun: return AnswerEndRun(selector, block);
    case kFormSelStep:
    case kFormSelModelessStep: return AnswerStep(selector, block);
    case kFormSelRunModeless: return AnswerRunModeless(selector, block);
    case kFormSelBeginChanges:
    case kFormSelEndChanges: return AnswerChanges(selector, block);
    case kFormSelGetPage:
    case kFormSelSelectPage: return AnswerPage(selector, block);
    case kFormSelGetTitle: return AnswerTitle(selector, block);
    case kFormSelSetWindowSize: return AnswerWindowSize(selector, block);
    case kFormSelOfWindow: return AnswerFormOfWindow(selector, block);
    case kFormSelEventDetails: return AnswerEventDetails(selector, block);
    default: {
      Open* open = FindOpen(ref);
      if (open == nullptr) return false;
      return AnswerObject(selector, block, *open);
    }
  }
}

bool HostForms::AnswerNew(int32_t selector, HostParamBlock& block) {
  block.param1 = ++fNextRef;
  auto open = std::make_unique<Open>();
  open->ref = fNextRef;
  fOpen[fNextRef] = std::move(open);
  block.error = 0;
  fLog(selector, "new form " + std::to_string(fNextRef));
  return true;
}

bool HostForms::AnswerOwner(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  block.error = open != nullptr ? 0 : -1;
  if (open != nullptr && selector == kFormSelSetOwner) open->owner = block.param2;
  if (open != nullptr && selector == kFormSelGetOwner) block.param2 = open->owner;
  fLog(selector, selector == kFormSelSetOwner ? "set owner" : "get owner");
  return true;
}

bool HostForms::AnswerOpen(int32_t selector, HostParamBlock& block) {
  const uint32_t ref = static_cast<uint32_t>(block.param1);
  const std::string name(reinterpret_cast<const char*>(block.text), strnlen(reinterpret_cast<const char*>(block.text), 255));
  Open* open = FindOpen(ref);
  auto form = fForms.find(Lower(name));
  if (open == nullptr || form == fForms.end() || fRefuseOpen) {
    block.param1 = 0;
    block.error = -1;
    fLog(selector, "open " + name + " refused");
    return true;
  }
  // The open form gets a reference of its own.
  auto moved = std::move(fOpen[ref]);
  fOpen.erase(ref);
  const uint32_t newRef = ++fNextRef;
  moved->ref = newRef;
  TakePendingValues(*moved, form->second);
  moved->opened = true;
  moved->title = Pascal(block.text2);
  moved->modeless = HostWordOf(block.param3) != 5;
  MakeFormWindow(*moved, HostPointer<const int16_t>(block.param2));
  TakeScript(*moved, ref, name);
  fOpen[newRef] = std::move(moved);
  block.param1 = newRef;
  block.error = 0;
  fLog(selector, "open " + name + " kind " + std::to_string(HostWordOf(block.param3)));
  return true;
}

void HostForms::TakePendingValues(Open& open, const Form& description) {
  // Values given before the open go to the form's objects.
  Form described = description;
  for (const Object& pending : open.form.objects)
    for (Object& target : described.objects)
      if (Lower(target.name) == Lower(pending.name)) {
        target.items = pending.items;
        if (!pending.text.empty()) SetFromText(target, pending.text);
        target.first = pending.first;
        target.last = pending.last;
        if (pending.drawn) {
          target.drawn = true;
          target.drawRoutine = pending.drawRoutine;
        }
      }
  open.form = std::move(described);
}

void HostForms::MakeFormWindow(Open& open, const int16_t* rect) {
  int32_t left = 0, top = 0, width = open.form.width, height = open.form.height;
  if (rect != nullptr && rect[2] > rect[0] && rect[3] > rect[1]) {
    top = rect[0];
    left = rect[1];
    height = rect[2] - rect[0];
    width = rect[3] - rect[1];
  }
  uint8_t title[81];
  SetPascal(title, open.title, 80);
  // A hidden movable dialog window whose content lies at the rectangle.
  const Tbx::Rect bounds{int16_t(top), int16_t(left), int16_t(top + height), int16_t(left + width)};
  open.window = Tbx::NewCWindow(nullptr, &bounds, title, false, Tbx::movableDBoxProc, Tbx::kInFront, false, 0);
}

void HostForms::TakeScript(Open& open, uint32_t oldRef, const std::string& name) {
  // A form opened while another runs (a dialog's sub-dialog) takes the
  // next script queued for its own name, so that its caller's script
  // may be queued before it or continue after it; a first form takes
  // the next script, whichever form it is for.
  auto next = fScripts.begin();
  const bool nested = std::any_of(fOpen.begin(), fOpen.end(), [&](const auto& entry) {
    return entry.first != oldRef && entry.second->opened && !entry.second->modeless;
  });
  if (nested) {
    const auto own = std::find_if(fScripts.begin(), fScripts.end(),
                                  [&](const auto& script) { return Lower(script.first) == Lower(name); });
    if (own != fScripts.end()) next = own;
  }
  if (next == fScripts.end()) {
    fFailures.push_back("no script for form " + name);
    return;
  }
  auto script = std::move(*next);
  fScripts.erase(next);
  if (Lower(script.first) != Lower(name)) {
    fFailures.push_back("unexpected form " + name + " (the script is for " + script.first + ")");
  } else {
    open.script.assign(script.second.begin(), script.second.end());
    open.scripted = true;
  }
}

bool HostForms::AnswerWindow(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  block.param2 = open != nullptr ? reinterpret_cast<uintptr_t>(open->window) : 0;
  block.error = open != nullptr ? 0 : -1;
  fLog(selector, "window");
  return true;
}

bool HostForms::AnswerRelease(int32_t selector, HostParamBlock& block) {
  const uint32_t ref = static_cast<uint32_t>(block.param1);
  Open* open = FindOpen(ref);
  if (open != nullptr && open->opened) fFailures.push_back("an open form was released");
  fOpen.erase(ref);
  fLog(selector, "release form");
  return true;
}

bool HostForms::AnswerEndRun(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.handle));
  if (open != nullptr) open->ended = true;
  fLog(selector, block.param1 == 0 ? "end run: accept" : "end run: cancel");
  return true;
}

bool HostForms::AnswerStep(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  if (open == nullptr) {
    block.error = -1;
    block.flag2 = 1;
    block.flag = 1;
    fLog(selector, "step of no form");
    return true;
  }
  open->ended = false;
  fLog(selector, "step " + open->form.name);
  Step(*open, block, selector == kFormSelModelessStep);
  return true;
}

bool HostForms::AnswerRunModeless(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  if (open != nullptr) {
    open->step = reinterpret_cast<HostFormStepRoutine>(block.param2);
    open->parameter = static_cast<uint32_t>(block.param4);
  }
  fLog(selector, "run modeless");
  return true;
}

bool HostForms::AnswerChanges(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  if (open != nullptr) open->changes += selector == kFormSelBeginChanges ? 1 : -1;
  if (open != nullptr && (open->changes < 0 || open->changes > 1))
    fFailures.push_back(open->form.name + ": unbalanced changes");
  fLog(selector, selector == kFormSelBeginChanges ? "begin changes" : "end changes");
  return true;
}

bool HostForms::AnswerPage(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  block.error = open != nullptr ? 0 : -1;
  if (open != nullptr && selector == kFormSelGetPage) block.param2 = static_cast<uint16_t>(open->page);
  if (open != nullptr && selector == kFormSelSelectPage) {
    open->page = static_cast<int16_t>(block.param2);
    // The tab control shows the page chosen.
    for (Object& object : open->form.objects)
      if (object.kind == "tab") object.value = open->page;
  }
  fLog(selector, selector == kFormSelGetPage ? "get page" : "select page");
  return true;
}

bool HostForms::AnswerTitle(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  block.error = open != nullptr ? 0 : -1;
  if (open != nullptr) SetPascal(block.text, open->title, 255);
  fLog(selector, "title");
  return true;
}

bool HostForms::AnswerWindowSize(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  if (open != nullptr) Tbx::SizeWindow(open->window, HostWordOf(block.param2), HostWordOf(block.param3), true);
  fLog(selector, "window size");
  return true;
}

bool HostForms::AnswerFormOfWindow(int32_t selector, HostParamBlock& block) {
  // The open form whose window is given at +276.
  block.param1 = 0;
  block.error = -1;
  for (const auto& [formRef, open] : fOpen) {
    if (open->window != nullptr && reinterpret_cast<uintptr_t>(open->window) == block.param2) {
      block.param1 = formRef;
      block.error = 0;
    }
  }
  fLog(selector, "form of window");
  return true;
}

bool HostForms::AnswerEventDetails(int32_t selector, HostParamBlock& block) {
  Open* open = FindOpen(static_cast<uint32_t>(block.param1));
  block.error = open != nullptr ? 0 : -1;
  if (open != nullptr) {
    SetPascal(block.text2, open->dropName, 80);
    SetPascal(block.text, open->dropText, 255);
    block.param2 = 0;
    block.param3 = 0;
    block.param4 = open->ref;
    block.longValue = 0;
  }
  fLog(selector, "event details");
  return true;
}

bool HostForms::AnswerObject(int32_t selector, HostParamBlock& block, Open& open) {
  const std::string name = ObjectName(block);
  if (selector == kFormSelNewObject) {
    if (FindObject(open.ref, name) != nullptr) fFailures.push_back(open.form.name + ": object made twice: " + name);
    Object object;
    object.name = name;
    object.kind = "user";
    object.runtime = true;
    open.form.objects.push_back(object);
    block.error = 0;
    fLog(selector, "new object " + name);
    return true;
  }
  if (selector == kFormSelGetObjectRect && name.empty()) {
    AnswerFormRect(selector, block, open);
    return true;
  }
  Object* object = FindObject(open.ref, name);
  if (object == nullptr && !open.opened && !name.empty()) {
    // Before the form opens its objects are noted by name and take their
    // values to the form's objects when it opens.
    Object pending;
    pending.name = name;
    pending.kind = "pending";
    open.form.objects.push_back(pending);
    object = &open.form.objects.back();
  }
  if (object == nullptr) {
    // Selectors of objects only: an unknown name is an error.
    block.error = -1;
    fLog(selector, "no object " + name);
    return true;
  }
  block.error = 0;
  std::string what;
  if (!AnswerObjectValue(selector, block, *object, what) && !AnswerObjectList(selector, block, *object, what) &&
      !AnswerObjectState(selector, block, open, *object, what))
    return false;
  fLog(selector, open.form.name + "." + name + ": " + what);
  return true;
}

void HostForms::AnswerFormRect(int32_t selector, HostParamBlock& block, Open& open) {
  auto* rect = HostPointer<int16_t>(block.param2);
  int32_t left = 0, top = 0, width = 0, height = 0;
  Tbx::GetWindowBounds(open.window, &left, &top, &width, &height);
  if (rect != nullptr) {
    rect[0] = 0;
    rect[1] = 0;
    rect[2] = static_cast<int16_t>(height);
    rect[3] = static_cast<int16_t>(width);
  }
  block.error = 0;
  fLog(selector, "form rectangle");
}

bool HostForms::AnswerObjectValue(int32_t selector, HostParamBlock& block, Object& object, std::string& what) {
  switch (selector) {
    case kFormSelGetLong: block.longValue = static_cast<uint32_t>(object.value); what = "get long"; break;
    case kFormSelSetLong:
      object.value = HostWordOf(block.longValue);
      object.real = object.value;
      object.text = std::to_string(object.value);
      what = "set long " + object.text;
      break;
    case kFormSelGetReal: block.realValue = object.real; what = "get real"; break;
    case kFormSelSetReal:
      object.real = block.realValue;
      object.value = static_cast<int32_t>(block.realValue);
      object.text = RealText(block.realValue);
      what = "set real " + object.text;
      break;
    case kFormSelGetText: SetPascal(block.text, object.text, 255); what = "get text"; break;
    case kFormSelSetText:
    case kFormSelSetText80:
      object.text = Pascal(block.text);
      what = "set text " + object.text;
      break;
    case kFormSelSetFormat: object.format = Pascal(block.text); what = "set format " + object.format; break;
    case kFormSelGetTextHandle: GetTextHandle(block, object, what); break;
    case kFormSelSetTextHandle: SetTextHandle(block, object, what); break;
    case kFormSelGetEntry: GetEntry(block, object, what); break;
    case kFormSelSetDate:
      std::memcpy(object.date, block.dateValue, sizeof object.date);
      what = "set date";
      break;
    case kFormSelSetMinimum:
    case kFormSelSetMaximum: {
      const int32_t kind = HostWordOf(block.param2);
      (selector == kFormSelSetMinimum ? object.minimumKind : object.maximumKind) = kind;
      (selector == kFormSelSetMinimum ? object.minimum : object.maximum) = block.realValue;
      what = std::string(selector == kFormSelSetMinimum ? "minimum" : "maximum") + " kind " + std::to_string(kind);
      break;
    }
    default: return false;
  }
  return true;
}

void HostForms::GetTextHandle(HostParamBlock& block, const Object& object, std::string& what) {
  const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(object.text.size()));
  if (h != 0 && !object.text.empty()) {
    std::memcpy(Tbx::HLock(h), object.text.data(), object.text.size());
    Tbx::HUnlock(h);
  }
  block.handle = h;
  what = "get text handle";
}

void HostForms::SetTextHandle(HostParamBlock& block, Object& object, std::string& what) {
  const auto h = static_cast<Tbx::Handle>(block.handle);
  object.text.clear();
  if (h != 0) {
    const int32_t size = Tbx::GetHandleSize(h);
    if (size > 0) object.text.assign(static_cast<const char*>(Tbx::HLock(h)), static_cast<size_t>(size));
    Tbx::HUnlock(h);
    Tbx::DisposeHandle(h);  // the host's once given
  }
  what = "set text handle";
}

void HostForms::GetEntry(HostParamBlock& block, const Object& object, std::string& what) {
  auto* entry = HostPointer<HostVariableEntry>(block.handle);
  if (entry != nullptr) {
    std::memset(entry, 0, sizeof *entry);
    if (object.kind == "entry" || object.kind == "chooser") {
      entry->type = kHostString;
      SetPascal(entry->value.string.text, object.text, 255);
      entry->value.string.length = entry->value.string.text[0];
    } else {
      entry->type = kHostLongInteger;
      entry->value.longInteger = object.value;
    }
  }
  what = "get entry";
}

bool HostForms::AnswerObjectList(int32_t selector, HostParamBlock& block, Object& object, std::string& what) {
  switch (selector) {
    case kFormSelClearList:
    case kFormSelClearHandles:
      object.items.clear();
      what = "clear list";
      break;
    case kFormSelSetListText:
    case kFormSelSetListHandle: SetListElement(selector, block, object, what); break;
    case kFormSelFillFromResource: FillFromResource(block, object, what); break;
    case kFormSelFillTableList:
      object.items = fTableNames ? fTableNames() : std::vector<std::string>{};
      what = "fill with tables";
      break;
    case kFormSelGetListText:
    case kFormSelGetListLong:
    case kFormSelGetListReal:
    case kFormSelGetListHandle: GetListElement(selector, block, object, what); break;
    case kFormSelGetListSelection: block.param2 = HostWord(object.value); what = "selection"; break;
    case kFormSelSetListRange: RemoveListRows(block, object, what); break;
    case kFormSelListCall327:
      object.items.clear();
      what = "clear numbers";
      break;
    case kFormSelListCall328: InsertNumberRow(block, object, what); break;
    default: return false;
  }
  return true;
}

void HostForms::SetListElement(int32_t selector, HostParamBlock& block, Object& object, std::string& what) {
  const int32_t index = HostWordOf(block.param2);
  std::string text;
  if (selector == kFormSelSetListText) {
    text = Pascal(block.text);
  } else if (block.handle != 0) {
    const auto h = static_cast<Tbx::Handle>(block.handle);
    const int32_t size = Tbx::GetHandleSize(h);
    if (size > 0) text.assign(static_cast<const char*>(Tbx::HLock(h)), static_cast<size_t>(size));
    Tbx::HUnlock(h);
  }
  // Element 0 of a list or pop-up is the text typed over it.
  if (index == 0 && selector == kFormSelSetListText) {
    object.text = text;
    what = "set element 0 " + text;
    return;
  }
  if (index < 1 || index > 32767) {
    block.error = -1;
    what = "bad element";
    return;
  }
  if (static_cast<size_t>(index) > object.items.size()) object.items.resize(static_cast<size_t>(index));
  object.items[static_cast<size_t>(index) - 1] = text;
  what = "set element " + std::to_string(index) + " " + text;
}

void HostForms::FillFromResource(HostParamBlock& block, Object& object, std::string& what) {
  object.items.clear();
  const Tbx::Handle h = Tbx::GetResource(static_cast<Tbx::ResType>(block.param2), static_cast<int16_t>(block.param3));
  const int32_t size = h != 0 ? Tbx::GetHandleSize(h) : 0;
  if (size >= 2) {
    const auto* p = static_cast<const uint8_t*>(Tbx::HLock(h));
    const int32_t count = (p[0] << 8) | p[1];
    int32_t at = 2;
    for (int32_t i = 0; i < count && at < size && at + 1 + p[at] <= size; ++i) {
      object.items.emplace_back(reinterpret_cast<const char*>(p + at + 1), p[at]);
      at += 1 + p[at];
    }
    Tbx::HUnlock(h);
  }
  what = "fill from resource " + std::to_string(static_cast<int16_t>(block.param3));
}

void HostForms::GetListElement(int32_t selector, HostParamBlock& block, const Object& object, std::string& what) {
  const int32_t index = HostWordOf(block.param2);
  if (index == 0 && selector == kFormSelGetListText) {
    SetPascal(block.text, object.text, 255);
    what = "element 0";
    return;
  }
  if (index < 1 || static_cast<size_t>(index) > object.items.size()) {
    block.error = -1;
    what = "no element " + std::to_string(index);
    return;
  }
  const std::string& item = object.items[static_cast<size_t>(index) - 1];
  if (selector == kFormSelGetListText) SetPascal(block.text, item, 255);
  if (selector == kFormSelGetListLong) block.param3 = HostWord(std::atoi(item.c_str()));
  if (selector == kFormSelGetListReal) block.realValue = std::atof(item.c_str());
  if (selector == kFormSelGetListHandle && block.handle != 0) {
    const auto h = static_cast<Tbx::Handle>(block.handle);
    Tbx::SetHandleSize(h, static_cast<int32_t>(item.size()));
    if (Tbx::GetHandleSize(h) == static_cast<int32_t>(item.size()) && !item.empty()) {
      std::memcpy(Tbx::HLock(h), item.data(), item.size());
      Tbx::HUnlock(h);
    }
  }
  what = "get element " + std::to_string(index);
}

void HostForms::RemoveListRows(HostParamBlock& block, Object& object, std::string& what) {
  // Rows first to last (1-based, both included) leave the list; rows
  // past its end are none to remove.
  object.first = HostWordOf(block.param2);
  object.last = HostWordOf(block.param3);
  const int32_t size = static_cast<int32_t>(object.items.size());
  const int32_t from = std::max<int32_t>(object.first, 1);
  const int32_t to = std::min<int32_t>(object.last, size);
  if (from <= to) object.items.erase(object.items.begin() + (from - 1), object.items.begin() + to);
  what = "remove rows " + std::to_string(object.first) + " to " + std::to_string(object.last);
}

void HostForms::InsertNumberRow(HostParamBlock& block, Object& object, std::string& what) {
  // A number row before row `index`; an index past the rows appends.
  const int32_t index = HostWordOf(block.param2);
  const std::string number = RealText(block.realValue);
  if (index >= 1 && static_cast<size_t>(index) <= object.items.size()) {
    object.items.insert(object.items.begin() + (index - 1), number);
  } else {
    object.items.push_back(number);
  }
  what = "number " + std::to_string(index) + " " + number;
}

bool HostForms::AnswerObjectState(int32_t selector, HostParamBlock& block, Open& open, Object& object,
                                  std::string& what) {
  switch (selector) {
    case kFormSelEnable: object.enabled = block.flag != 0; what = block.flag ? "enable" : "disable"; break;
    case kFormSelSetEnterable:
      object.enterable = block.flag != 0;
      what = object.enterable ? "enterable" : "not enterable";
      break;
    case kFormSelShowObject: object.visible = block.param2 != 0; what = block.param2 ? "show" : "hide"; break;
    case kFormSelSetCheck:
      object.mixedAllowed = block.param2 != 0;
      what = object.mixedAllowed ? "mixed allowed" : "mixed not allowed";
      break;
    case kFormSelRedrawObject: what = "redraw"; break;
    case kFormSelGetObjectRect: {
      auto* rect = HostPointer<int16_t>(block.param2);
      if (rect != nullptr) std::memcpy(rect, object.rect, sizeof object.rect);
      what = "rectangle";
      break;
    }
    case kFormSelSetObjectRect: {
      const auto* rect = HostPointer<const int16_t>(block.param2);
      if (rect != nullptr) std::memcpy(object.rect, rect, sizeof object.rect);
      what = "set rectangle";
      break;
    }
    case kFormSelSetFieldRef:
      object.table = static_cast<int16_t>(block.table);
      object.field = static_cast<int16_t>(block.field);
      object.fieldData = static_cast<uint32_t>(block.handle);
      what = "set field " + std::to_string(object.table) + "." + std::to_string(object.field);
      break;
    case kFormSelGetFieldRef:
      block.table = static_cast<uint16_t>(object.table);
      block.field = static_cast<uint16_t>(object.field);
      block.handle = object.fieldData;
      what = "get field";
      break;
    case kFormSelDeleteObject: {
      auto& objects = open.form.objects;
      objects.erase(std::remove_if(objects.begin(), objects.end(), [&object](const Object& o) { return &o == &object; }),
                    objects.end());
      what = "delete object";
      break;
    }
    case kFormSelSetPicture: SetPicture(block, object, what); break;
    case kFormSelDrawCallback:
      object.drawn = true;
      object.drawRoutine = block.param3;
      what = "user area";
      break;
    default: return false;
  }
  return true;
}

void HostForms::SetPicture(HostParamBlock& block, Object& object, std::string& what) {
  const auto h = static_cast<Tbx::Handle>(block.handle);
  object.picture.clear();
  if (h != 0) {
    const int32_t size = Tbx::GetHandleSize(h);
    if (size > 0) {
      const auto* p = static_cast<const uint8_t*>(Tbx::HLock(h));
      object.picture.assign(p, p + size);
      Tbx::HUnlock(h);
    }
    Tbx::DisposeHandle(h);  // the host's once given
  }
  what = "picture " + std::to_string(object.picture.size()) + " bytes";
}
