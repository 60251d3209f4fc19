// The script form of the stand-in host: tokens, the calls they make, and the
// expectations they check.
#include "qvhost/ScriptRunner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "boundary/HostSelectors.h"
#include "qvhost/HostScreen.h"
#include "qvhost/ScriptCommandValues.h"
#include "qvhost/QvHost.h"

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into words and quoted texts; '#' outside quotes starts a
// comment. False on an unterminated quote.
bool Tokenize(const std::string& line, std::vector<Token>& tokens) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token t;
      t.quoted = true;
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        t.text += line[i++];
      }
      if (i >= line.size()) return false;
      ++i;
      tokens.push_back(t);
    } else {
      Token t;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"')
        t.text += line[i++];
      tokens.push_back(t);
    }
  }
  return true;
}

bool ParseInt(const std::string& text, int64_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 0);
  return end != nullptr && *end == 0;
}

bool ParseBytes(const std::string& hex, std::vector<uint8_t>& bytes) {
  std::string digits;
  for (char c : hex)
    if (c != ' ') digits += c;
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = digits.substr(i, 2);
    const long v = std::strtol(pair.c_str(), &end, 16);
    if (*end != 0) return false;
    bytes.push_back(static_cast<uint8_t>(v));
  }
  return true;
}

const std::map<std::string, int16_t> kFieldTypes = {
    {"alpha", 0}, {"real", 1},     {"text", 2},  {"picture", 3}, {"date", 4},
    {"boolean", 6}, {"integer", 8}, {"long", 9},  {"time", 11},   {"blob", 30},
};

// One line's work: the parsed words and the state they act on.
class Line {
 public:
  Line(QvHost& host, std::ostream& out, std::vector<Token> tokens, int32_t& failures, void*& savedSlot,
       uint32_t& result, std::vector<std::unique_ptr<uint8_t[]>>& storage)
      : fHost(host), fOut(out), fTokens(std::move(tokens)), fFailures(failures), fSavedSlot(savedSlot),
        fResult(result), fStorage(storage) {}

  // Empty on success, else what is wrong with the line.
  std::string Run();

 private:
  const std::string& Word(size_t i) const {
    static const std::string kNone;
    return i < fTokens.size() ? fTokens[i].text : kNone;
  }
  bool Number(size_t i, int64_t& value) const { return i < fTokens.size() && ParseInt(fTokens[i].text, value); }
  void Expect(bool holds, const std::string& what) {
    if (holds) {
      fOut << "  ok: " << what << "\n";
    } else {
      ++fFailures;
      fOut << "  FAILED: " << what << "\n";
    }
  }
  // Options "name value" from position i on.
  std::string Options(size_t i, std::map<std::string, int64_t>& options) const;
  std::string RunSet();
  std::string RunArea();
  std::string RunCommand();
  std::string RunExpect();
  std::string RunData();
  std::string RunInput();
  std::string RunPng();

  QvHost& fHost;
  std::ostream& fOut;
  std::vector<Token> fTokens;
  int32_t& fFailures;
  void*& fSavedSlot;
  uint32_t& fResult;
  std::vector<std::unique_ptr<uint8_t[]>>& fStorage;
};

std::string Line::Options(size_t i, std::map<std::string, int64_t>& options) const {
  for (; i < fTokens.size(); i += 2) {
    int64_t value = 0;
    if (!Number(i + 1, value)) return "option " + Word(i) + " needs a number";
    options[Word(i)] = value;
  }
  return {};
}

std::string Line::RunSet() {
  QvHostConfig& config = fHost.Config();
  const std::string& what = Word(1);
  int64_t v = 0;
  if (what == "version" && Number(2, v)) {
    config.hostVersion = static_cast<uint32_t>(v);
  } else if (what == "interface" && Number(2, v)) {
    config.interfaceVersion = static_cast<int16_t>(v);
  } else if (what == "look" && Number(2, v)) {
    config.look = static_cast<int32_t>(v);
  } else if (what == "pivot" && Number(2, v)) {
    int64_t century = 0;
    if (!Number(3, century)) return "set pivot YEAR CENTURY";
    config.pivotYear = static_cast<int32_t>(v);
    config.century = static_cast<int32_t>(century);
  } else if (what == "flags") {
    for (int k = 0; k < 5; ++k) {
      if (!Number(2 + k, v)) return "set flags needs five numbers";
      config.flags[k] = v != 0;
    }
  } else if (what == "name" && fTokens.size() > 2) {
    config.hostName = Word(2);
  } else if (what == "second" && fTokens.size() > 2) {
    config.secondName = Word(2);
  } else {
    return "unknown setting";
  }
  return {};
}

