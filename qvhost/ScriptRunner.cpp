// The script form of the stand-in host: its lines, the calls they make, and
// the expectations they check. Words are read by ScriptWords.
#include "qvhost/ScriptRunner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "boundary/FourCC.h"
#include "boundary/HostSelectors.h"
#include "platform/print/WinPrint.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/win32/WinMenuTracking.h"
#include "platform/win32/WinTime.h"
#include "qvhost/HostCharacters.h"
#include "qvhost/HostForms.h"
#include "qvhost/HostScreen.h"
#include "qvhost/HostSpeller.h"
#include "qvhost/ScriptCommandValues.h"
#include "qvhost/ScriptPageSetup.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptWords.h"

namespace {

// Empty when a file can be written at `path` (its folder is there and
// writable, and the path is not a folder), else why not.
std::string WritableFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path file(path);
  if (file.filename().empty() || fs::is_directory(file, error)) return "cannot write " + path + ": it is a folder";
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, error)) return "cannot write " + path + ": no folder " + folder.string();
  if (access(folder.c_str(), W_OK) != 0) return "cannot write " + path + ": the folder is not writable";
  if (fs::exists(file, error) && access(file.c_str(), W_OK) != 0) return "cannot write " + path + ": read-only";
  return {};
}

// The clipboard type of plain text.
constexpr Tbx::ResType kScrapTypeText = FourCC("TEXT");

const std::map<std::string, int16_t> kFieldTypes = {
    {"alpha", 0}, {"real", 1},     {"text", 2},  {"picture", 3}, {"date", 4},
    {"boolean", 6}, {"integer", 8}, {"long", 9},  {"time", 11},   {"blob", 30},
};

