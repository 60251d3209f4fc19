// The value forms of a script's commands, and the host methods it defines.
#include "qvhost/ScriptCommandValues.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "boundary/HostRecords.h"
#include "qvhost/HostBytes.h"
#include "qvhost/HostCharacters.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptWords.h"

namespace {

// More slots than any command of the module reads.
constexpr size_t kCommandParameterSlots = 32;


// Why `text` cannot be the value of the form `name` that holds low to high,
// in the words every script line uses; empty when it can.
std::string Whole(const std::string& text, const std::string& name, int64_t low, int64_t high, int64_t& value) {
  return CheckScriptNumber(text, name, low, high, value);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// One argument or the result: its form and its cell.
struct Cell {
  std::string form;
  uint8_t* data = nullptr;
  std::string file;  // a blob result's file
};

std::string Describe(const Cell& cell) {
  const uint8_t* d = cell.data;
  if (cell.form == "long" || cell.form == "area" || cell.form == "ref") {
    int32_t v = 0;
    std::memcpy(&v, d, 4);
    return std::to_string(v);
  }
  if (cell.form == "word") {
    int16_t v = 0;
    std::memcpy(&v, d, 2);
    return std::to_string(v);
  }
  if (cell.form == "uword") {
    uint16_t v = 0;
    std::memcpy(&v, d, 2);
    return std::to_string(v);
  }
  if (cell.form == "bool") return std::to_string(d[0]);
  if (cell.form == "real") {
    double v = 0;
    std::memcpy(&v, d, 8);
    std::ostringstream s;
    s << v;
    return s.str();
  }
  // Texts come back in the host's character set and are printed as UTF-8.
  if (cell.form == "text") return Quoted(MacToUtf8(d + 1, d[0]));
  if (cell.form == "hosttext") {
    HostTextRecord record{};
    std::memcpy(&record, d, sizeof record);
    const std::vector<uint8_t> bytes = HandleBytes(record.handle);
    const size_t n = std::min<size_t>(bytes.size(), record.length > 0 ? size_t(record.length) : 0);
    return Quoted(MacToUtf8(bytes.data(), n));
  }
  if (cell.form == "blob") {
    uint32_t handle = 0;
    std::memcpy(&handle, d, 4);
    if (handle == 0) return "none";
    return std::to_string(HandleBytes(handle).size()) + " bytes";
  }
  if (cell.form == "array") {
    HostVariableEntry entry{};
    std::memcpy(&entry, d, sizeof entry);
    const std::vector<uint8_t> bytes = HandleBytes(entry.value.array.handle);
    std::string text;
    // Element 0 is the host's own; the script's words are 1 to count.
    for (uint32_t i = 1; i <= entry.value.array.count && (i + 1) * 2 <= bytes.size(); ++i) {
      int16_t v = 0;
      std::memcpy(&v, bytes.data() + i * 2, 2);
      if (!text.empty()) text += ',';
      text += std::to_string(v);
    }
    return text;
  }
  return "?";
}

// Reads one argument's value into a new cell; empty on success.
std::string MakeCell(QvHost& host, const std::string& form, const std::string& value, Cell& cell,
                     std::vector<std::unique_ptr<uint8_t[]>>& storage) {
  auto make = [&](size_t size) {
    storage.push_back(std::make_unique<uint8_t[]>(size));
    cell.data = storage.back().get();
    std::memset(cell.data, 0, size);
  };
  cell.form = form;
  int64_t whole = 0;
  if (form == "long" || form == "ref") {
    // A reference may be any 32-bit pattern; a long is the host's signed long.
    const int64_t high = form == "ref" ? int64_t{UINT32_MAX} : int64_t{INT32_MAX};
    if (std::string bad = Whole(value, form, INT32_MIN, high, whole); !bad.empty()) return bad;
    make(4);
    const uint32_t v = static_cast<uint32_t>(whole);
    std::memcpy(cell.data, &v, 4);
  } else if (form == "word" || form == "uword") {
    // Either spelling of the 16 bits: -1 and 65535 are one word.
    if (std::string bad = Whole(value, form, INT16_MIN, UINT16_MAX, whole); !bad.empty()) return bad;
    make(2);
    const uint16_t v = static_cast<uint16_t>(whole);
    std::memcpy(cell.data, &v, 2);
  } else if (form == "bool") {
    if (std::string bad = Whole(value, form, 0, 255, whole); !bad.empty()) return bad;
    make(1);
    cell.data[0] = static_cast<uint8_t>(whole);
  } else if (form == "real") {
    double v = 0;
    if (!ParseScriptReal(value, v)) return "real needs a number, not " + value;
    make(8);
    std::memcpy(cell.data, &v, 8);
  } else if (form == "text" || form == "hosttext") {
    // The module reads the host's texts in the host's character set.
    std::string mac;
    if (std::string bad = Utf8ToHostText(value, mac); !bad.empty()) return form + ": " + bad;
    if (form == "text") {
      if (mac.size() > 255) return "a text argument holds 255 characters, not " + std::to_string(mac.size());
      make(256);
      SetPascal(cell.data, mac, 255);
    } else {
      if (mac.size() > INT16_MAX) return "hosttext holds at most 32767 characters";
      make(sizeof(HostTextRecord));
      HostTextRecord record{static_cast<int16_t>(mac.size()), mac.empty() ? 0u : NewHandleWith(mac.data(), mac.size())};
      std::memcpy(cell.data, &record, sizeof record);
    }
  } else if (form == "blob") {
    make(4);
    if (!value.empty()) {
      std::ifstream in(value, std::ios::binary);
      if (!in) return "no file " + value;
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const uint32_t handle = NewHandleWith(bytes.data(), bytes.size());
      std::memcpy(cell.data, &handle, 4);
    }
  } else if (form == "array") {
    std::vector<int16_t> words;
    std::stringstream list(value);
    std::string item;
    while (std::getline(list, item, ',')) {
      if (std::string bad = Whole(item, "array item", INT16_MIN, INT16_MAX, whole); !bad.empty()) return bad;
      words.push_back(static_cast<int16_t>(whole));
    }
    make(sizeof(HostVariableEntry));
    HostVariableEntry entry{};
    entry.type = kHostIntegerArray;
    entry.value.array.count = static_cast<uint32_t>(words.size());
    words.insert(words.begin(), 0);  // element 0
    entry.value.array.handle = NewHandleWith(words.data(), words.size() * 2);
    entry.value.array.current = words.size() > 1 ? 1 : 0;
    std::memcpy(cell.data, &entry, sizeof entry);
  } else if (form == "area") {
    uint32_t reference = 0;
    if (const auto named = host.references.find(value); named != host.references.end()) {
      reference = named->second;
    } else if (QvHost::Area* area = host.FindArea(value)) {
      reference = area->reference;
    } else {
      return "no area " + value;
    }
    make(4);
    std::memcpy(cell.data, &reference, 4);
  } else {
    return "unknown argument kind " + form;
  }
  return {};
}

constexpr const char* kResultForms[] = {"long", "word", "uword", "real", "text", "hosttext", "blob", "area"};

}  // namespace

std::string RunScriptCommand(QvHost& host, std::ostream& out, int32_t number, const std::vector<std::string>& words,
                             uint32_t& result, std::vector<std::unique_ptr<uint8_t[]>>& storage) {
  std::vector<Cell> cells;
  Cell resultCell;
  std::string resultName;
  for (size_t i = 0; i < words.size(); i += 2) {
    const std::string& form = words[i];
    if (form == "result") {
      if (i + 1 >= words.size()) return "result needs a form";
      resultCell.form = words[i + 1];
      if (std::find(std::begin(kResultForms), std::end(kResultForms), resultCell.form) == std::end(kResultForms))
        return "unknown result form " + resultCell.form;
      size_t next = i + 2;
      if ((resultCell.form == "blob" || resultCell.form == "area") && next < words.size()) {
        (resultCell.form == "blob" ? resultCell.file : resultName) = words[next++];
      }
      if (resultCell.form == "area" && resultName.empty()) return "result area needs a name";
      if (next != words.size()) return "nothing may follow the result";
      break;
    }
    if (i + 1 >= words.size()) return "argument " + form + " needs a value";
    Cell cell;
    const std::string bad = MakeCell(host, form, words[i + 1], cell, storage);
    if (!bad.empty()) return bad;
    cells.push_back(cell);
  }
  std::vector<void*> params;
  for (const Cell& cell : cells) params.push_back(cell.data);
  // The result's cell: the runner's for longs, words, blobs and no result
  // (so that `expect result` reads it), a buffer of its own otherwise.
  result = 0;
  void* resultSlot = &result;
  if (resultCell.form == "real" || resultCell.form == "text" || resultCell.form == "hosttext") {
    storage.push_back(std::make_unique<uint8_t[]>(256));
    std::memset(storage.back().get(), 0, 256);
    resultSlot = storage.back().get();
  }
  resultCell.data = static_cast<uint8_t*>(resultSlot);
  // A host passes every parameter a command declares; a script line may
  // give fewer. The slots it leaves out are there and empty, so a command
  // reads them as absent instead of past the end of the list.
  params.resize(std::max(params.size(), kCommandParameterSlots), nullptr);
  host.Call(number, params.data(), resultSlot);

  host.commandOutputs.clear();
  for (size_t i = 0; i < cells.size(); ++i) {
    const std::string text = Describe(cells[i]);
    host.commandOutputs['p' + std::to_string(i)] = text;
    out << "  p" << i << " " << cells[i].form << " " << text << "\n";
  }
  if (!resultCell.form.empty()) {
    const bool areaResult = resultCell.form == "area";
    if (areaResult) resultCell.form = "long";
    const std::string text = Describe(resultCell);
    host.commandOutputs["result"] = text;
    out << "  result " << resultCell.form << " " << text << "\n";
    if (areaResult) host.references[resultName] = result;
    if (!resultCell.file.empty() && result != 0) {
      const std::vector<uint8_t> bytes = HandleBytes(result);
      std::ofstream file(resultCell.file, std::ios::binary);
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!file) return "cannot write " + resultCell.file;
    }
  }
  return {};
}