std::string Line::RunData() {
  const std::string& verb = Word(0);
  int64_t table = 0, field = 0;
  if (!Number(1, table)) return verb + " needs a table number";
  HostDatabase& db = fHost.Database();
  if (verb == "table") {
    return db.DefineTable(static_cast<uint16_t>(table), Word(2)) ? "" : "cannot define the table";
  }
  if (verb == "record") {
    int64_t record = 0;
    if (!Number(2, record)) return "record TABLE NUMBER";
    return db.SetCurrentRecord(static_cast<uint16_t>(table), static_cast<uint32_t>(record)) ? "" : "no such table";
  }
  if (!Number(2, field)) return verb + " needs a field number";
  if (verb == "field") {
    int64_t type = 0;
    auto named = kFieldTypes.find(Word(4));
    if (named != kFieldTypes.end()) {
      type = named->second;
    } else if (!Number(4, type)) {
      return "field TABLE FIELD \"name\" TYPE";
    }
    return db.DefineField(static_cast<uint16_t>(table), static_cast<uint16_t>(field), Word(3),
                          static_cast<int16_t>(type))
               ? ""
               : "cannot define the field";
  }
  // value TABLE FIELD text|number|hex X
  HostDatabase::Value value;
  const std::string& form = Word(3);
  if (form == "text") {
    value.text = Word(4);
    value.bytes.assign(value.text.begin(), value.text.end());
  } else if (form == "hex") {
    if (!ParseBytes(Word(4), value.bytes)) return "bad hex bytes";
  } else if (form == "number") {
    value.number = std::strtod(Word(4).c_str(), nullptr);
    value.integer = static_cast<int64_t>(value.number);
  } else {
    return "value TABLE FIELD text|hex|number X";
  }
  return db.Set(static_cast<uint16_t>(table), static_cast<uint16_t>(field), value) ? "" : "no such field";
}

std::string Line::RunArea() {
  const std::string& name = Word(1);
  if (name.empty()) return "area NAME ...";
  const bool placedKind = Word(3) == "form" || Word(3) == "output" || Word(3) == "printing";
  if (Word(2) == "create" && placedKind && Word(4) == "at") {
    // area NAME create form|output|printing at FORM X Y W H [routine N]
    int64_t x = 0, y = 0, w = 0, h = 0;
    if (!Number(6, x) || !Number(7, y) || !Number(8, w) || !Number(9, h))
      return "area NAME create form|output|printing at FORM X Y W H [routine N] [table N]";
    std::map<std::string, int64_t> options{{"routine", 1}, {"table", 0}};
    std::string bad = Options(10, options);
    if (!bad.empty()) return bad;
    bad = fHost.Screen().PlaceArea(name, Word(5), static_cast<int32_t>(x), static_cast<int32_t>(y),
                                   static_cast<int32_t>(w), static_cast<int32_t>(h));
    if (!bad.empty()) return bad;
    // The kind as the creation event tells it: a form area by its
    // modifiers, a printing object by its message, an output by neither.
    // The area's table goes in its `when`.
    const uintptr_t message = Word(3) == "printing" ? 1 : 0;
    const uint16_t modifiers = Word(3) == "form" ? 1 : 0;
    fHost.AreaEvent(static_cast<int32_t>(options["routine"]), name, kAreaEventCreate, message, modifiers,
                    static_cast<uint32_t>(options["table"]));
    return {};
  }
  if (Word(2) == "move") {
    // area NAME move X Y W H
    int64_t x = 0, y = 0, w = 0, h = 0;
    if (fTokens.size() != 7 || !Number(3, x) || !Number(4, y) || !Number(5, w) || !Number(6, h))
      return "area NAME move X Y W H";
    return fHost.Screen().MoveArea(name, static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(w),
                                   static_cast<int32_t>(h));
  }
  if (Word(2) == "create") {
    const std::string& kind = Word(3);
    std::map<std::string, int64_t> options{{"routine", 1}};
    std::string bad = Options(4, options);
    if (!bad.empty()) return bad;
    uintptr_t message = 0;
    uint16_t modifiers = 0;
    if (kind == "form") {
      modifiers = 1;
    } else if (kind == "printing") {
      message = 1;
    } else if (kind != "output") {
      return "area NAME create form|output|printing";
    }
    fHost.AreaEvent(static_cast<int32_t>(options["routine"]), name, kAreaEventCreate, message, modifiers);
    return {};
  }
  int64_t code = 0;
  if (!Number(2, code)) return "area NAME CODE ...";
  std::map<std::string, int64_t> options{{"routine", 1}, {"message", 0}, {"modifiers", 0}, {"when", 0}};
  std::string bad = Options(3, options);
  if (!bad.empty()) return bad;
  const QvHost::Area& area =
      fHost.AreaEvent(static_cast<int32_t>(options["routine"]), name, static_cast<uint16_t>(code),
                      static_cast<uintptr_t>(options["message"]), static_cast<uint16_t>(options["modifiers"]),
                      static_cast<uint32_t>(options["when"]));
  // A form area that let itself be closed (no 122 answer) gets no more events.
  if (code == kAreaEventDelete && area.event.message != 122) fHost.Screen().ForgetArea(name);
  return {};
}