// One line's work: the parsed words and the state they act on.
class Line {
 public:
  Line(QvHost& host, std::ostream& out, std::vector<ScriptToken> tokens, int32_t& failures, void*& savedSlot,
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
  bool Quoted(size_t i) const { return i < fTokens.size() && fTokens[i].quoted; }
  // The file that word i names: an absolute path as it stands, any other
  // in the host's folder.
  std::string HostFile(size_t i) const {
    const std::string& name = Word(i);
    return !name.empty() && name.front() == '/' ? name : fHost.Folder() + name;
  }
  // Empty when the line has `min` to `max` words; else the form it should
  // have, or the first word too many.
  std::string Count(size_t min, size_t max, const std::string& form) const {
    if (fTokens.size() < min) return form;
    if (fTokens.size() > max) return "trailing word " + Word(max) + " (" + form + ")";
    return {};
  }
  // Word i read into the field `name`. The first failure sticks in fBad,
  // so that a line reads all its numbers and then looks once.
  template <typename T>
  Line& Field(size_t i, const std::string& name, T& field) {
    if (fBad.empty()) fBad = ParseScriptField(Word(i), name, field);
    return *this;
  }
  // Empty when word i, a name the host hands the module, is in the host's
  // character set; else why not. The host keeps it as written and
  // converts it as it answers.
  std::string HostName(size_t i) const {
    std::string mac;
    return Utf8ToHostText(Word(i), mac);
  }
  void Expect(bool holds, const std::string& what) {
    if (holds) {
      fOut << "  ok: " << what << "\n";
    } else {
      ++fFailures;
      fOut << "  FAILED: " << what << "\n";
    }
  }
  std::string RunSet();
  std::string RunArea();
  std::string RunCommand();
  std::string RunExpect();
  std::string RunExpectEvent();
  std::string RunData();
  std::string RunInput();
  std::string RunPng();
  std::string RunQueue();
  std::string RunMenu();
  std::string RunList();
  std::string RunForm();
  std::string RunStartStop();
  std::string RunPackage();
  std::string RunSpellers();
  std::string RunPrint();
  std::string RunPrinter();
  std::string RunChooseColour();
  std::string RunChoose();
  std::string RunConfirm();
  std::string RunClipboard();
  std::string RunSlot();
  // A form of the host's dialogs rather than a form window of the screen.
  bool IsDialogForm(const std::string& name) const {
    return name != "screen" && !fHost.Screen().HasForm(name) && fHost.Forms().Has(name);
  }

  QvHost& fHost;
  std::ostream& fOut;
  std::vector<ScriptToken> fTokens;
  int32_t& fFailures;
  void*& fSavedSlot;
  uint32_t& fResult;
  std::vector<std::unique_ptr<uint8_t[]>>& fStorage;
  std::string fBad;
};

std::string Line::RunSet() {
  QvHostConfig& config = fHost.Config();
  const std::string& what = Word(1);
  std::string bad;
  if (what == "version" || what == "interface" || what == "look") {
    bad = Count(3, 3, "set " + what + " N");
    if (!bad.empty()) return bad;
    if (what == "version") Field(2, "version", config.hostVersion);
    if (what == "interface") Field(2, "interface", config.interfaceVersion);
    if (what == "look") Field(2, "look", config.look);
    return fBad;
  }
  if (what == "pivot") {
    bad = Count(4, 4, "set pivot YEAR CENTURY");
    if (!bad.empty()) return bad;
    int32_t year = 0, century = 0;
    if (!Field(2, "YEAR", year).Field(3, "CENTURY", century).fBad.empty()) return fBad;
    config.pivotYear = year;
    config.century = century;
    return {};
  }
  if (what == "flags") {
    bad = Count(7, 7, "set flags A B C D E");
    if (!bad.empty()) return bad;
    bool flags[5];
    for (int k = 0; k < 5; ++k) {
      int64_t v = 0;
      bad = CheckScriptNumber(Word(2 + k), "flag", 0, 1, v);
      if (!bad.empty()) return bad;
      flags[k] = v != 0;
    }
    std::copy(std::begin(flags), std::end(flags), config.flags);
    return {};
  }
  if (what == "name" || what == "second") {
    bad = Count(3, 3, "set " + what + " \"...\"");
    if (!bad.empty()) return bad;
    (what == "name" ? config.hostName : config.secondName) = Word(2);
    return {};
  }
  if (what == "clock") {
    // set clock "YYYY-MM-DD HH:MM": the local time stands still there for
    // the rest of the script, so that dates and times shown are the same on
    // every run.
    bad = Count(3, 3, "set clock \"YYYY-MM-DD HH:MM\"");
    if (!bad.empty()) return bad;
    SYSTEMTIME time{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char rest = 0;
    if (std::sscanf(Word(2).c_str(), "%4u-%2u-%2u %2u:%2u%c", &year, &month, &day, &hour, &minute, &rest) != 5 ||
        year > 30827 || month > 12 || day > 31 || hour > 23 || minute > 59)
      return "set clock: \"YYYY-MM-DD HH:MM\" expected";
    time.wYear = WORD(year);
    time.wMonth = WORD(month);
    time.wDay = WORD(day);
    time.wHour = WORD(hour);
    time.wMinute = WORD(minute);
    if (!FreezeLocalTime(&time)) return "set clock: no such date";
    return {};
  }
  return "unknown setting " + what;
}

std::string Line::RunData() {
  const std::string& verb = Word(0);
  uint16_t table = 0, field = 0;
  HostDatabase& db = fHost.Database();
  if (verb == "table") {
    std::string bad = Count(3, 3, "table N \"name\"");
    if (!bad.empty() || !(bad = Field(1, "table", table).fBad).empty()) return bad;
    if (!(bad = HostName(2)).empty()) return "table: " + bad;
    return db.DefineTable(table, Word(2)) ? "" : "cannot define the table";
  }
  if (verb == "record") {
    uint32_t record = 0;
    std::string bad = Count(3, 3, "record TABLE NUMBER");
    if (!bad.empty() || !(bad = Field(1, "table", table).Field(2, "record", record).fBad).empty()) return bad;
    return db.SetCurrentRecord(table, record) ? "" : "no such table";
  }
  if (verb == "records") {
    uint32_t count = 0;
    std::string bad = Count(3, 3, "records TABLE COUNT");
    if (!bad.empty() || !(bad = Field(1, "table", table).Field(2, "COUNT", count).fBad).empty()) return bad;
    return db.SetRecordCount(table, count) ? "" : "no such table";
  }
  if (verb == "query") {
    uint32_t count = 0;
    std::string bad = Count(4, 4, "query TABLE leaves COUNT");
    if (bad.empty() && Word(2) != "leaves") bad = "query TABLE leaves COUNT";
    if (!bad.empty() || !(bad = Field(1, "table", table).Field(3, "COUNT", count).fBad).empty()) return bad;
    if (!db.TableName(table)) return "no such table";
    db.SetQueryLeaves(table, count);
    return "";
  }
  if (verb == "field") {
    std::string bad = Count(5, 5, "field TABLE FIELD \"name\" TYPE");
    if (!bad.empty() || !(bad = Field(1, "table", table).Field(2, "field", field).fBad).empty()) return bad;
    if (!(bad = HostName(3)).empty()) return "field: " + bad;
    int16_t type = 0;
    auto named = kFieldTypes.find(Word(4));
    if (named != kFieldTypes.end()) {
      type = named->second;
    } else if (!(bad = Field(4, "TYPE", type).fBad).empty()) {
      return bad;
    }
    return db.DefineField(table, field, Word(3), type) ? "" : "cannot define the field";
  }
  // value TABLE FIELD text|number|hex X
  std::string bad = Count(5, 5, "value TABLE FIELD text|hex|number X");
  if (!bad.empty() || !(bad = Field(1, "table", table).Field(2, "field", field).fBad).empty()) return bad;
  HostDatabase::Value value;
  const std::string& form = Word(3);
  if (form == "text") {
    // The host keeps an alpha field's text as the script writes it and a
    // text field's as the bytes it hands the module, in its own set.
    std::string mac;
    if (std::string bad = Utf8ToHostText(Word(4), mac); !bad.empty()) return "value: " + bad;
    value.text = Word(4);
    value.bytes.assign(mac.begin(), mac.end());
  } else if (form == "hex") {
    if (!ParseScriptBytes(Word(4), value.bytes)) return "bad hex bytes";
  } else if (form == "number") {
    if (!ParseScriptReal(Word(4), value.number)) return "value needs a number, not " + Word(4);
    // The integer a number field holds; a real beyond 64 bits has none.
    if (!(std::fabs(value.number) < 9.2e18)) return "value " + Word(4) + " does not fit an integer field";
    value.integer = static_cast<int64_t>(value.number);
  } else {
    return "value TABLE FIELD text|hex|number X";
  }
  return db.Set(table, field, value) ? "" : "no such field";
}

std::string Line::RunArea() {
  const std::string& name = Word(1);
  if (name.empty()) return "area NAME ...";
  const std::string& kind = Word(3);
  const bool knownKind = kind == "form" || kind == "output" || kind == "printing";
  // The kind as the creation event tells it: a form area by its
  // modifiers, a printing object by its message, an output by neither.
  const uintptr_t createMessage = kind == "printing" ? 1 : 0;
  const uint16_t createModifiers = kind == "form" ? 1 : 0;
  int32_t routine = 1;
  // The area placed in the form named at `formAt`, at X Y W H after it, with
  // the options behind them.
  const auto placeInForm = [&](size_t formAt, uint16_t& table, const char* form) -> std::string {
    if (fTokens.size() < formAt + 5) return form;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!Field(formAt + 1, "X", x).Field(formAt + 2, "Y", y).Field(formAt + 3, "W", w).Field(formAt + 4, "H", h)
             .fBad.empty())
      return fBad;
    std::string bad = ScriptOptions().Add("routine", routine).Add("table", table).Read(fTokens, formAt + 5);
    if (!bad.empty()) return bad;
    return fHost.Screen().PlaceArea(name, Word(formAt), x, y, w, h);
  };
  if (Word(2) == "create" && knownKind && Word(4) == "at") {
    // area NAME create form|output|printing at FORM X Y W H [routine N] [table N]
    uint16_t table = 0;
    if (std::string bad = placeInForm(5, table,
                                      "area NAME create form|output|printing at FORM X Y W H [routine N] [table N]");
        !bad.empty())
      return bad;
    // The area's table goes in its `when`.
    fHost.AreaEvent(routine, name, kAreaEventCreate, createMessage, createModifiers, table);
    return {};
  }
  if (Word(2) == "design" && Word(3) == "at") {
    // area NAME design at FORM X Y W H [routine N] [table N]: the form
    // editor's placeholder in the form's window, kept (605) and drawn (607).
    uint16_t table = 0;
    if (std::string bad = placeInForm(4, table, "area NAME design at FORM X Y W H [routine N] [table N]");
        !bad.empty())
      return bad;
    fHost.DesignArea(routine, name, int16_t(table));
    return {};
  }
  if (Word(2) == "move") {
    // area NAME move X Y W H
    std::string bad = Count(7, 7, "area NAME move X Y W H");
    if (!bad.empty()) return bad;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!Field(3, "X", x).Field(4, "Y", y).Field(5, "W", w).Field(6, "H", h).fBad.empty()) return fBad;
    return fHost.Screen().MoveArea(name, x, y, w, h);
  }
  if (Word(2) == "create") {
    if (!knownKind) return "area NAME create form|output|printing";
    std::string bad = ScriptOptions().Add("routine", routine).Read(fTokens, 4);
    if (!bad.empty()) return bad;
    fHost.AreaEvent(routine, name, kAreaEventCreate, createMessage, createModifiers);
    return {};
  }
  uint16_t code = 0;
  if (fTokens.size() < 3) return "area NAME CODE ...";
  if (!Field(2, "CODE", code).fBad.empty()) return fBad;
  uintptr_t message = 0;
  uint16_t modifiers = 0;
  uint32_t when = 0;
  std::string bad = ScriptOptions()
                        .Add("routine", routine)
                        .Add("message", message)
                        .Add("modifiers", modifiers)
                        .Add("when", when)
                        .Read(fTokens, 3);
  if (!bad.empty()) return bad;
  const QvHost::Area& area = fHost.AreaEvent(routine, name, code, message, modifiers, when);
  // A form area that let itself be closed (no 122 answer), or a form
  // editor's placeholder closed, gets no more events.
  if ((code == kAreaEventDelete || code == kAreaEventDeleteAlt) && area.event.message != 122)
    fHost.Screen().ForgetArea(name);
  return {};
}