bool CheckCommandOutput(QvHost& host, const std::string& name, const std::string& value, std::string& what) {
  const auto found = host.commandOutputs.find(name);
  // Texts are printed in quotes; the script gives them bare or quoted.
  const bool holds = found != host.commandOutputs.end() && (found->second == value || found->second == Quoted(value));
  what = "output " + name + " " + value;
  return holds;
}

std::string RunMethodLine(QvHost& host, const std::vector<std::string>& words) {
  int64_t number = 0;
  if (words[0] == "methods") {
    if (words.size() != 2) return "methods N";
    if (std::string bad = Whole(words[1], "methods", INT16_MIN, INT16_MAX, number); !bad.empty()) return bad;
    host.methodRoom = static_cast<int32_t>(number);
    return {};
  }
  if (words.size() != 2 && !(words.size() == 4 && words[2] == "answer")) return "method NAME [answer N]";
  if (words.size() == 4) {
    if (std::string bad = Whole(words[3], "answer", INT32_MIN, INT32_MAX, number); !bad.empty()) return bad;
  }
  const std::string name = words[1];
  const auto answer = static_cast<int32_t>(number);
  QvHost* where = &host;
  host.DefineRoutine(name, [where, name, answer](HostVariableEntry* entries, uint32_t count) {
    std::string text;
    for (uint32_t i = 1; i <= count; ++i) {
      const HostVariableEntry& e = entries[i];
      std::string value = "?";
      switch (e.type) {
        case kHostLongInteger: value = std::to_string(e.value.longInteger); break;
        case kHostInteger: value = std::to_string(e.value.integer); break;
        case kHostBoolean: value = std::to_string(e.value.boolean); break;
        case kHostReal:
        case kHostReal2: {
          std::ostringstream s;
          s << e.value.real;
          value = s.str();
          break;
        }
        case kHostAlpha:
        case kHostString: value = Quoted(MacToUtf8(e.value.string.text + 1, e.value.string.text[0])); break;
        default: break;
      }
      text += (i > 1 ? ", " : "") + value;
    }
    where->Note("method " + name + "(" + text + ")");
    entries[0].type = kHostLongInteger;
    entries[0].value.longInteger = answer;
  });
  return {};
}