std::string Line::RunCommand() {
  int64_t number = 0;
  if (!Number(1, number)) return "command NUMBER [ARGUMENTS]";
  std::vector<std::string> words;
  for (size_t i = 2; i < fTokens.size(); ++i) words.push_back(fTokens[i].text);
  return RunScriptCommand(fHost, fOut, static_cast<int32_t>(number), words, fResult, fStorage);
}

std::string Line::RunExpect() {
  const std::string& what = Word(1);
  int64_t n = 0;
  if (what == "out") {
    std::string check;
    Expect(CheckCommandOutput(fHost, Word(2), Word(3), check), check);
  } else if (what == "slot") {
    const bool set = Word(2) == "set";
    if (!set && Word(2) != "zero") return "expect slot set|zero";
    Expect((fHost.Slot() != nullptr) == set, "slot " + Word(2));
  } else if (what == "message") {
    const std::vector<std::string> messages = fHost.Messages();
    Expect(!messages.empty() && messages.back() == Word(2), "last message \"" + Word(2) + "\"");
  } else if (what == "messages" && Number(2, n)) {
    Expect(static_cast<int64_t>(fHost.Messages().size()) == n, "messages " + Word(2));
  } else if (what == "calls" && Number(2, n)) {
    int64_t count = 0;
    if (!Number(3, count)) return "expect calls SELECTOR COUNT";
    const int32_t seen = fHost.CountCalls(static_cast<int32_t>(n));
    Expect(seen == count, "calls " + Word(2) + " " + Word(3) + " (seen " + std::to_string(seen) + ")");
  } else if (what == "cell") {
    QvHost::Area* area = fHost.FindArea(Word(2));
    const bool set = Word(3) == "set";
    if (area == nullptr) return "no area " + Word(2);
    Expect((area->cell != nullptr) == set, "cell " + Word(2) + " " + Word(3));
  } else if (what == "result" && Number(2, n)) {
    Expect(fResult == static_cast<uint32_t>(n), "result " + Word(2) + " (got " + std::to_string(fResult) + ")");
  } else if (what == "interface" && Number(2, n)) {
    Expect(fHost.LastStartupRecord().moduleInterfaceVersion == static_cast<uint32_t>(n),
           "module interface " + Word(2));
  } else if (what == "file") {
    Expect(std::filesystem::exists(fHost.Folder() + Word(2)), "file \"" + Word(2) + "\"");
  } else if (what == "event") {
    QvHost::Area* area = fHost.FindArea(Word(2));
    if (area == nullptr) return "no area " + Word(2);
    int64_t value = 0;
    if (!Number(4, value)) return "expect event NAME message|when|modifiers VALUE";
    if (Word(3) == "message") {
      Expect(area->event.message == static_cast<uintptr_t>(value), "event message " + Word(4));
    } else if (Word(3) == "when") {
      Expect(area->event.when == static_cast<uint32_t>(value), "event when " + Word(4));
    } else if (Word(3) == "modifiers") {
      Expect(area->event.modifiers == static_cast<uint16_t>(value), "event modifiers " + Word(4));
    } else {
      return "expect event NAME message|when|modifiers VALUE";
    }
  } else if (what == "png") {
    return RunPng();
  } else if (what == "field") {
    int64_t table = 0, field = 0;
    std::vector<uint8_t> bytes;
    if (!Number(2, table) || !Number(3, field) || Word(4) != "hex" || !ParseBytes(Word(5), bytes))
      return "expect field TABLE FIELD hex \"...\"";
    auto value = fHost.Database().Get(static_cast<uint16_t>(table), static_cast<uint16_t>(field));
    Expect(value && value->bytes == bytes, "field " + Word(2) + "." + Word(3));
  } else {
    return "unknown expectation";
  }
  return {};
}