namespace {
// What the print dialog answers in a script: the pages chosen, the paper
// turned or not, or cancel.
struct PrintDialogAnswer {
  int from = 0;
  int to = 0;
  bool accept = true;
  bool turn = false;
  // The pages the dialog offers are the ones chosen.
  bool asOffered = false;
};
PrintDialogAnswer sPrintAnswer;

BOOL AnswerPrintDialog(PRINTDLGA* dialog, void*) {
  if (!sPrintAnswer.asOffered) {
    dialog->nFromPage = WORD(sPrintAnswer.from);
    dialog->nToPage = WORD(sPrintAnswer.to);
  }
  // The user turning the paper to its other orientation.
  if (sPrintAnswer.accept && sPrintAnswer.turn) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(dialog->hDevMode))) {
      mode->dmOrientation = mode->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
      GlobalUnlock(dialog->hDevMode);
    }
  }
  return sPrintAnswer.accept ? 1 : 0;
}

std::string ReadPipe(const std::string& command) {
  std::string text;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[512];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}
}  // namespace

std::string Line::RunCommand() {
  int32_t number = 0;
  if (fTokens.size() < 2) return "command NUMBER [ARGUMENTS]";
  if (!Field(1, "command NUMBER", number).fBad.empty()) return fBad;
  std::vector<std::string> words;
  for (size_t i = 2; i < fTokens.size(); ++i) words.push_back(fTokens[i].text);
  return RunScriptCommand(fHost, fOut, number, words, fResult, fStorage);
}

std::string Line::RunExpect() {
  const std::string& what = Word(1);
  std::string bad;
  auto counted = [&](size_t words, const std::string& form) {
    bad = Count(words, words, form);
    return bad.empty();
  };
  if (what == "out") {
    if (!counted(4, "expect out pN|result VALUE")) return bad;
    std::string check;
    Expect(CheckCommandOutput(fHost, Word(2), Word(3), check), check);
  } else if (what == "slot") {
    if (!counted(3, "expect slot set|zero")) return bad;
    const bool set = Word(2) == "set";
    if (!set && Word(2) != "zero") return "expect slot set|zero";
    Expect((fHost.Slot() != nullptr) == set, "slot " + Word(2));
  } else if (what == "menu") {
    // expect menu item N checked|mixed|disabled|text "…": the last menu shown.
    const char* form = "expect menu item N checked|mixed|disabled|text \"text\"";
    if (Word(2) != "item" || fTokens.size() < 5) return form;
    const bool text = Word(4) == "text";
    if (!counted(text ? 6 : 5, form)) return bad;
    int32_t n = 0;
    if (!(bad = Field(3, "N", n).fBad).empty()) return bad;
    const std::vector<TrackedMenuItem> items = GetLastTrackedMenu();
    const TrackedMenuItem* item = n >= 1 && size_t(n) <= items.size() ? &items[size_t(n - 1)] : nullptr;
    const bool checked = item != nullptr && (item->state & MFS_CHECKED) != 0;
    bool holds = false;
    if (Word(4) == "checked") {
      holds = checked && !item->ownMark;
    } else if (Word(4) == "mixed") {
      holds = checked && item->ownMark;
    } else if (Word(4) == "disabled") {
      holds = item != nullptr && (item->state & MFS_DISABLED) != 0;
    } else if (text) {
      holds = item != nullptr && item->text == Word(5);
    } else {
      return form;
    }
    Expect(holds, "menu item " + Word(3) + " " + Word(4) + (text ? " \"" + Word(5) + "\"" : ""));
  } else if (what == "message") {
    if (!counted(3, "expect message \"text\"")) return bad;
    const std::vector<std::string> messages = fHost.Messages();
    Expect(!messages.empty() && messages.back() == Word(2), "last message \"" + Word(2) + "\"");
  } else if (what == "messages") {
    int32_t n = 0;
    if (!counted(3, "expect messages N") || !(bad = Field(2, "N", n).fBad).empty()) return bad;
    Expect(static_cast<int64_t>(fHost.Messages().size()) == n, "messages " + Word(2));
  } else if (what == "calls") {
    int32_t selector = 0, count = 0;
    if (!counted(4, "expect calls SELECTOR COUNT") ||
        !(bad = Field(2, "SELECTOR", selector).Field(3, "COUNT", count).fBad).empty())
      return bad;
    const int32_t seen = fHost.CountCalls(selector);
    Expect(seen == count, "calls " + Word(2) + " " + Word(3) + " (seen " + std::to_string(seen) + ")");
  } else if (what == "cell") {
    if (!counted(4, "expect cell NAME set|zero")) return bad;
    QvHost::Area* area = fHost.FindArea(Word(2));
    const bool set = Word(3) == "set";
    if (area == nullptr) return "no area " + Word(2);
    if (!set && Word(3) != "zero") return "expect cell NAME set|zero";
    Expect((area->cell != nullptr) == set, "cell " + Word(2) + " " + Word(3));
  } else if (what == "result") {
    uint32_t n = 0;
    if (!counted(3, "expect result N") || !(bad = Field(2, "N", n).fBad).empty()) return bad;
    Expect(fResult == n, "result " + Word(2) + " (got " + std::to_string(fResult) + ")");
  } else if (what == "interface") {
    uint32_t n = 0;
    if (!counted(3, "expect interface N") || !(bad = Field(2, "N", n).fBad).empty()) return bad;
    Expect(fHost.LastStartupRecord().moduleInterfaceVersion == n, "module interface " + Word(2));
  } else if (what == "pdf") {
    // expect pdf "file.pdf" pages N | page N "text" | paper W H (millimetres)
    const std::string path = HostFile(2);
    if (Word(3) == "pages") {
      int32_t n = 0;
      if (!counted(5, "expect pdf \"file.pdf\" pages N") || !(bad = Field(4, "N", n).fBad).empty()) return bad;
      const std::string info = ReadPipe("pdfinfo '" + path + "'");
      const size_t at = info.find("Pages:");
      const int32_t pages = at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
      Expect(pages == n, "pdf pages " + Word(4) + " (got " + std::to_string(pages) + ")");
    } else if (Word(3) == "page") {
      int32_t n = 0;
      if (!counted(6, "expect pdf \"file.pdf\" page N \"text\"") || !(bad = Field(4, "N", n).fBad).empty())
        return bad;
      const std::string page = std::to_string(n);
      const std::string text = ReadPipe("pdftotext -f " + page + " -l " + page + " '" + path + "' -");
      Expect(text.find(Word(5)) != std::string::npos, "pdf page " + page + " \"" + Word(5) + "\"");
    } else if (Word(3) == "paper") {
      double width = 0, height = 0;
      if (!counted(6, "expect pdf \"file.pdf\" paper W H")) return bad;
      if (!ParseScriptReal(Word(4), width) || !ParseScriptReal(Word(5), height))
        return "expect pdf \"file.pdf\" paper W H (millimetres)";
      std::string check;
      Expect(CheckPdfPaper(path, width, height, check), check);
    } else {
      return "expect pdf \"file.pdf\" pages N | page N \"text\" | paper W H";
    }
  } else if (what == "file") {
    // expect file "name" [hex "..."]: the file is there, holding exactly
    // these bytes when they are given.
    const char* form = "expect file \"name\" [hex \"...\"]";
    const bool withBytes = fTokens.size() == 5;
    std::vector<uint8_t> bytes;
    if (!withBytes && !counted(3, form)) return bad;
    if (withBytes && (Word(3) != "hex" || !ParseScriptBytes(Word(4), bytes))) return form;
    const std::string path = fHost.Folder() + Word(2);
    bool holds = std::filesystem::exists(path);
    if (holds && withBytes) {
      std::ifstream in(path, std::ios::binary);
      const std::vector<uint8_t> got{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      holds = got == bytes;
    }
    Expect(holds, "file \"" + Word(2) + "\"" + (withBytes ? " bytes" : ""));
  } else if (what == "beeps") {
    // The module's beeps since the last such line (or the start).
    int32_t n = 0;
    if (!counted(3, "expect beeps N") || !(bad = Field(2, "N", n).fBad).empty()) return bad;
    const int32_t beeps = fHost.TakeBeeps();
    Expect(beeps == n, "beeps " + Word(2) + " (got " + std::to_string(beeps) + ")");
  } else if (what == "event") {
    return RunExpectEvent();
  } else if (what == "png") {
    return RunPng();
  } else if (what == "field") {
    uint16_t table = 0, field = 0;
    std::vector<uint8_t> bytes;
    // hex: the field holds exactly these bytes; prefix: it begins with them.
    const char* form = "expect field TABLE FIELD hex|prefix \"...\"";
    if (!counted(6, form) || !(bad = Field(2, "TABLE", table).Field(3, "FIELD", field).fBad).empty()) return bad;
    if ((Word(4) != "hex" && Word(4) != "prefix") || !ParseScriptBytes(Word(5), bytes)) return form;
    auto value = fHost.Database().Get(table, field);
    const bool prefix = Word(4) == "prefix";
    Expect(value && (prefix ? value->bytes.size() >= bytes.size() &&
                                  std::equal(bytes.begin(), bytes.end(), value->bytes.begin())
                            : value->bytes == bytes),
           "field " + Word(2) + "." + Word(3) + (prefix ? " begins" : ""));
  } else {
    return "unknown expectation " + what;
  }
  return {};
}

// expect event NAME message|when|modifiers VALUE: the area's answer to its
// last event, or, after a key line, to the key-down, which is the event a
// script means. The line says which event it checked.
std::string Line::RunExpectEvent() {
  const char* form = "expect event NAME message|when|modifiers VALUE";
  std::string bad = Count(5, 5, form);
  if (!bad.empty()) return bad;
  QvHost::Area* area = fHost.FindArea(Word(2));
  if (area == nullptr) return "no area " + Word(2);
  const HostEventRecord& answer = area->answer;
  const std::string& field = Word(3);
  bool holds = false;
  std::string got;
  if (field == "message") {
    uintptr_t value = 0;
    if (!Field(4, "VALUE", value).fBad.empty()) return fBad;
    holds = answer.message == value;
    got = std::to_string(answer.message);
  } else if (field == "when") {
    uint32_t value = 0;
    if (!Field(4, "VALUE", value).fBad.empty()) return fBad;
    holds = answer.when == value;
    got = std::to_string(answer.when);
  } else if (field == "modifiers") {
    uint16_t value = 0;
    if (!Field(4, "VALUE", value).fBad.empty()) return fBad;
    holds = answer.modifiers == value;
    got = std::to_string(answer.modifiers);
  } else {
    return form;
  }
  Expect(holds, "event " + std::to_string(area->answerCode) + " answered " + field + " " + Word(4) +
                    (holds ? "" : " (got " + got + ")"));
  return {};
}

std::string Line::RunInput() {
  HostScreen& screen = fHost.Screen();
  const std::string& verb = Word(0);
  int16_t x = 0, y = 0;
  uint16_t modifiers = 0;
  if (verb == "mouse") {
    const std::string& what = Word(1);
    if ((what != "down" && what != "up" && what != "move") || fTokens.size() < 4)
      return "mouse down|up|move X Y [modifiers X]";
    if (!Field(2, "X", x).Field(3, "Y", y).fBad.empty()) return fBad;
    std::string bad = ScriptOptions().Add("modifiers", modifiers).Read(fTokens, 4);
    if (!bad.empty()) return bad;
    return screen.Mouse(what, x, y, modifiers);
  }
  if (verb == "click") {
    if (fTokens.size() < 3) return "click X Y [count N] [modifiers X]";
    if (!Field(1, "X", x).Field(2, "Y", y).fBad.empty()) return fBad;
    int32_t count = 1;
    std::string bad = ScriptOptions().Add("count", count).Add("modifiers", modifiers).Read(fTokens, 3);
    if (!bad.empty()) return bad;
    return screen.Click(x, y, count, modifiers);
  }
  if (verb == "drag") {
    int16_t x2 = 0, y2 = 0;
    if (fTokens.size() < 6 || Word(3) != "to") return "drag X Y to X Y [steps N] [modifiers X]";
    if (!Field(1, "X", x).Field(2, "Y", y).Field(4, "X", x2).Field(5, "Y", y2).fBad.empty()) return fBad;
    int32_t steps = 4;
    std::string bad = ScriptOptions().Add("steps", steps).Add("modifiers", modifiers).Read(fTokens, 6);
    if (!bad.empty()) return bad;
    return screen.Drag(x, y, x2, y2, steps, modifiers);
  }
  if (verb == "wheel") {
    int16_t count = 0;
    std::string bad = Count(4, 4, "wheel X Y COUNT");
    if (!bad.empty() || !Field(1, "X", x).Field(2, "Y", y).Field(3, "COUNT", count).fBad.empty())
      return bad.empty() ? fBad : bad;
    return screen.Wheel(x, y, count);
  }
  if (verb == "key") {
    if (fTokens.size() < 2) return "key NAME|\"c\" [modifiers X]";
    std::string bad = ScriptOptions().Add("modifiers", modifiers).Read(fTokens, 2);
    if (!bad.empty()) return bad;
    return screen.Key(Word(1), fTokens[1].quoted, modifiers);
  }
  if (verb == "type") {
    if (fTokens.size() < 2 || !fTokens[1].quoted) return "type \"text\"";
    std::string bad = Count(2, 2, "type \"text\"");
    if (!bad.empty()) return bad;
    return screen.Type(Word(1));
  }
  if (verb == "idle") {
    int32_t count = 1;
    std::string bad = Count(1, 2, "idle [N]");
    if (!bad.empty()) return bad;
    if (fTokens.size() == 2 && !Field(1, "N", count).fBad.empty()) return fBad;
    return screen.Idle(count);
  }
  if (verb == "lock") {
    std::string bad = Count(3, 3, "lock caps|num on|off");
    if (!bad.empty()) return bad;
    if (Word(2) != "on" && Word(2) != "off") return "lock caps|num on|off";
    return screen.Lock(Word(1), Word(2) == "on");
  }
  if (verb == "update") {
    std::string bad = Count(1, 2, "update [FORM]");
    if (!bad.empty()) return bad;
    return screen.Update(Word(1));
  }
  if (verb == "activate" || verb == "deactivate") {
    std::string bad = Count(2, 2, verb + " NAME");
    if (!bad.empty()) return bad;
    return screen.Activate(Word(1), verb == "activate");
  }
  // snapshot FORM|screen "f.png"
  std::string bad = Count(3, 3, "snapshot FORM|screen \"f.png\"");
  if (!bad.empty()) return bad;
  if (!fTokens[2].quoted) return "snapshot FORM|screen \"f.png\"";
  // A dialog's form is pictured when its run comes to this step.
  if (IsDialogForm(Word(1))) {
    fHost.Forms().AddToScript(Word(1), HostForms::Action{"snapshot", "", Word(2), "", 1});
    return {};
  }
  return screen.Snapshot(Word(1), Word(2));
}

// expect png FORM|screen "ref.png": what the form or the screen shows now,
// byte for byte as the reference file.
std::string Line::RunPng() {
  std::string bad = Count(4, 4, "expect png FORM|screen \"ref.png\"");
  if (!bad.empty()) return bad;
  if (!fTokens[3].quoted) return "expect png FORM|screen \"ref.png\"";
  if (IsDialogForm(Word(2))) {
    fHost.Forms().AddToScript(Word(2), HostForms::Action{"png", "", Word(3), "", 1});
    return {};
  }
  const std::string actual = fHost.Folder() + "snapshot-compared.png";
  bad = fHost.Screen().Snapshot(Word(2), actual);
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

std::string Line::RunQueue() {
  if (Word(1) == "none") {
    std::string bad = Count(2, 2, "queue none");
    if (!bad.empty()) return bad;
    fHost.QueueNoEvent();
    return {};
  }
  if (Word(1) == "snapshot") {
    std::string bad = Count(3, 3, "queue snapshot \"f.png\"");
    if (!bad.empty()) return bad;
    if (!fTokens[2].quoted) return "queue snapshot \"f.png\"";
    fHost.QueueSnapshot(Word(2));
    return {};
  }
  // Points are the screen's; a mouse-down with `toh` and `tov` is a
  // press moved there before the button goes up.
  if (fTokens.size() < 2) return "queue WHAT [message M] [modifiers X] [h H v V] [toh H tov V]";
  QvHost::QueuedEvent event;
  HostEventRecord& record = event.record;
  if (!Field(1, "WHAT", record.what).fBad.empty()) return fBad;
  ScriptOptions options;
  options.Add("message", record.message).Add("modifiers", record.modifiers);
  options.Add("h", record.whereH).Add("v", record.whereV).Add("toh", event.toH).Add("tov", event.toV);
  std::string bad = options.Read(fTokens, 2);
  if (!bad.empty()) return bad;
  if (options.Given("toh") || options.Given("tov")) {
    event.track = true;
    if (!options.Given("toh")) event.toH = record.whereH;
    if (!options.Given("tov")) event.toV = record.whereV;
  }
  fHost.QueueEvent(event);
  return {};
}

// The steps the next tracked pop-up menu takes, in order.
std::string Line::RunMenu() {
  const std::string& what = Word(1);
  if (what == "choose") {
    std::string bad = Count(3, 3, "menu choose \"text\"|N");
    if (!bad.empty()) return bad;
    if (Quoted(2)) {
      ScriptMenuChooseText(Word(2));
      return {};
    }
    int64_t position = 0;
    bad = CheckScriptNumber(Word(2), "item", 1, 32767, position);
    if (!bad.empty()) return bad;
    ScriptMenuChoosePosition(static_cast<int>(position));
    return {};
  }
  if (what == "hover") {
    std::string bad = Count(4, 4, "menu hover X Y");
    if (!bad.empty()) return bad;
    int32_t x = 0;
    int32_t y = 0;
    Field(2, "X", x).Field(3, "Y", y);
    if (!fBad.empty()) return fBad;
    ScriptMenuHover(x, y);
    return {};
  }
  if (what == "cancel") {
    std::string bad = Count(2, 2, "menu cancel");
    if (!bad.empty()) return bad;
    ScriptMenuCancel();
    return {};
  }
  if (what == "snapshot") {
    std::string bad = Count(3, 3, "menu snapshot \"f.png\"");
    if (!bad.empty()) return bad;
    if (!Quoted(2)) return "menu snapshot \"f.png\"";
    ScriptMenuSnapshot(Word(2));
    return {};
  }
  return "menu choose \"text\"|N | hover X Y | cancel | snapshot \"f.png\"";
}

// list choose "text": the choice typed into the next drop-down pop-up.
std::string Line::RunList() {
  std::string bad = Count(3, 3, "list choose \"text\"");
  if (!bad.empty()) return bad;
  if (Word(1) != "choose" || !Quoted(2)) return "list choose \"text\"";
  return fHost.Screen().QueueListChoice(Word(2));
}

// form NAME set|select|key|point|drop|click|accept|cancel [OBJECT] [VALUE]
// [count N], form NAME expect OBJECT WHAT "VALUE" and form NAME snapshot
// "f.png" are steps of a dialog's run, played when the form opens; form
// NAME X Y W H is a form window.
std::string Line::RunForm() {
  static const char* const kActions[] = {"set", "select", "key", "point", "drop", "click", "accept", "cancel"};
  static const char* const kChecks[] = {"value", "real", "text", "items", "enabled", "visible", "format", "picture"};
  const char* actionForm = "form NAME set|select|key|point|drop|click|accept|cancel [OBJECT] [VALUE] [count N]";
  const std::string& action = Word(2);
  HostForms::Action step;
  step.kind = action;
  if (!Quoted(2) && action == "expect") {
    const char* form = "form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture \"VALUE\"";
    std::string bad = Count(6, 6, form);
    if (!bad.empty()) return bad;
    if (std::find(std::begin(kChecks), std::end(kChecks), Word(4)) == std::end(kChecks)) return form;
    step.object = Word(3);
    step.value = Word(4);
    step.expected = Word(5);
  } else if (!Quoted(2) && action == "snapshot") {
    std::string bad = Count(4, 4, "form NAME snapshot \"f.png\"");
    if (!bad.empty()) return bad;
    if (!Quoted(3)) return "form NAME snapshot \"f.png\"";
    step.value = Word(3);
  } else if (!Quoted(2) && action == "drag") {
    // form NAME drag OBJECT X1 Y1 X2 Y2: the button down at (X1, Y1) of the
    // object, moved to (X2, Y2) and let go there.
    const char* form = "form NAME drag OBJECT X1 Y1 X2 Y2";
    std::string bad = Count(8, 8, form);
    if (!bad.empty()) return bad;
    int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!Field(4, "X1", x1).Field(5, "Y1", y1).Field(6, "X2", x2).Field(7, "Y2", y2).fBad.empty()) return fBad;
    step.object = Word(3);
    step.value = std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) + " " + std::to_string(y2);
  } else if (!Quoted(2) && std::find(std::begin(kActions), std::end(kActions), action) != std::end(kActions)) {
    size_t words = fTokens.size();
    if (words >= 6 && Word(words - 2) == "count" && !Quoted(words - 2)) {
      if (action != "click") return "only a click takes a count";
      int64_t count = 0;
      std::string bad = CheckScriptNumber(Word(words - 1), "count", 1, 3, count);
      if (!bad.empty()) return bad;
      step.count = static_cast<int32_t>(count);
      words -= 2;
    }
    if (words < 3 || words > 5) return words > 5 ? "trailing word " + Word(5) + " (" + actionForm + ")" : actionForm;
    step.object = Word(3);
    step.value = Word(4);
  } else {
    if (fTokens.size() != 6 || Quoted(2))
      return std::string("form NAME X Y W H, or ") + actionForm;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!Field(2, "X", x).Field(3, "Y", y).Field(4, "W", w).Field(5, "H", h).fBad.empty()) return fBad;
    return fHost.Screen().AddForm(Word(1), x, y, w, h);
  }
  // The values a form's objects take and are checked against are texts of
  // the host, in its character set, as the module reads and sets them (a
  // snapshot's value is a file's path).
  if (action != "snapshot") {
    std::string& text = action == "expect" ? step.expected : step.value;
    std::string mac;
    if (std::string bad = Utf8ToHostText(text, mac); !bad.empty()) return "form " + Word(1) + ": " + bad;
    text = mac;
  }
  fHost.Forms().AddToScript(Word(1), step);
  return {};
}