std::string Line::RunInput() {
  HostScreen& screen = fHost.Screen();
  const std::string& verb = Word(0);
  int64_t x = 0, y = 0;
  std::map<std::string, int64_t> options{{"modifiers", 0}};
  auto modifiers = [&]() { return static_cast<uint16_t>(options["modifiers"]); };
  if (verb == "mouse") {
    const std::string& what = Word(1);
    if ((what != "down" && what != "up" && what != "move") || !Number(2, x) || !Number(3, y))
      return "mouse down|up|move X Y [modifiers X]";
    std::string bad = Options(4, options);
    if (!bad.empty()) return bad;
    return screen.Mouse(what, static_cast<int32_t>(x), static_cast<int32_t>(y), modifiers());
  }
  if (verb == "click") {
    if (!Number(1, x) || !Number(2, y)) return "click X Y [count N] [modifiers X]";
    options["count"] = 1;
    std::string bad = Options(3, options);
    if (!bad.empty()) return bad;
    return screen.Click(static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(options["count"]),
                        modifiers());
  }
  if (verb == "drag") {
    int64_t x2 = 0, y2 = 0;
    if (!Number(1, x) || !Number(2, y) || Word(3) != "to" || !Number(4, x2) || !Number(5, y2))
      return "drag X Y to X Y [steps N] [modifiers X]";
    options["steps"] = 4;
    std::string bad = Options(6, options);
    if (!bad.empty()) return bad;
    return screen.Drag(static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(x2),
                       static_cast<int32_t>(y2), static_cast<int32_t>(options["steps"]), modifiers());
  }
  if (verb == "key") {
    if (fTokens.size() < 2) return "key NAME|\"c\" [modifiers X]";
    std::string bad = Options(2, options);
    if (!bad.empty()) return bad;
    return screen.Key(Word(1), fTokens[1].quoted, modifiers());
  }
  if (verb == "type") {
    if (fTokens.size() != 2 || !fTokens[1].quoted) return "type \"text\"";
    return screen.Type(Word(1));
  }
  if (verb == "idle") {
    int64_t count = 1;
    if (fTokens.size() > 2 || (fTokens.size() == 2 && !Number(1, count))) return "idle [N]";
    return screen.Idle(static_cast<int32_t>(count));
  }
  if (verb == "update") {
    if (fTokens.size() > 2) return "update [FORM]";
    return screen.Update(Word(1));
  }
  if (verb == "activate" || verb == "deactivate") {
    if (fTokens.size() != 2) return verb + " NAME";
    return screen.Activate(Word(1), verb == "activate");
  }
  // snapshot FORM|screen "f.png"
  if (fTokens.size() != 3 || !fTokens[2].quoted) return "snapshot FORM|screen \"f.png\"";
  return screen.Snapshot(Word(1), Word(2));
}

// expect png FORM|screen "ref.png": what the form or the screen shows now,
// byte for byte as the reference file.
std::string Line::RunPng() {
  if (fTokens.size() != 4 || !fTokens[3].quoted) return "expect png FORM|screen \"ref.png\"";
  const std::string actual = fHost.Folder() + "snapshot-compared.png";
  std::string bad = fHost.Screen().Snapshot(Word(2), actual);
  if (!bad.empty()) return bad;
  auto read = [](const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  };
  std::string want, got;
  const bool haveReference = read(Word(3), want);
  read(actual, got);
  std::error_code ignored;
  std::filesystem::remove(actual, ignored);
  Expect(haveReference && !got.empty() && want == got,
         "png " + Word(2) + " \"" + Word(3) + "\"" + (haveReference ? "" : " (no such file)"));
  return {};
}