// start [SELECTOR] | stop [SELECTOR]: the module started or stopped.
std::string Line::RunStartStop() {
  const std::string& verb = Word(0);
  const bool start = verb == "start";
  int32_t selector = start ? kSelStart : kSelStop;
  std::string bad = Count(1, 2, verb + " [SELECTOR]");
  if (!bad.empty()) return bad;
  if (fTokens.size() == 2 && !Field(1, "SELECTOR", selector).fBad.empty()) return fBad;
  if (start) {
    fHost.Start(selector);
  } else {
    fHost.Stop(selector);
  }
  return {};
}

// package SELECTOR [VALUE | A B C]: a package event, with a value or a record.
std::string Line::RunPackage() {
  int32_t selector = 0;
  if (fTokens.size() < 2) return "package SELECTOR [VALUE | A B C]";
  if (fTokens.size() == 4 || fTokens.size() > 5) return "package SELECTOR [VALUE | A B C]";
  if (!Field(1, "SELECTOR", selector).fBad.empty()) return fBad;
  if (fTokens.size() == 5) {
    // The record is packed: its fields are read into locals first.
    uint32_t a = 0, c = 0;
    uint16_t b = 0;
    if (!Field(2, "A", a).Field(3, "B", b).Field(4, "C", c).fBad.empty()) return fBad;
    HostPackageEventRecord record{a, b, c};
    fHost.PackageRecordEvent(selector, record, fResult);
    fOut << "  record c " << record.c << ", result " << fResult << "\n";
    return {};
  }
  uintptr_t value = 0;
  if (fTokens.size() == 3 && !Field(2, "VALUE", value).fBad.empty()) return fBad;
  fHost.PackageEvent(selector, value);
  return {};
}

std::string Line::RunSpellers() {
  // spellers on|off|engine: whether the host offers its spelling service
  // and its engine, neither, or its engine alone.
  std::string bad = Count(2, 2, "spellers on|off|engine");
  if (!bad.empty()) return bad;
  if (Quoted(1) || (Word(1) != "on" && Word(1) != "off" && Word(1) != "engine")) return "spellers on|off|engine";
  fHost.Config().spellers = Word(1) != "off";
  if (Word(1) != "off") HostSpellingOfferService(Word(1) == "on");
  return {};
}

std::string Line::RunPrint() {
  // print AREA "file.pdf": a page printed by the running module.
  std::string bad = Count(3, 3, "print AREA \"file.pdf\"");
  if (!bad.empty()) return bad;
  if (!fTokens[2].quoted) return "print AREA \"file.pdf\"";
  if (!fHost.Running()) return fHost.WasStarted() ? "print after stop" : "print before start";
  QvHost::Area* area = fHost.FindArea(Word(1));
  if (area == nullptr) return "no area " + Word(1);
  return fHost.PrintArea(*area, Word(2));
}

std::string Line::RunPrinter() {
  // printer output "file.pdf": where the module's print jobs go (in the
  // host's folder); printer pages FROM TO [turn] | printer accept |
  // printer cancel: the print dialog's answer, turning the paper with
  // "turn"; accept prints the pages the dialog offers.
  const std::string& what = Word(1);
  if (what == "output") {
    std::string bad = Count(3, 3, "printer output \"file.pdf\"");
    if (!bad.empty()) return bad;
    if (!Quoted(2) || Word(2).empty()) return "printer output \"file.pdf\"";
    // The jobs write there later, where a failure would only be a code:
    // a file the host cannot write fails this line.
    const std::string path = HostFile(2);
    bad = WritableFile(path);
    if (!bad.empty()) return bad;
    SetHeadlessPrintOutput(path.c_str());
    return {};
  }
  if (what == "pages") {
    int32_t from = 0, to = 0;
    std::string bad = Count(4, 5, "printer pages FROM TO [turn]");
    if (!bad.empty() || !(bad = Field(2, "FROM", from).Field(3, "TO", to).fBad).empty()) return bad;
    if (fTokens.size() == 5 && Word(4) != "turn") return "printer pages FROM TO [turn]";
    sPrintAnswer = {from, to, true, fTokens.size() == 5, false};
    SetHeadlessPrintProvider(&AnswerPrintDialog, nullptr);
    return {};
  }
  if (what == "cancel" || what == "accept") {
    std::string bad = Count(2, 2, "printer " + what);
    if (!bad.empty()) return bad;
    const bool accept = what == "accept";
    sPrintAnswer = {0, 0, accept, false, accept};
    SetHeadlessPrintProvider(&AnswerPrintDialog, nullptr);
    return {};
  }
  return "printer output \"file.pdf\" | pages FROM TO [turn] | accept | cancel";
}