std::string Line::Run() {
  const std::string& verb = Word(0);
  int64_t selector = 0;
  if (verb == "set") return RunSet();
  if (verb == "table" || verb == "field" || verb == "value" || verb == "record") return RunData();
  if (verb == "expect") return RunExpect();
  if (verb == "start" || verb == "stop") {
    const bool start = verb == "start";
    selector = start ? kSelStart : kSelStop;
    if (fTokens.size() > 1 && !Number(1, selector)) return verb + " [SELECTOR]";
    if (start) {
      fHost.Start(static_cast<int32_t>(selector));
    } else {
      fHost.Stop(static_cast<int32_t>(selector));
    }
    return {};
  }
  if (verb == "package") {
    if (!Number(1, selector)) return "package SELECTOR [VALUE | A B C]";
    if (fTokens.size() == 5) {
      int64_t a = 0, b = 0, c = 0;
      if (!Number(2, a) || !Number(3, b) || !Number(4, c)) return "package SELECTOR A B C";
      HostPackageEventRecord record{static_cast<uint32_t>(a), static_cast<uint16_t>(b), static_cast<uint32_t>(c)};
      fHost.PackageRecordEvent(static_cast<int32_t>(selector), record, fResult);
      fOut << "  record c " << record.c << ", result " << fResult << "\n";
      return {};
    }
    int64_t value = 0;
    if (fTokens.size() > 2 && !Number(2, value)) return "package SELECTOR [VALUE]";
    fHost.PackageEvent(static_cast<int32_t>(selector), static_cast<uintptr_t>(value));
    return {};
  }
  if (verb == "area") return RunArea();
  if (verb == "print") {
    // print AREA "file.pdf"
    if (fTokens.size() != 3 || !fTokens[2].quoted) return "print AREA \"file.pdf\"";
    QvHost::Area* area = fHost.FindArea(Word(1));
    if (area == nullptr) return "no area " + Word(1);
    return fHost.PrintArea(*area, Word(2));
  }
  if (verb == "command") return RunCommand();
  if (verb == "method" || verb == "methods") {
    std::vector<std::string> words;
    for (const Token& t : fTokens) words.push_back(t.text);
    return RunMethodLine(fHost, words);
  }
  if (verb == "queue" && Word(1) == "none" && fTokens.size() == 2) {
    fHost.QueueNoEvent();
    return {};
  }
  if (verb == "queue" && Word(1) == "snapshot") {
    if (fTokens.size() != 3 || !fTokens[2].quoted) return "queue snapshot \"f.png\"";
    fHost.QueueSnapshot(Word(2));
    return {};
  }
  if (verb == "queue") {
    // Points are the screen's; a mouse-down with `toh` and `tov` is a
    // press moved there before the button goes up.
    int64_t what = 0;
    if (!Number(1, what)) return "queue WHAT [message M] [modifiers X] [h H v V] [toh H tov V]";
    std::map<std::string, int64_t> options{{"message", 0}, {"modifiers", 0}, {"h", 0}, {"v", 0}};
    std::string bad = Options(2, options);
    if (!bad.empty()) return bad;
    QvHost::QueuedEvent event;
    event.record.what = static_cast<uint16_t>(what);
    event.record.message = static_cast<uintptr_t>(options["message"]);
    event.record.modifiers = static_cast<uint16_t>(options["modifiers"]);
    event.record.whereH = static_cast<int16_t>(options["h"]);
    event.record.whereV = static_cast<int16_t>(options["v"]);
    if (options.count("toh") != 0 || options.count("tov") != 0) {
      event.track = true;
      event.toH = static_cast<int16_t>(options.count("toh") != 0 ? options["toh"] : options["h"]);
      event.toV = static_cast<int16_t>(options.count("tov") != 0 ? options["tov"] : options["v"]);
    }
    fHost.QueueEvent(event);
    return {};
  }
  if (verb == "choose") {
    QvHost::Choice choice;
    const std::string& what = Word(1);
    if (what == "accept" && fTokens.size() > 2) {
      choice.action = 1;
      choice.path = Word(2);
      std::map<std::string, int64_t> options{{"filter", 0}};
      std::string bad = Options(3, options);
      if (!bad.empty()) return bad;
      choice.filter = static_cast<uint32_t>(options["filter"]);
    } else if (what == "extra") {
      choice.action = 2;
    } else if (what != "cancel") {
      return "choose accept \"path\" [filter N] | cancel | extra";
    }
    fHost.QueueChoice(std::move(choice));
    return {};
  }
  if (verb == "confirm") {
    if (Word(1) != "yes" && Word(1) != "no") return "confirm yes|no";
    fHost.QueueConfirmation(Word(1) == "yes");
    return {};
  }
  if (verb == "records") {
    int64_t table = 0, count = 0;
    if (!Number(1, table) || !Number(2, count) || count < 0) return "records TABLE COUNT";
    return fHost.Database().SetRecordCount(static_cast<uint16_t>(table), static_cast<uint32_t>(count))
               ? ""
               : "no such table";
  }
  if (verb == "form" && fTokens.size() == 6 && !fTokens[2].quoted && ParseInt(Word(2), selector)) {
    // form NAME X Y W H: a form window on the main window.
    int64_t x = 0, y = 0, w = 0, h = 0;
    if (!Number(2, x) || !Number(3, y) || !Number(4, w) || !Number(5, h)) return "form NAME X Y W H";
    return fHost.Screen().AddForm(Word(1), static_cast<int32_t>(x), static_cast<int32_t>(y),
                                  static_cast<int32_t>(w), static_cast<int32_t>(h));
  }
  if (verb == "mouse" || verb == "click" || verb == "drag" || verb == "key" || verb == "type" || verb == "idle" ||
      verb == "update" || verb == "activate" || verb == "deactivate" || verb == "snapshot")
    return RunInput();
  if (verb == "form") {
    // form NAME set|select|key|point|drop|click|accept|cancel [OBJECT] [VALUE]
    static const char* const kActions[] = {"set", "select", "key", "point", "drop", "click", "accept", "cancel"};
    const std::string& action = Word(2);
    if (fTokens.size() < 3 || std::find(std::begin(kActions), std::end(kActions), action) == std::end(kActions))
      return "form NAME set|select|key|point|drop|click|accept|cancel [OBJECT] [VALUE]";
    fHost.Forms().AddToScript(Word(1), HostForms::Action{action, Word(3), Word(4)});
    return {};
  }
  if (verb == "slot") {
    static int foreign = 0;
    if (Word(1) == "other") {
      fSavedSlot = fHost.Slot();
      fHost.SetSlot(&foreign);
    } else if (Word(1) == "zero") {
      fSavedSlot = fHost.Slot();
      fHost.SetSlot(nullptr);
    } else if (Word(1) == "restore") {
      fHost.SetSlot(fSavedSlot);
    } else {
      return "slot other|zero|restore";
    }
    return {};
  }
  return "unknown verb " + verb;
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::Run(const std::string& text) {
  Outcome outcome;
  std::istringstream lines(text);
  std::string line;
  int32_t number = 0;
  void* savedSlot = nullptr;
  uint32_t result = 0;
  std::vector<std::unique_ptr<uint8_t[]>> storage;
  while (std::getline(lines, line)) {
    ++number;
    std::vector<Token> tokens;
    if (!Tokenize(line, tokens)) {
      outcome.error = "line " + std::to_string(number) + ": unterminated text";
      break;
    }
    if (tokens.empty()) continue;
    const std::string verb = tokens[0].text;
    const bool call = verb == "start" || verb == "stop" || verb == "package" || verb == "area" || verb == "command";
    fOut << "> " << line << "\n";
    const size_t logBefore = fHost.Log().size();
    Line work(fHost, fOut, std::move(tokens), outcome.failures, savedSlot, result, storage);
    const std::string error = work.Run();
    if (!error.empty()) {
      outcome.error = "line " + std::to_string(number) + ": " + error;
      fOut << "  error: " << error << "\n";
      break;
    }
    ++outcome.lines;
    // What waits in the forms' update regions is drawn after each line.
    fHost.Screen().DeliverUpdates();
    const auto& log = fHost.Log();
    for (size_t i = logBefore; i < log.size(); ++i)
      fOut << "  host " << log[i].selector << ": " << log[i].text << "\n";
    static const char* const kInput[] = {"mouse", "click", "drag", "key", "type", "idle", "activate", "deactivate"};
    if (std::find(std::begin(kInput), std::end(kInput), verb) != std::end(kInput))
      fOut << "  clock " << fHost.Screen().Clock() << "\n";
    if (call)
      fOut << "  slot " << (fHost.Slot() != nullptr ? "set" : "zero") << ", result " << result << "\n";
  }
  return outcome;
}