std::string Line::RunChooseColour() {
  // choose color 0xRRGGBB|cancel: the answer to the next colour chooser.
  const char* form = "choose color 0xRRGGBB|cancel";
  std::string bad = Count(3, 3, form);
  if (!bad.empty()) return bad;
  if (Word(2) == "cancel") {
    fHost.QueueColour(std::nullopt);
    return {};
  }
  uint32_t colour = 0;
  if (!Field(2, "colour", colour).fBad.empty()) return fBad;
  if (colour > 0xFFFFFF) return "a colour is 0xRRGGBB";
  fHost.QueueColour(colour);
  return {};
}

std::string Line::RunChoose() {
  QvHost::Choice choice;
  const std::string& what = Word(1);
  const char* form = "choose accept \"path\" [filter N] | cancel | extra | field TABLE FIELD";
  if (what == "field") {
    uint16_t table = 0, field = 0;
    std::string bad = Count(4, 4, "choose field TABLE FIELD");
    if (!bad.empty() || !(bad = Field(2, "TABLE", table).Field(3, "FIELD", field).fBad).empty()) return bad;
    fHost.QueueFieldChoice(table, field);
    return {};
  }
  if (what == "accept" && fTokens.size() > 2) {
    choice.action = 1;
    // A path goes to the chooser as the script holds it, in UTF-8, the
    // form the platform gives a chosen path in: never through the host's
    // character set, which names with accents would not survive.
    choice.path = Word(2);
    std::string bad = ScriptOptions().Add("filter", choice.filter).Read(fTokens, 3);
    if (!bad.empty()) return bad;
  } else if (what == "extra" || what == "cancel") {
    std::string bad = Count(2, 2, form);
    if (!bad.empty()) return bad;
    choice.action = what == "extra" ? 2 : 0;
  } else {
    return form;
  }
  fHost.QueueChoice(std::move(choice));
  return {};
}

// confirm yes|no: the answer to the next confirmation.
std::string Line::RunConfirm() {
  std::string bad = Count(2, 2, "confirm yes|no");
  if (!bad.empty()) return bad;
  if (Word(1) != "yes" && Word(1) != "no") return "confirm yes|no";
  fHost.QueueConfirmation(Word(1) == "yes");
  return {};
}

// clipboard text "..." | clear: what the host's own Copy (or the user in
// another program) leaves on the clipboard, which is the process's own
// scrap, shared with the module: the clipboard emptied, then the text put
// as 'TEXT' in the host's character set; or the clipboard emptied.
std::string Line::RunClipboard() {
  const char* form = "clipboard text \"...\" | clipboard clear";
  if (Word(1) == "clear") {
    std::string bad = Count(2, 2, form);
    if (!bad.empty()) return bad;
    Tbx::ZeroScrap();
    return {};
  }
  if (Word(1) != "text" || !Quoted(2)) return form;
  std::string bad = Count(3, 3, form);
  if (!bad.empty()) return bad;
  std::string text;
  if (bad = Utf8ToHostText(Word(2), text); !bad.empty()) return "clipboard text: " + bad;
  Tbx::ZeroScrap();
  if (Tbx::PutScrap(static_cast<int32_t>(text.size()), kScrapTypeText, text.data()) != Tbx::noErr)
    return "the clipboard refused the text";
  return {};
}

// slot other|zero|restore: the slot the module finds set, for the next calls.
std::string Line::RunSlot() {
  static int foreign = 0;
  std::string bad = Count(2, 2, "slot other|zero|restore");
  if (!bad.empty()) return bad;
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

std::string Line::Run() {
  const std::string& verb = Word(0);
  if (verb == "set") return RunSet();
  if (verb == "table" || verb == "field" || verb == "value" || verb == "record" || verb == "records" ||
      verb == "query")
    return RunData();
  if (verb == "expect") return RunExpect();
  if (verb == "start" || verb == "stop") return RunStartStop();
  if (verb == "package") return RunPackage();
  if (verb == "area") return RunArea();
  if (verb == "spellers") return RunSpellers();
  if (verb == "print") return RunPrint();
  if (verb == "printer") return RunPrinter();
  if (verb == "page") return RunPageSetupLine(fTokens);
  if (verb == "command") return RunCommand();
  if (verb == "method" || verb == "methods") {
    std::vector<std::string> words;
    for (const ScriptToken& t : fTokens) words.push_back(t.text);
    return RunMethodLine(fHost, words);
  }
  if (verb == "queue") return RunQueue();
  if (verb == "menu") return RunMenu();
  if (verb == "list") return RunList();
  if (verb == "choose" && Word(1) == "color") return RunChooseColour();
  if (verb == "choose") return RunChoose();
  if (verb == "confirm") return RunConfirm();
  if (verb == "clipboard") return RunClipboard();
  if (verb == "mouse" || verb == "click" || verb == "drag" || verb == "key" || verb == "type" || verb == "idle" ||
      verb == "wheel" || verb == "update" || verb == "activate" || verb == "deactivate" || verb == "snapshot" ||
      verb == "lock")
    return RunInput();
  if (verb == "form") return RunForm();
  if (verb == "slot") return RunSlot();
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
  size_t formFailuresSeen = fHost.Forms().Failures().size();
  // The user is in front of the screen while the lines play, and leaves
  // with the last.
  struct UserPresent {
    QvHost& host;
    explicit UserPresent(QvHost& h) : host(h) { host.SetUserPresent(true); }
    ~UserPresent() { host.SetUserPresent(false); }
  } present(fHost);
  while (std::getline(lines, line)) {
    ++number;
    std::vector<ScriptToken> tokens;
    const std::string unreadable = SplitScriptLine(line, tokens);
    if (!unreadable.empty()) {
      outcome.error = "line " + std::to_string(number) + ": " + unreadable;
      break;
    }
    if (tokens.empty()) continue;
    const std::string verb = tokens[0].text;
    const bool call = verb == "start" || verb == "stop" || verb == "package" || verb == "area" || verb == "command";
    fOut << "> " << ShortenForTranscript(line) << "\n";
    const size_t logBefore = fHost.Log().size();
    Line work(fHost, fOut, std::move(tokens), outcome.failures, savedSlot, result, storage);
    const std::string error = work.Run();
    if (!error.empty()) {
      outcome.error = "line " + std::to_string(number) + ": " + error;
      fOut << "  error: " << error << "\n";
      break;
    }
    ++outcome.lines;
    // What the dialogs' runs met during the line: the expectations and
    // snapshots of their scripts, and every failure of a form's run (an
    // unexpected form, a script run out, an object out of reach).
    for (const HostForms::Check& check : fHost.Forms().TakeChecks()) {
      if (!check.holds) ++outcome.failures;
      fOut << (check.holds ? "  ok: " : "  FAILED: ") << check.what << "\n";
    }
    const std::vector<std::string>& formFailures = fHost.Forms().Failures();
    for (; formFailuresSeen < formFailures.size(); ++formFailuresSeen) {
      ++outcome.failures;
      fOut << "  FAILED: form " << formFailures[formFailuresSeen] << "\n";
    }
    // A menu snapshot the line's menu could not write.
    if (TakeMenuSnapshotFailure()) {
      ++outcome.failures;
      fOut << "  FAILED: menu snapshot\n";
    }
    // A menu choice that found no item: the menu closed with a beep and
    // the script did not go as its writer thought.
    if (const std::string missed = TakeMenuChoiceFailure(); !missed.empty()) {
      ++outcome.failures;
      fOut << "  FAILED: " << missed << "\n";
    }
    // The module's processes take their turn (a floating bar's window
    // draws), then what waits in the forms' update regions is drawn.
    fHost.GiveProcessesATurn();
    fHost.Screen().DeliverUpdates();
    const auto& log = fHost.Log();
    for (size_t i = logBefore; i < log.size(); ++i)
      fOut << "  host " << log[i].selector << ": " << log[i].text << "\n";
    static const char* const kInput[] = {"mouse", "click", "drag", "key",     "type",
                                         "idle",  "wheel", "activate", "deactivate"};
    if (std::find(std::begin(kInput), std::end(kInput), verb) != std::end(kInput))
      fOut << "  clock " << fHost.Screen().Clock() << "\n";
    if (call)
      fOut << "  slot " << (fHost.Slot() != nullptr ? "set" : "zero") << ", result " << result << "\n";
  }
  // A clock the script stopped runs again for whatever comes after it.
  ReleaseLocalTime();
  // An answer the user gave that nothing asked for means the script did not
  // go as its writer thought.
  const size_t choices = fHost.PendingChoices();
  const size_t confirmations = fHost.PendingConfirmations();
  if (outcome.error.empty() && choices > 0)
    outcome.error = "end: " + std::to_string(choices) + " choose answer(s) never asked for";
  const size_t colours = fHost.PendingColours();
  if (outcome.error.empty() && colours > 0)
    outcome.error = "end: " + std::to_string(colours) + " colour answer(s) never asked for";
  if (outcome.error.empty() && confirmations > 0)
    outcome.error = "end: " + std::to_string(confirmations) + " confirm answer(s) never asked for";
  // So does a form's script that no form ever took: the dialog it answers
  // never opened.
  const std::vector<std::string> forms = fHost.Forms().PendingScripts();
  if (outcome.error.empty() && !forms.empty())
    outcome.error = "end: the script of form " + forms.front() + (forms.size() > 1 ? " and others" : "") +
                    " never run";
  if (!outcome.error.empty() && outcome.error.rfind("end: ", 0) == 0) fOut << "  error: " << outcome.error << "\n";
  return outcome;
}
