// The stand-in host: loading the module, the calls it makes to DaVuze, and
// its answers to the module's host calls.
#include "qvhost/QvHost.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "boundary/FourCC.h"
#include "boundary/HostDisplayRoutines.h"
#include "boundary/HostFieldTypes.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/gdi/WinGdi.h"
#include "platform/print/WinPrint.h"
#include "platform/win32/WinPaint.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinMenus.h"
#include "qvhost/HostBytes.h"
#include "qvhost/HostCharacters.h"
#include "qvhost/HostDateStyles.h"
#include "qvhost/HostExpression.h"
#include "qvhost/HostPictures.h"
#include "qvhost/HostScreen.h"
#include "qvhost/HostSpeller.h"

namespace {

QvHost* sActive = nullptr;

// A four-character code as its characters.
std::string FourCCText(uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

std::string PascalToUtf8(const uint8_t* text) { return text != nullptr ? MacToUtf8(text + 1, text[0]) : ""; }

bool ToPascalPath(const std::string& path, uint8_t* pascal) {
  if (path.empty() || path.size() > 255) return false;
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  return true;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// ---- The host's display routines (selector 401).

void RoutinesFilled() {}

// The date and time in the style the module asks for (HostDateStyles).
void DateText(const VDateRec* date, uint8_t* result, uint16_t format) {
  SetPascal(result, HostDateText(date != nullptr ? *date : VDateRec{}, format), 255);
}

void TimeText(int32_t seconds, uint8_t* result, uint16_t format) {
  SetPascal(result, HostTimeText(seconds, format), 255);
}
void KeepText(uint8_t*, const uint8_t*) {}

// "H:MM" or "H:MM:SS" to seconds; 0 for anything else.
int32_t ParseTime(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char extra = 0;
  const int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &extra);
  if (n < 2 || n > 3 || h < 0 || m < 0 || m > 59 || s < 0 || s > 59) return 0;
  return h * 3600 + m * 60 + s;
}

// A window view the module tells the host about.
constexpr int32_t kHostSelWindowView421 = -421;
// A hyperlink's address for the host to open, as a text handle.
constexpr int32_t kHostSelOpenURL = -264;

bool EventMatches(const HostEventRecord& record, int16_t mask) {
  return record.what < 16 && (static_cast<uint16_t>(mask) & (1u << record.what)) != 0;
}

}  // namespace

QvHost::QvHost(QvHostConfig config) : fConfig(std::move(config)) {
  fDatabase = std::make_unique<HostDatabase>(fConfig.database);
  fForms = std::make_unique<HostForms>([this](int32_t selector, const std::string& text) {
    fLog.push_back({selector, text});
  });
  fScreen = std::make_unique<HostScreen>(*this);
  fForms->SetTableNames([this] {
    // The table list of a form names the tables in their numbers' order, so
    // that item N is table N.
    std::vector<std::string> names;
    const int32_t count = fDatabase->CountTables();
    for (int32_t table = 1; table <= count; ++table)
      names.push_back(Utf8ToMac(fDatabase->TableName(static_cast<uint16_t>(table)).value_or("")));
    return names;
  });
  fForms->SetPress([this](int32_t x1, int32_t y1, int32_t x2, int32_t y2) { fScreen->PlayPress(x1, y1, x2, y2); });
  fFolder = fConfig.folder;
  if (fFolder.empty()) {
    char pattern[] = "/tmp/qvhost.XXXXXX";
    if (mkdtemp(pattern) != nullptr) {
      fFolder = std::string(pattern) + "/";
      fOwnsFolder = true;
    }
  } else if (fFolder.back() != '/') {
    fFolder += '/';
  }
  sActive = this;
  // The choosers of the platform library, which the module shares, answer
  // as this host's user does.
  SetHeadlessChooserProvider(&QvHost::AnswerChooser, this);
  SetHeadlessColorProvider(&QvHost::AnswerColour, this);
  fForms->SetFolder(fFolder);
  fBeepsSeen = Tbx::CountBeeps() + static_cast<int32_t>(GetHeadlessBeeps().size());
}

BOOL QvHost::AnswerColour(CHOOSECOLORA* dialog, void* context) {
  auto* host = static_cast<QvHost*>(context);
  if (host == nullptr || host->fColours.empty()) return 0;  // cancelled
  const std::optional<uint32_t> colour = host->fColours.front();
  host->fColours.pop_front();
  host->Note(colour ? "colour chooser: " + std::to_string(*colour) : std::string("colour chooser: cancel"));
  if (!colour) return 0;
  dialog->rgbResult = RGB(uint8_t(*colour >> 16), uint8_t(*colour >> 8), uint8_t(*colour));
  return 1;
}

int32_t QvHost::TakeBeeps() {
  const int32_t now = Tbx::CountBeeps() + static_cast<int32_t>(GetHeadlessBeeps().size());
  const int32_t beeps = now - fBeepsSeen;
  fBeepsSeen = now;
  return beeps;
}

void QvHost::AnswerChooser(int32_t chooser, const void* record, HeadlessChooserAnswer* answer, void* context) {
  auto* host = static_cast<QvHost*>(context);
  if (host == nullptr || host->fChoices.empty()) return;  // cancelled
  Choice choice = std::move(host->fChoices.front());
  host->fChoices.pop_front();
  answer->action = choice.action == 1 ? kHeadlessAccept : choice.action == 2 ? kHeadlessPressExtra : kHeadlessCancel;
  std::snprintf(answer->path, sizeof answer->path, "%s", choice.path.c_str());
  answer->filterIndex = choice.filter;
}

QvHost::~QvHost() {
  SetHeadlessChooserProvider(nullptr, nullptr);
  SetHeadlessColorProvider(nullptr, nullptr);
  Unload();
  for (const auto& entry : fResourceHandles) Tbx::DisposeHandle(entry.first);
  for (const uint32_t h : fOrphanHandles) Tbx::DisposeHandle(h);
  if (sActive == this) sActive = nullptr;
  if (fOwnsFolder) {
    std::error_code ignored;
    std::filesystem::remove_all(fFolder, ignored);
  }
}

bool QvHost::Load(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    Unload();
    return false;
  };
  if (IsLoaded()) return true;
  // The preferences folder the host reports must be there: a module that
  // writes its preferences into a missing folder fails far from the cause.
  if (fFolder.empty()) return fail("cannot make a temporary folder");
  std::error_code missing;
  if (!std::filesystem::is_directory(fFolder, missing)) return fail("the folder " + fFolder + " does not exist");
  if (!fDatabase->IsOpen()) return fail("cannot open the database: " + fDatabase->Error());
  fLibrary = dlopen(fConfig.modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (fLibrary == nullptr) return fail(std::string("cannot load the module: ") + dlerror());
  fDaVuze = reinterpret_cast<void (*)(int32_t, void*, void**, void*)>(dlsym(fLibrary, "DaVuze"));
  fSwapProc = reinterpret_cast<uint8_t (*)(uint8_t, uint32_t, uint32_t, void*)>(dlsym(fLibrary, "SwapRsrcProc"));
  if (fDaVuze == nullptr || fSwapProc == nullptr) return fail("the module lacks DaVuze or SwapRsrcProc");

  // The host's own file first, then the module's, which stays current: the
  // module's resources are read while it starts. Both are read through the
  // module's byte-order procedure.
  uint8_t pascal[256];
  if (!fConfig.hostResourcePath.empty()) {
    if (!ToPascalPath(fConfig.hostResourcePath, pascal)) return fail("host resource path too long");
    fHostRef = Tbx::OpenResFile(pascal);
    if (fHostRef < 0) return fail("cannot open " + fConfig.hostResourcePath);
    Tbx::SetResFileSwapProc(fHostRef, fSwapProc);
    std::string formError;
    fForms->LoadFrom(fHostRef, &formError);
    if (!formError.empty()) return fail("bad form description: " + formError);
  }
  if (!ToPascalPath(fConfig.moduleResourcePath, pascal)) return fail("module resource path missing or too long");
  fModuleRef = Tbx::OpenResFile(pascal);
  if (fModuleRef < 0) return fail("cannot open " + fConfig.moduleResourcePath);
  Tbx::SetResFileSwapProc(fModuleRef, fSwapProc);
  Tbx::UseResFile(fModuleRef);
  return true;
}

void QvHost::Unload() {
  // A module that was started is stopped before it goes; a second stop is
  // nothing to it.
  if (fDaVuze != nullptr && fStarted) Stop(kSelStop);
  // The files lose the module's procedure with it.
  if (fModuleRef >= 0) Tbx::CloseResFile(fModuleRef);
  if (fHostRef >= 0) Tbx::CloseResFile(fHostRef);
  fModuleRef = fHostRef = -1;
  fDaVuze = nullptr;
  fSwapProc = nullptr;
  if (fLibrary != nullptr) dlclose(fLibrary);
  fLibrary = nullptr;
}

void QvHost::Call(int32_t selector, void* params, void* result) {
  if (fDaVuze == nullptr) return;
  QvHost* previous = sActive;
  sActive = this;
  fDaVuze(selector, params, &fSlot, result);
  sActive = previous != nullptr ? previous : this;
}

void QvHost::Start(int32_t selector) {
  fStartup = HostStartupRecord{};
  fStartup.hostInterfaceVersion = fConfig.interfaceVersion;
  fStartup.callback = &QvHost::Callback;
  fStartup.moduleInterfaceVersion = 0;
  fStarted = true;
  fRunning = true;
  if (fModuleRef >= 0) Tbx::UseResFile(fModuleRef);
  uint32_t result = 0;
  Call(selector, &fStartup, &result);
}

void QvHost::Stop(int32_t selector) {
  fRunning = false;
  uint32_t result = 0;
  Call(selector, nullptr, &result);
}

void QvHost::PackageEvent(int32_t selector, uintptr_t value) {
  uint32_t result = 0;
  Call(selector, reinterpret_cast<void*>(value), &result);
}

void QvHost::PackageRecordEvent(int32_t selector, HostPackageEventRecord& record, uint32_t& result) {
  Call(selector, &record, &result);
}

QvHost::Area* QvHost::FindArea(const std::string& name) {
  auto it = fAreas.find(name);
  return it != fAreas.end() ? it->second.get() : nullptr;
}

std::string QvHost::PrintArea(Area& area, const std::string& pdf) {
  if (area.kind == Area::Kind::none) return "the area was never made (event 16)";
  // An area of a form prints where the form shows it: one in no form has
  // no place on the page.
  if (area.kind == Area::Kind::form && area.port == nullptr) return "the area is in no form";
  char device[256] = {0};
  GetProfileStringA("windows", "device", "", device, sizeof device);
  if (char* comma = std::strchr(device, ',')) *comma = 0;
  HDC dc = CreateDCA(nullptr, device, nullptr, nullptr);
  if (dc == nullptr) return "no printer";
  DOCINFOA info{sizeof(DOCINFOA), "qvhost", pdf.c_str(), nullptr, 0};
  if (StartDocA(dc, &info) <= 0 || StartPage(dc) <= 0) {
    AbortDoc(dc);
    DeleteDC(dc);
    return "the print job did not start: cannot write " + pdf;
  }
  // The page is the current port during the events.
  Tbx::GrafPtr page = Tbx::OpenPrinterPort(dc);
  void* formPort = area.port;
  area.port = page;
  HostEventRecord record{};
  if (area.kind == Area::Kind::printing) {
    for (uint16_t code : {uint16_t{27}, uint16_t{29}, uint16_t{28}}) {
      record = HostEventRecord{};
      record.what = code;
      SendAreaRecord(area, record);
    }
  } else {
    record.what = 6;
    if (formPort != nullptr) {
      record.message = reinterpret_cast<uintptr_t>(Tbx::GetWindowFromPort(static_cast<Tbx::CGrafPtr>(formPort)));
    }
    SendAreaRecord(area, record);
  }
  area.port = formPort;
  Tbx::ClosePrinterPort(page);
  const bool ended = EndPage(dc) > 0;
  const bool written = EndDoc(dc) > 0 && ended;
  DeleteDC(dc);
  std::error_code missing;
  if (!written || !std::filesystem::is_regular_file(pdf, missing)) return "the page was not written to " + pdf;
  return {};
}

QvHost::Area& QvHost::MakeArea(const std::string& name) {
  std::unique_ptr<Area>& slot = fAreas[name];
  if (!slot) slot = std::make_unique<Area>();
  return *slot;
}

QvHost::Area& QvHost::AreaEvent(int32_t routine, const std::string& name, uint16_t code, uintptr_t message,
                                uint16_t modifiers, uint32_t when) {
  Area& area = MakeArea(name);
  HostEventRecord record{};
  record.what = code;
  record.message = message;
  record.when = when;
  record.modifiers = modifiers;
  area.routine = routine;
  SendAreaRecord(area, record);
  return area;
}

void QvHost::DesignArea(int32_t routine, const std::string& name, int16_t table) {
  Area& area = MakeArea(name);
  HostDesignRecord& design = area.design;
  design = HostDesignRecord{};
  design.version = static_cast<int16_t>(fConfig.hostVersion & 0xFFFF);
  design.table = table;
  design.top = area.rect[0];
  design.left = area.rect[1];
  design.bottom = area.rect[2];
  design.right = area.rect[3];
  if (area.port != nullptr) {
    design.window =
        reinterpret_cast<uintptr_t>(Tbx::GetWindowFromPort(static_cast<Tbx::CGrafPtr>(area.port)));
    design.port = reinterpret_cast<uintptr_t>(area.port);
  }
  area.routine = routine;
  for (uint16_t code : {kAreaEventDesignKeep, kAreaEventDesignRedraw}) {
    HostEventRecord record{};
    record.what = code;
    record.message = reinterpret_cast<uintptr_t>(&design);
    SendAreaRecord(area, record);
  }
}

void QvHost::SendAreaRecord(Area& area, const HostEventRecord& record) {
  area.event = record;
  area.params[kAreaEventRecordEntry] = &area.event;
  area.params[kAreaObjectCellEntry] = &area.cell;
  Tbx::GrafPtr saved = nullptr;
  if (area.port != nullptr) {
    // A form's area: its rectangle and name go along, its form's port is
    // current during the event.
    area.params[1] = area.rect;
    area.params[2] = area.objectName;
    Tbx::GetPort(&saved);
    Tbx::SetPort(static_cast<Tbx::GrafPtr>(area.port));
  }
  uint32_t result = 0;
  Call(area.routine, area.params, &result);
  if (area.port != nullptr) Tbx::SetPort(saved);
  area.answer = area.event;
  area.answerCode = record.what;
  // An object made by the event brings its reference back.
  if ((record.what == kAreaEventCreate || record.what == kAreaEventCreateFromRecord) && area.cell != nullptr) {
    area.reference = area.event.when;
    area.kind = record.modifiers != 0   ? Area::Kind::form
                : record.message != 0 ? Area::Kind::printing
                                      : Area::Kind::output;
  }
}

void QvHost::Command(int32_t number, std::vector<void*> params, uint32_t& result) {
  // The array is never empty, so the module may look at its first entry.
  if (params.empty()) params.push_back(nullptr);
  Call(number, params.data(), &result);
}

int32_t QvHost::CountCalls(int32_t selector) const {
  int32_t n = 0;
  for (const LoggedCall& call : fLog) n += call.selector == selector;
  return n;
}

std::vector<std::string> QvHost::Messages() const {
  std::vector<std::string> texts;
  for (const LoggedCall& call : fLog)
    if (call.selector == kHostSelShowMessage) texts.push_back(call.text);
  return texts;
}

void QvHost::Callback(int32_t selector, HostParamBlock* block) {
  if (sActive == nullptr || block == nullptr) return;
  sActive->Answer(selector, *block);
}

void QvHost::Answer(int32_t selector, HostParamBlock& block) {
  switch (selector) {
    case kHostSelModuleState:
      fLog.push_back({selector, block.flag ? "module starts" : "module stops"});
      break;
    case kHostSelStartupQuery:
      AnswerStartup(block);
      break;
    case kHostSelGetPath:
      AnswerPath(block);
      break;
    case kHostSelShowMessage:
      fLog.push_back({selector, PascalToUtf8(HostPointer<const uint8_t>(block.param1))});
      break;
    case kHostSelFieldInfo:
      AnswerFieldInfo(block);
      break;
    case kHostSelGetField:
      AnswerGetField(block);
      break;
    case kHostSelSetField:
      AnswerSetField(block);
      break;
    case kHostSelDisplayRoutines: {
      auto* routines = HostPointer<VDisplayRoutines>(block.param1);
      if (routines != nullptr) {
        routines->filled = &RoutinesFilled;
        routines->dateText = &DateText;
        routines->timeText = &TimeText;
        routines->unused = nullptr;
        routines->numberFormat = &KeepText;
        routines->textFormat = &KeepText;
      }
      fLog.push_back({selector, "display routines"});
      break;
    }
    case kHostSelCenturyPivot:
      block.param1 = HostWord(fConfig.pivotYear);
      block.param2 = HostWord(fConfig.century);
      fLog.push_back({selector, "century pivot"});
      break;
    case kHostSelValueToText: {
      std::string text =
          HostWordOf(block.param1) == kHostTypeTime
              ? HostTimeText(HostWordOf(block.longValue), HostWordOf(block.param2))
              : "";
      SetPascal(block.text2, text, 80);
      fLog.push_back({selector, "value to text: " + text});
      break;
    }
    case kHostSelTextToValue: {
      const std::string text = PascalToUtf8(block.text2);
      block.longValue = HostWordOf(block.param1) == kHostTypeTime ? static_cast<uint32_t>(ParseTime(text)) : 0;
      fLog.push_back({selector, "text to value: " + text});
      break;
    }
    case kHostSelTakeEvent:
    case kHostSelPeekEvent:
      AnswerEvent(selector, block);
      break;
    case kHostSelWindowView421:
      fLog.push_back({selector, "window view"});
      break;
    case kHostSelLook:
      block.param1 = HostWord(fConfig.look);
      fLog.push_back({selector, "look " + std::to_string(fConfig.look)});
      break;
    case kHostSelOpenWindowAt:
      fLog.push_back({selector, "window at: " + MacToUtf8(block.text2 + 1, block.text2[0] <= 80 ? block.text2[0] : 80)});
      break;
    default:
      if (AnswerData(selector, block) || AnswerProcess(selector, block) || AnswerFormulaEditor(selector, block) || AnswerService(selector, block) ||
          AnswerRoutine(selector, block) || AnswerRequest(selector, block) || AnswerExpression(selector, block) ||
          AnswerResource(selector, block) || AnswerPackageData(selector, block) ||
          AnswerHostObject(selector, block) || fForms->Answer(selector, block)) {
        break;
      }
      block.error = -1;
      fLog.push_back({selector, "not served"});
      break;
  }
}

void QvHost::AnswerStartup(HostParamBlock& block) {
  SetPascal(block.text, fConfig.hostName, 255);
  SetPascal(block.text2, fConfig.secondName, 80);
  uint32_t first = 0, second = 0;
  if (fConfig.flags[0]) first |= 1u << 30;
  if (fConfig.flags[1]) first |= 1u << 29;
  if (fConfig.flags[2]) second |= 1u << 27;
  if (fConfig.flags[3]) second |= 1u << 26;
  if (fConfig.flags[4]) second |= 1u << 25;
  block.handle = first;
  block.param1 = second;
  block.param2 = fConfig.hostVersion;
  block.longValue = static_cast<uint16_t>(fHostRef);
  block.error = 0;
  fLog.push_back({kHostSelStartupQuery, "start-up query: version " + Hex(fConfig.hostVersion)});
}

void QvHost::AnswerPath(HostParamBlock& block) {
  char* buffer = HostPointer<char>(block.param3);
  const uint32_t size = static_cast<uint32_t>(HostWordOf(block.param4));
  if (HostWordOf(block.param2) != static_cast<int32_t>(FourCC("PATH")) || buffer == nullptr || size == 0 ||
      fFolder.size() + 1 > size) {
    block.error = -1;
    fLog.push_back({kHostSelGetPath, "path refused"});
    return;
  }
  std::memcpy(buffer, fFolder.c_str(), fFolder.size() + 1);
  block.error = 0;
  fLog.push_back({kHostSelGetPath, "path " + fFolder});
}

void QvHost::AnswerFieldInfo(HostParamBlock& block) {
  const std::optional<int16_t> type = fDatabase->FieldType(block.table, block.field);
  if (!type) {
    block.error = -1;
    fLog.push_back({kHostSelFieldInfo, "no field " + std::to_string(block.table) + "." + std::to_string(block.field)});
    return;
  }
  block.param1 = HostWord(*type);
  SetPascal(block.text, Utf8ToMac(fDatabase->FieldName(block.table, block.field)), 255);
  // Every field is offered: a nonzero word at 280, bit 0x100 of 284 clear.
  block.param3 = 1;
  block.param4 = 0;
  block.error = 0;
  fLog.push_back({kHostSelFieldInfo, "field " + std::to_string(block.table) + "." + std::to_string(block.field) +
                                         " type " + std::to_string(*type)});
}

void QvHost::AnswerGetField(HostParamBlock& block) {
  const std::optional<int16_t> type = fDatabase->FieldType(block.table, block.field);
  const std::string name = std::to_string(block.table) + "." + std::to_string(block.field);
  if (!type) {
    block.error = -1;
    fLog.push_back({kHostSelGetField, "no field " + name});
    return;
  }
  const HostDatabase::Value value = fDatabase->Get(block.table, block.field).value_or(HostDatabase::Value{});
  block.param1 = HostWord(*type);
  switch (*type) {
    case 2:
    case 3:
    case 30: {
      // A new handle with a copy: the module owns it once answered.
      Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(value.bytes.size()));
      if (h != 0 && !value.bytes.empty()) {
        std::memcpy(Tbx::HLock(h), value.bytes.data(), value.bytes.size());
        Tbx::HUnlock(h);
      }
      block.valueHandle = h;
      block.textLength = static_cast<int16_t>(value.bytes.size() & 0xFFFF);
      break;
    }
    case 0:
    case 24:
      SetPascal(block.text2, Utf8ToMac(value.text), 80);
      break;
    case 1:
    case 28:
      block.realValue = value.number;
      break;
    case 4:
      std::memcpy(block.dateValue, value.date, sizeof block.dateValue);
      break;
    case 6:
    case 8:
      block.shortValue = static_cast<uint16_t>(value.integer);
      break;
    default:
      block.longValue = static_cast<uint32_t>(value.integer);
      break;
  }
  block.error = 0;
  fLog.push_back({kHostSelGetField, "get field " + name});
}

void QvHost::AnswerSetField(HostParamBlock& block) {
  const std::optional<int16_t> type = fDatabase->FieldType(block.table, block.field);
  const std::string name = std::to_string(block.table) + "." + std::to_string(block.field);
  if (!type) {
    block.error = -1;
    fLog.push_back({kHostSelSetField, "no field " + name});
    return;
  }
  HostDatabase::Value value;
  switch (*type) {
    case 2:
    case 3:
    case 30: {
      // The handle is the host's once given; its size is the content's
      // (the record's 16-bit length only confirms its low bits).
      const Tbx::Handle h = block.valueHandle;
      const int32_t size = h != 0 ? Tbx::GetHandleSize(h) : 0;
      if (h == 0 || Tbx::MemError() != Tbx::noErr || (size & 0xFFFF) != static_cast<uint16_t>(block.textLength)) {
        block.error = -1;
        fLog.push_back({kHostSelSetField, "bad content for " + name});
        return;
      }
      value.bytes.resize(static_cast<size_t>(size));
      if (size > 0) {
        std::memcpy(value.bytes.data(), Tbx::HLock(h), value.bytes.size());
        Tbx::HUnlock(h);
      }
      Tbx::DisposeHandle(h);
      break;
    }
    case 0:
    case 24:
      value.text = MacToUtf8(block.text2 + 1, block.text2[0] <= 80 ? block.text2[0] : 80);
      break;
    case 1:
    case 28:
      value.number = block.realValue;
      break;
    case 4:
      std::memcpy(value.date, block.dateValue, sizeof value.date);
      break;
    case 6:
      value.integer = block.shortValue & 0xFF;
      break;
    case 8:
      value.integer = static_cast<int16_t>(block.shortValue);
      break;
    default:
      value.integer = HostWordOf(block.longValue);
      break;
  }
  block.error = fDatabase->Set(block.table, block.field, value) ? 0 : -1;
  fLog.push_back({kHostSelSetField, "set field " + name});
}

void QvHost::AnswerEvent(int32_t selector, HostParamBlock& block) {
  auto* record = HostPointer<HostEventRecord>(block.handle);
  const auto mask = static_cast<int16_t>(HostWordOf(block.param1));
  bool found = false;
  const char* what = "event taken";
  if (selector == kHostSelTakeEvent && !fEvents.empty() && fEvents.front().record.what == 0xFFFE) {
    // A snapshot of the front window, drawn first when it waits for it.
    HostEventRecord update{};
    if (EventMatches(HostEventRecord{6, 0, 0, 0, 0, 0}, mask) && FrontWindowUpdate(update)) {
      if (record != nullptr) *record = update;
      block.param4 = 1;
      fLog.push_back({selector, "update of the front window taken"});
      return;
    }
    const std::string path = fEvents.front().snapshot;
    fEvents.pop_front();
    Tbx::WindowRef front = Tbx::FrontWindow();
    const bool written = front != nullptr && WriteHeadlessWindowPng(Tbx::GetNativeWindow(front), path.c_str());
    block.param4 = 0;
    int32_t left = 0, top = 0, width = 0, height = 0;
    Tbx::GetWindowBounds(front, &left, &top, &width, &height);
    fLog.push_back({selector, written ? "snapshot of the front window, content at " + std::to_string(left) + "," +
                                            std::to_string(top) + " size " + std::to_string(width) + "x" +
                                            std::to_string(height)
                                      : "no snapshot"});
    return;
  }
  if (selector == kHostSelTakeEvent && !fEvents.empty() && fEvents.front().record.what == 0xFFFF) {
    fEvents.pop_front();  // a queued "no event"
    block.param4 = 0;
    fLog.push_back({selector, "no event"});
    return;
  }
  for (auto it = fEvents.begin(); it != fEvents.end(); ++it) {
    if (it->record.what >= 0xFFFE || !EventMatches(it->record, mask)) continue;
    if (record != nullptr) *record = it->record;
    if (selector == kHostSelTakeEvent) {
      if (it->record.what == 1) {
        // The button goes down where the event says (and moves on when
        // tracked), so that the module's tracking sees the user.
        const QueuedEvent& e = *it;
        fScreen->PlayPress(e.record.whereH, e.record.whereV, e.track ? e.toH : e.record.whereH,
                           e.track ? e.toV : e.record.whereV);
        if (record != nullptr) record->when = HostScreen::Ticks(fScreen->Clock());
      }
      fLog.push_back({selector, "event " + std::to_string(it->record.what) + " at " +
                                    std::to_string(it->record.whereH) + "," + std::to_string(it->record.whereV) +
                                    " taken"});
      fEvents.erase(it);
      block.param4 = 1;
      return;
    }
    found = true;
    break;
  }
  if (!found && selector == kHostSelTakeEvent) {
    // Nothing queued: what waits to be drawn, then the user quits.
    HostEventRecord next{};
    if (EventMatches(HostEventRecord{6, 0, 0, 0, 0, 0}, mask) &&
        (fScreen->NextUpdate(next, true) || FrontWindowUpdate(next))) {
      what = "update taken";
      found = true;
    } else if (EventMatches(HostEventRecord{3, 0, 0, 0, 0, 0}, mask)) {
      next.what = 3;
      next.message = (0x0C << 8) | 'q';
      next.modifiers = 0x100;
      next.when = HostScreen::Ticks(fScreen->Clock());
      what = "command-Q taken";
      found = true;
    }
    if (found && record != nullptr) *record = next;
  }
  if (selector == kHostSelTakeEvent) {
    block.param4 = found ? 1 : 0;
    fLog.push_back({selector, found ? what : "no event"});
  } else {
    block.flag = found ? 1 : 0;
    fLog.push_back({selector, found ? "event waiting" : "no event waiting"});
  }
}

bool QvHost::FrontWindowUpdate(HostEventRecord& record) {
  // A window of the module's own (not a form) in front, with something to
  // draw: its update event names the window.
  Tbx::WindowRef front = Tbx::FrontWindow();
  if (front == nullptr || fScreen->IsForm(front)) return false;
  RECT dirty{0, 0, 0, 0};
  if (!GetUpdateRect(Tbx::GetNativeWindow(front), &dirty, FALSE_)) return false;
  record = HostEventRecord{};
  record.what = 6;
  record.message = reinterpret_cast<uintptr_t>(front);
  record.when = HostScreen::Ticks(fScreen->Clock());
  return true;
}

// ---- Structure, records and variables

namespace {

bool PlainArray(int32_t type) {
  return type == kHostRealArray || type == kHostIntegerArray || type == kHostLongArray || type == kHostDateArray ||
         type == kHostStringArray || type == kHostBooleanArray;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
  out.insert(out.end(), p, p + 4);
}

// The stored form of an entry: the value bytes of a single value, the text
// of a text, a header (count, current) and the element bytes of an array;
// a text array keeps each element's length and text; pictures as their
// stored forms. Nothing for the types the stand-in does not keep (records,
// BLOBs).
std::optional<std::vector<uint8_t>> StoredForm(const HostVariableEntry& entry) {
  std::vector<uint8_t> out;
  const int32_t type = entry.type;
  if (type == kHostPicture || type == kHostPictureArray) return PictureStoredForm(entry);
  if (type == kHostText) return HandleBytes(entry.value.text.handle, static_cast<uint16_t>(entry.value.text.length));
  if (PlainArray(type) || type == kHostTextArray) {
    Put32(out, entry.value.array.count);
    Put32(out, static_cast<uint16_t>(entry.value.array.current));
    const std::vector<uint8_t> elements = HandleBytes(entry.value.array.handle, SIZE_MAX);
    if (PlainArray(type)) {
      out.insert(out.end(), elements.begin(), elements.end());
      return out;
    }
    for (size_t at = 0; at + sizeof(HostTextRecord) <= elements.size(); at += sizeof(HostTextRecord)) {
      HostTextRecord record;
      std::memcpy(&record, elements.data() + at, sizeof record);
      const std::vector<uint8_t> text = HandleBytes(record.handle, static_cast<uint16_t>(record.length));
      Put32(out, static_cast<uint32_t>(text.size()));
      out.insert(out.end(), text.begin(), text.end());
    }
    return out;
  }
  switch (type) {
    case kHostAlpha: case kHostReal: case kHostDate: case kHostUndefined: case kHostBoolean: case kHostInteger:
    case kHostLongInteger: case kHostTime: case kHostString: case kHostReal2:
      out.assign(entry.value.bytes, entry.value.bytes + sizeof entry.value.bytes);
      return out;
    default:
      return std::nullopt;
  }
}

// The entry from its stored form, with new handles that the module owns.
bool EntryFromStored(HostVariableEntry& entry, const HostDatabase::Variable& stored) {
  const std::vector<uint8_t>& b = stored.bytes;
  std::memset(&entry, 0, sizeof entry);
  entry.type = static_cast<uint8_t>(stored.type);
  if (stored.type == kHostPicture || stored.type == kHostPictureArray)
    return PictureEntryFromStored(entry, stored.type, b);
  if (stored.type == kHostText) {
    entry.value.text.length = static_cast<int16_t>(b.size());
    entry.value.text.handle = NewHandleWith(b.data(), b.size());
    return true;
  }
  if (PlainArray(stored.type) || stored.type == kHostTextArray) {
    if (b.size() < 8) return false;
    uint32_t count = 0, current = 0;
    std::memcpy(&count, b.data(), 4);
    std::memcpy(&current, b.data() + 4, 4);
    entry.value.array.count = count;
    entry.value.array.current = static_cast<int16_t>(current);
    if (PlainArray(stored.type)) {
      entry.value.array.handle = NewHandleWith(b.data() + 8, b.size() - 8);
      return true;
    }
    std::vector<uint8_t> records;
    size_t at = 8;
    while (at + 4 <= b.size()) {
      uint32_t length = 0;
      std::memcpy(&length, b.data() + at, 4);
      at += 4;
      if (length > b.size() - at) return false;
      HostTextRecord record{static_cast<int16_t>(length), NewHandleWith(b.data() + at, length)};
      at += length;
      const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
      records.insert(records.end(), p, p + sizeof record);
    }
    entry.value.array.handle = NewHandleWith(records.data(), records.size());
    return true;
  }
  if (b.size() != sizeof entry.value.bytes) return false;
  std::memcpy(entry.value.bytes, b.data(), b.size());
  return true;
}

// "[table]field" into its two names.
bool SplitReference(const std::string& reference, std::string& table, std::string& field) {
  if (reference.size() < 3 || reference[0] != '[') return false;
  const size_t close = reference.find(']');
  if (close == std::string::npos) return false;
  table = reference.substr(1, close - 1);
  field = reference.substr(close + 1);
  return !table.empty() && !field.empty();
}

// The host's comparison: 0 equal (a "@" in the first text matches any
// rest), 1 first greater, 2 first smaller.
int32_t CompareTexts(const uint8_t* a, int32_t la, const uint8_t* b, int32_t lb) {
  for (int32_t i = 0;; ++i) {
    if (i < la && a[i] == '@') return 0;
    if (i == la || i == lb) return la == lb ? 0 : (i == la ? 2 : 1);
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : 2;
  }
}

}  // namespace

bool QvHost::AnswerData(int32_t selector, HostParamBlock& block) {
  switch (selector) {
    case kHostSelCountTables: case kHostSelCountFields: case kHostSelTableInfo: case kHostSelFieldNumbers:
    case kHostSelFieldAtPoint: case kHostSelFieldAtPointInTable: case kHostSelRecordCount:
    case kHostSelGotoRecord: case kHostSelQueryTable: case kHostSelSortTable: case kHostSelCurrentField:
    case kHostSelCurrentField303: case kHostSelCurrentField383: case kHostSelCompareTexts:
      AnswerStructure(selector, block);
      return true;
    case kHostSelGetVariable: case kHostSelSetVariable: case kHostSelGetInterprocessVariable:
    case kHostSelSetInterprocessVariable: case kHostSelVariableOp306:
      AnswerVariable(selector, block);
      return true;
    default:
      return false;
  }
}

void QvHost::AnswerStructure(int32_t selector, HostParamBlock& block) {
  const std::string table = std::to_string(block.table);
  switch (selector) {
    case kHostSelCountTables:
      block.param1 = HostWord(fDatabase->CountTables());
      fLog.push_back({selector, "tables " + std::to_string(fDatabase->CountTables())});
      break;
    case kHostSelCountFields:
      block.param1 = HostWord(fDatabase->CountFields(block.table));
      fLog.push_back({selector, "fields of " + table});
      break;
    case kHostSelTableInfo: {
      const std::optional<std::string> name = fDatabase->TableName(block.table);
      block.error = name ? 0 : -1;
      if (name) SetPascal(block.text, Utf8ToMac(*name), 255);
      block.param3 = name ? 1 : 0;
      fLog.push_back({selector, name ? "table " + table + " " + *name : "no table " + table});
      break;
    }
    case kHostSelFieldNumbers: {
      std::string t, f;
      const std::string reference = MacToUtf8(block.text + 1, block.text[0]);
      const auto found = SplitReference(reference, t, f) ? fDatabase->FindField(t, f) : std::nullopt;
      block.error = found ? 0 : -1;
      if (found) {
        block.table = found->first;
        block.field = found->second;
      }
      fLog.push_back({selector, "field numbers of " + reference});
      break;
    }
    case kHostSelFieldAtPoint:
    case kHostSelFieldAtPointInTable: {
      // The user picks in the field chooser what the script said, or
      // nothing.
      block.table = 0;
      block.field = 0;
      if (!fFieldChoices.empty()) {
        block.table = fFieldChoices.front().first;
        block.field = fFieldChoices.front().second;
        fFieldChoices.pop_front();
      }
      fLog.push_back({selector, "field at " + std::to_string(HostWordOf(block.param1)) + "," +
                                    std::to_string(HostWordOf(block.param2)) + ": " + std::to_string(block.table) +
                                    "." + std::to_string(block.field)});
      break;
    }
    case kHostSelRecordCount:
      block.param1 = fDatabase->RecordCount(block.table);
      fLog.push_back({selector, "records of " + table});
      break;
    case kHostSelGotoRecord: {
      const bool inside = block.record < fDatabase->RecordCount(block.table);
      block.error = inside && fDatabase->SetCurrentRecord(block.table, block.record) ? 0 : -1;
      fLog.push_back({selector, "goto " + table + " record " + std::to_string(block.record)});
      break;
    }
    case kHostSelQueryTable:
    case kHostSelSortTable:
      if (selector == kHostSelQueryTable) {
        if (const auto leaves = fDatabase->QueryLeaves(block.table)) fDatabase->SetRecordCount(block.table, *leaves);
      }
      fLog.push_back({selector, (selector == kHostSelQueryTable ? "query " : "sort ") + table});
      break;
    case kHostSelCurrentField:
      block.param1 = fCurrentTable != 0 ? 1 : 0;
      block.error = 0;
      fLog.push_back({selector, "current field"});
      break;
    case kHostSelCurrentField303:
    case kHostSelCurrentField383:
      block.table = fCurrentTable;
      block.field = fCurrentFieldNumber;
      block.error = fCurrentTable != 0 ? 0 : -1;
      fLog.push_back({selector, "current field " + std::to_string(fCurrentTable) + "." +
                                    std::to_string(fCurrentFieldNumber)});
      break;
    case kHostSelCompareTexts: {
      const auto* a = HostPointer<const uint8_t>(block.param1);
      const auto* b = HostPointer<const uint8_t>(block.param2);
      const int32_t la = HostWordOf(block.param3), lb = HostWordOf(block.param4);
      block.param1 = a != nullptr && b != nullptr && la >= 0 && lb >= 0 ? HostWord(CompareTexts(a, la, b, lb)) : 0;
      fLog.push_back({selector, "compare texts"});
      break;
    }
  }
}

void QvHost::AnswerVariable(int32_t selector, HostParamBlock& block) {
  const std::string name = Pascal(block.text);
  if (selector == kHostSelVariableOp306) {
    fLog.push_back({selector, "variable call " + name});
    return;
  }
  const bool interprocess = selector == kHostSelGetInterprocessVariable || selector == kHostSelSetInterprocessVariable;
  const int32_t scope = interprocess ? 2 : 1;
  auto* entry = HostPointer<HostVariableEntry>(block.handle);
  if (entry == nullptr || name.empty()) {
    block.error = -1;
    fLog.push_back({selector, "bad variable request"});
    return;
  }
  if (selector == kHostSelGetVariable || selector == kHostSelGetInterprocessVariable) {
    const std::optional<HostDatabase::Variable> stored = fDatabase->GetVariable(scope, name);
    block.error = stored && EntryFromStored(*entry, *stored) ? 0 : -1;
    fLog.push_back({selector, (block.error == 0 ? "get variable " : "no variable ") + name});
    return;
  }
  const std::optional<std::vector<uint8_t>> form = StoredForm(*entry);
  HostDatabase::Variable variable;
  variable.type = entry->type;
  if (form) variable.bytes = *form;
  block.error = form && fDatabase->SetVariable(scope, name, variable) ? 0 : -1;
  fLog.push_back({selector, (block.error == 0 ? "set variable " : "variable refused ") + name});
}

// ---- Processes, methods, the document store, messages

bool QvHost::AnswerService(int32_t selector, HostParamBlock& block) {
  switch (selector) {
    case kHostSelSpellingService:
      // Without the service (the default) the answer is no entry point.
      if (!fConfig.spellers) {
        block.handle = 0;
        fLog.push_back({selector, "plug-in value"});
        return true;
      }
      block.handle = reinterpret_cast<uintptr_t>(&HostSpellingService);
      fLog.push_back({selector, "spelling service"});
      return true;
    case kHostSelCurrentProcess:
      block.param1 = HostWord(currentProcess);
      fLog.push_back({selector, "current process"});
      return true;
    case kHostSelNewProcess: {
      const std::string name = MacToUtf8(block.text2 + 1, block.text2[0] <= 80 ? block.text2[0] : 80);
      block.param1 = HostWord(++fLastProcess);
      fLog.push_back({selector, "new process " + name + " stack " + std::to_string(HostWordOf(block.param3))});
      return true;
    }
    case kHostSelDelayProcess:
      fLog.push_back({selector, "delay process " + std::to_string(HostWordOf(block.param1)) + " by " +
                                    std::to_string(HostWordOf(block.param2))});
      return true;
    case -86: case -87: case -88: case -97:
      fLog.push_back({selector, "process " + std::to_string(HostWordOf(block.param1))});
      return true;
    case kHostSelWaitStep:
    case kHostSelWaitIdle:
      fLog.push_back({selector, selector == kHostSelWaitStep ? "wait step" : "wait idle"});
      return true;
    case kHostSelProcessOther:
    case kHostSelProcessFront:
      block.param1 = HostWord(otherProcess);
      fLog.push_back({selector, "which process"});
      return true;
    case kHostSelRoomLeft:
      block.param2 = HostWord(methodRoom);
      fLog.push_back({selector, "room left"});
      return true;
    case kHostSelNameExists: {
      const std::string name = MacToUtf8(block.text + 1, block.text[0]);
      block.param1 = fDatabase->GetDocument(name) ? 1 : 0;
      fLog.push_back({selector, "exists " + name});
      return true;
    }
    case kHostSelReadNamedData: {
      const std::string name = MacToUtf8(block.text + 1, block.text[0]);
      const std::optional<std::vector<uint8_t>> data = fDatabase->GetDocument(name);
      block.handle = 0;
      if (data) {
        const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(data->size()));
        if (h != 0 && !data->empty()) {
          std::memcpy(Tbx::HLock(h), data->data(), data->size());
          Tbx::HUnlock(h);
        }
        block.handle = h;
      }
      block.error = block.handle != 0 ? 0 : -43;
      fLog.push_back({selector, (data ? "read " : "nothing under ") + name});
      return true;
    }
    case kHostSelWriteNamedData: {
      const std::string name = MacToUtf8(block.text + 1, block.text[0]);
      const auto* data = HostPointer<const uint8_t>(block.handle);
      const int32_t size = HostWordOf(block.param1);
      if (data == nullptr || size < 0 || name.empty()) {
        block.error = -1;
        fLog.push_back({selector, "write refused"});
        return true;
      }
      block.error = fDatabase->SetDocument(name, std::vector<uint8_t>(data, data + size)) ? 0 : -1;
      fLog.push_back({selector, "write " + name + " " + std::to_string(size) + " bytes, extension " +
                                    Hex(static_cast<uint32_t>(block.param2))});
      return true;
    }
    case kHostSelDocumentText335: case kHostSelDocumentText411: case -427:
      SetPascal(block.text, documentText, 255);
      fLog.push_back({selector, "document text"});
      return true;
    case kHostSelConfirm: {
      const bool yes = !fConfirmations.empty() && fConfirmations.front();
      if (!fConfirmations.empty()) fConfirmations.pop_front();
      block.param2 = yes ? 1 : 0;
      fLog.push_back({selector, PascalToUtf8(HostPointer<const uint8_t>(block.param1)) + (yes ? " : yes" : " : no")});
      return true;
    }
    case kHostSelMetafile:
      fLog.push_back({selector, AnswerMetafile(block)});
      return true;
    case -143:
      fLog.push_back({selector, "noted"});
      if (fScreen) fScreen->TrackingBegins();
      return true;
    case -105: case -144: case -307: case -357:
      fLog.push_back({selector, "noted"});
      return true;
    case kHostSelOpenURL: {
      // A hyperlink's address to open: the stand-in host notes it and
      // opens nothing.
      const std::vector<uint8_t> url = HandleBytes(static_cast<uint32_t>(block.handle), 32000);
      fLog.push_back({selector, "open URL " + std::string(url.begin(), url.end())});
      return true;
    }
    default:
      return false;
  }
}

bool QvHost::OpenHostResources(const std::string& resourcePath, std::string* error) {
  uint8_t pascal[256];
  if (fHostRef >= 0 || !ToPascalPath(resourcePath, pascal)) {
    if (error != nullptr) *error = fHostRef >= 0 ? "host resources already open" : "resource path missing or too long";
    return false;
  }
  fHostRef = Tbx::OpenResFile(pascal);
  if (fHostRef < 0) {
    if (error != nullptr) *error = "cannot open " + resourcePath;
    return false;
  }
  std::string formError;
  fForms->LoadFrom(fHostRef, &formError);
  if (error != nullptr) *error = formError;
  return formError.empty();
}

bool QvHost::LoadForms(const std::string& resourcePath, std::string* error) {
  uint8_t pascal[256];
  if (!ToPascalPath(resourcePath, pascal)) {
    if (error != nullptr) *error = "resource path missing or too long";
    return false;
  }
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  if (ref < 0) {
    if (error != nullptr) *error = "cannot open " + resourcePath;
    return false;
  }
  std::string formError;
  fForms->LoadFrom(ref, &formError);
  Tbx::CloseResFile(ref);
  Tbx::UseResFile(previous);
  if (error != nullptr) *error = formError;
  return formError.empty();
}

// ---- Routines of the host's language, and records by name

void QvHost::DefineRoutine(const std::string& name, Routine routine) {
  fRoutines.emplace_back(name, std::move(routine));
}

namespace {

// Gives back what an entry holds in handles, and zeroes them.
void ReleaseEntry(HostVariableEntry& entry) {
  switch (entry.type) {
    case kHostText:
      if (entry.value.text.handle != 0) Tbx::DisposeHandle(entry.value.text.handle);
      entry.value.text = HostTextRecord{0, 0};
      break;
    case kHostPicture:
    case kHostBlob:
      if (entry.value.data.handle != 0) Tbx::DisposeHandle(entry.value.data.handle);
      entry.value.data.handle = 0;
      entry.value.data.size = 0;
      break;
    case kHostRecord:
      if (entry.value.recordHandle != 0) Tbx::DisposeHandle(entry.value.recordHandle);
      entry.value.recordHandle = 0;
      break;
    case kHostTextArray: {
      const std::vector<uint8_t> records = HandleBytes(entry.value.array.handle, SIZE_MAX);
      for (size_t at = 0; at + sizeof(HostTextRecord) <= records.size();
           at += sizeof(HostTextRecord)) {
        HostTextRecord record;
        std::memcpy(&record, records.data() + at, sizeof record);
        if (record.handle != 0) Tbx::DisposeHandle(record.handle);
      }
      [[fallthrough]];
    }
    case kHostRealArray:
    case kHostIntegerArray:
    case kHostLongArray:
    case kHostDateArray:
    case kHostPictureArray:
    case kHostStringArray:
    case kHostBooleanArray:
      if (entry.value.array.handle != 0) Tbx::DisposeHandle(entry.value.array.handle);
      entry.value.array.handle = 0;
      entry.value.array.count = 0;
      break;
    default: break;
  }
}

}  // namespace

bool QvHost::AnswerRequest(int32_t selector, HostParamBlock& block) {
  const auto word16 = [](uintptr_t field) { return static_cast<int16_t>(field & 0xFFFF); };
  const auto fields = [&block]() {
    return std::to_string(block.handle) + " " + std::to_string(block.param1) + " " +
           std::to_string(block.param2) + " " + std::to_string(block.param3);
  };
  switch (selector) {
    case kHostSelNumberToText505: {
      // A number beyond the 16-bit table numbers names no table.
      const uint32_t value = static_cast<uint32_t>(block.param1);
      const auto name = value <= 0xFFFF ? fDatabase->TableName(static_cast<uint16_t>(value)) : std::nullopt;
      block.error = name ? 0 : -1;
      if (name) SetPascal(block.text, Utf8ToMac(*name), 255);
      fLog.push_back({selector, name ? "table name " + *name : "no table " + std::to_string(value)});
      return true;
    }
    case kHostSelTextToNumber506:
    case kHostSelTextToNumber508: {
      // The text is read within the 80 characters it may have.
      const std::string text = MacToUtf8(block.text + 1, block.text[0] <= 80 ? block.text[0] : 80);
      int32_t number = 0;
      if (selector == kHostSelTextToNumber506) {
        number = fDatabase->TableNumber(text).value_or(0);
      } else {
        number = fDatabase->NumberOfName(text).value_or(0);
      }
      block.param1 = HostWord(number);
      block.error = number != 0 ? 0 : -1;
      fLog.push_back({selector, "number of " + text + " " + std::to_string(number)});
      return true;
    }
    case kHostSelNumberToText507:
    case kHostSelNumberToText509: {
      const auto number = static_cast<int16_t>(block.shortValue);
      const auto name = selector == kHostSelNumberToText507
                            ? (number > 0 ? fDatabase->TableName(static_cast<uint16_t>(number)) : std::nullopt)
                            : fDatabase->NameOf(number);
      SetPascal(block.text2, Utf8ToMac(name.value_or("")), 80);
      block.error = name ? 0 : -1;
      fLog.push_back({selector, "text of " + std::to_string(number) + " " + name.value_or("(none)")});
      return true;
    }
    case kHostSelRealByKind: {
      const int32_t kind = HostWordOf(block.param1);
      const auto a = static_cast<int16_t>(block.table), b = static_cast<int16_t>(block.field);
      const auto found = reals.find({kind, a, b});
      block.error = found != reals.end() ? 0 : -1;
      if (found != reals.end()) block.realValue = found->second;
      fLog.push_back({selector, "real kind " + std::to_string(kind) + " " + std::to_string(a) + " " +
                                    std::to_string(b)});
      return true;
    }
    case kHostSelTableTest40: {
      const bool known = fDatabase->TableName(block.table).has_value();
      block.param1 = HostWord(known ? 1 : 0);
      fLog.push_back({selector, "table " + std::to_string(block.table) + (known ? " known" : " unknown")});
      return true;
    }
    case kHostSelValue90: {
      const auto found = values90.find(static_cast<uint32_t>(block.handle));
      block.param1 = found != values90.end() ? found->second : 0;
      fLog.push_back({selector, "value of " + std::to_string(block.handle)});
      return true;
    }
    case kHostSelState178:
      block.param1 = stateFlag;
      block.param2 = HostWord(stateWord);
      fLog.push_back({selector, "state"});
      return true;
    case kHostSelMode179: {
      const int32_t mode = HostWordOf(block.param1);
      if (mode >= 0 && mode <= 2) modes.push_back(mode);
      block.error = mode >= 0 && mode <= 2 ? 0 : -1;
      fLog.push_back({selector, "mode " + std::to_string(mode)});
      return true;
    }
    case kHostSelCall500:
      fLog.push_back({selector, std::string(block.flag != 0 ? "interprocess " : "process ") + fields()});
      return true;
    case kHostSelCall501:
    case kHostSelCall502:
      fLog.push_back({selector, std::to_string(word16(block.table)) +
                                    (selector == kHostSelCall501 ? " " + std::to_string(word16(block.field)) : "") +
                                    " " + fields()});
      return true;
    case kHostSelCall503:
      fLog.push_back({selector, std::to_string(block.handle) + " " + std::to_string(block.param1)});
      return true;
    case kHostSelCall514:
    case kHostSelCall511:
      fLog.push_back({selector, (selector == kHostSelCall514 ? std::to_string(block.param1) + " " : "") +
                                    PascalToUtf8(block.text)});
      return true;
    case kHostSelCall65:
      fLog.push_back({selector, "call"});
      return true;
    case kHostSelCall512:
      fLog.push_back({selector, std::to_string(word16(block.table)) + " " + std::to_string(word16(block.field))});
      return true;
    default:
      return false;
  }
}

bool QvHost::AnswerRoutine(int32_t selector, HostParamBlock& block) {
  switch (selector) {
    case kHostSelFindRoutine: {
      const std::string name = PascalToUtf8(block.text);
      block.param1 = 0;
      for (size_t i = 0; i < fRoutines.size(); ++i) {
        if (fRoutines[i].first == name) block.param1 = HostWord(static_cast<int32_t>(i + 1));
      }
      block.error = block.param1 != 0 ? 0 : -1;
      fLog.push_back({selector, (block.param1 != 0 ? "routine " : "no routine ") + name});
      return true;
    }
    case kHostSelRunRoutine: {
      const int32_t number = HostWordOf(block.param1);
      const auto h = static_cast<Tbx::Handle>(block.handle);
      const int32_t size = h != 0 ? Tbx::GetHandleSize(h) : 0;
      if (number < 1 || static_cast<size_t>(number) > fRoutines.size() || h == 0 ||
          Tbx::MemError() != Tbx::noErr || size < static_cast<int32_t>(sizeof(HostVariableEntry)) ||
          size % sizeof(HostVariableEntry) != 0) {
        block.error = -1;
        fLog.push_back({selector, "run refused"});
        return true;
      }
      const uint32_t count = static_cast<uint32_t>(size / sizeof(HostVariableEntry)) - 1;
      auto* entries = static_cast<HostVariableEntry*>(Tbx::HLock(h));
      fRoutines[static_cast<size_t>(number - 1)].second(entries, count);
      Tbx::HUnlock(h);
      block.error = 0;
      fLog.push_back({selector, "run " + fRoutines[static_cast<size_t>(number - 1)].first +
                                    " with " + std::to_string(count)});
      return true;
    }
    case kHostSelReleaseEntry:
    case kHostSelReleaseEntryOld: {
      auto* entry = HostPointer<HostVariableEntry>(block.param1);
      if (entry != nullptr) {
        ReleaseEntry(*entry);
        ++releasedEntries;
      }
      fLog.push_back({selector, "release entry"});
      return true;
    }
    case kHostSelRecordByName: {
      const std::string name = PascalToUtf8(block.text);
      const auto it = records.find(name);
      block.handle = 0;
      if (it != records.end()) block.handle = NewHandleWith(it->second.data(), it->second.size());
      block.error = 0;
      fLog.push_back({selector, (it != records.end() ? "record " : "no record ") + name});
      return true;
    }
    default: return false;
  }
}

// ---- Expressions

namespace {

ExprValue FromEntry(const HostVariableEntry& entry) {
  ExprValue v;
  switch (entry.type) {
    case kHostReal:
    case kHostReal2:
      v.kind = ExprValue::kReal;
      v.real = entry.value.real;
      break;
    case kHostInteger:
      v.kind = ExprValue::kLong;
      v.integer = entry.value.integer;
      break;
    case kHostLongInteger:
      v.kind = ExprValue::kLong;
      v.integer = entry.value.longInteger;
      break;
    case kHostBoolean:
      v.kind = ExprValue::kBoolean;
      v.integer = entry.value.boolean != 0 ? 1 : 0;
      break;
    case kHostTime:
      v.kind = ExprValue::kTime;
      v.integer = entry.value.seconds;
      break;
    case kHostDate:
      v.kind = ExprValue::kDate;
      std::memcpy(v.date, entry.value.date, sizeof v.date);
      break;
    case kHostAlpha:
    case kHostString:
      v.kind = ExprValue::kText;
      v.text = PascalToUtf8(entry.value.string.text);
      break;
    case kHostText: {
      const std::vector<uint8_t> bytes =
          HandleBytes(entry.value.text.handle, static_cast<uint16_t>(entry.value.text.length));
      v.kind = ExprValue::kText;
      v.text = MacToUtf8(bytes.data(), bytes.size());
      break;
    }
    case kHostPicture:
      v.kind = ExprValue::kPicture;
      v.picture = HandleBytes(entry.value.data.handle, entry.value.data.size);
      break;
    default: break;
  }
  return v;
}

void ToEntry(const ExprValue& v, HostVariableEntry& entry) {
  std::memset(&entry, 0, sizeof entry);
  switch (v.kind) {
    case ExprValue::kReal:
      entry.type = kHostReal;
      entry.value.real = v.real;
      break;
    case ExprValue::kLong:
      entry.type = kHostLongInteger;
      entry.value.longInteger = static_cast<int32_t>(v.integer);
      break;
    case ExprValue::kBoolean:
      entry.type = kHostBoolean;
      entry.value.boolean = v.integer != 0 ? 1 : 0;
      break;
    case ExprValue::kTime:
      entry.type = kHostTime;
      entry.value.seconds = static_cast<uint32_t>(v.integer);
      break;
    case ExprValue::kDate:
      entry.type = kHostDate;
      std::memcpy(entry.value.date, v.date, sizeof v.date);
      break;
    case ExprValue::kText: {
      std::string mac = Utf8ToMac(v.text);
      if (mac.size() > 32000) mac.resize(32000);
      entry.type = kHostText;
      entry.value.text.length = static_cast<int16_t>(mac.size());
      entry.value.text.handle =
          NewHandleWith(reinterpret_cast<const uint8_t*>(mac.data()), mac.size());
      break;
    }
    case ExprValue::kPicture:
      // A new handle that the module owns once answered; none for an
      // empty picture.
      entry.type = kHostPicture;
      entry.value.data.handle = v.picture.empty() ? 0 : NewHandleWith(v.picture.data(), v.picture.size());
      entry.value.data.size = entry.value.data.handle != 0 ? static_cast<uint32_t>(v.picture.size()) : 0;
      break;
    default: entry.type = kHostUndefined; break;
  }
}

}  // namespace

bool QvHost::AnswerExpression(int32_t selector, HostParamBlock& block) {
  const auto h = static_cast<Tbx::Handle>(block.handle);
  switch (selector) {
    case kHostSelCompileExpression: {
      const std::vector<uint8_t> text = HandleBytes(h, kExpressionSourceMax);
      const std::string source = MacToUtf8(text.data(), text.size());
      const std::vector<uint8_t> compiled = CompileExpression(source);
      block.param1 = compiled.empty() ? 0 : NewHandleWith(compiled.data(), compiled.size());
      block.error = block.param1 != 0 ? 0 : -1;
      fLog.push_back({selector, "compile " + source});
      return true;
    }
    case kHostSelReleaseExpression:
      if (h != 0) Tbx::DisposeHandle(h);
      fLog.push_back({selector, "release expression"});
      return true;
    case kHostSelSwapExpression: {
      std::vector<uint8_t> bytes = HandleBytes(h, SIZE_MAX);
      const bool ok = SwapCompiledExpression(bytes.data(), bytes.size());
      if (ok && bytes.size() >= 4) {
        std::memcpy(Tbx::HLock(h), bytes.data(), 4);
        Tbx::HUnlock(h);
      }
      block.error = ok ? 0 : -1;
      fLog.push_back({selector, ok ? "expression byte order" : "no expression"});
      return true;
    }
    case kHostSelExpressionText: {
      const std::vector<uint8_t> bytes = HandleBytes(h, SIZE_MAX);
      std::string source;
      if (!ReadCompiledExpression(bytes.data(), bytes.size(), source)) {
        block.error = -1;
        fLog.push_back({selector, "no expression"});
        return true;
      }
      const std::string mac = Utf8ToMac(source);
      block.handle = NewHandleWith(reinterpret_cast<const uint8_t*>(mac.data()), mac.size());
      block.error = block.handle != 0 ? 0 : -1;
      fLog.push_back({selector, "expression text " + source});
      return true;
    }
    case kHostSelEvaluateExpression: {
      auto* entry = HostPointer<HostVariableEntry>(block.param1);
      const std::vector<uint8_t> bytes = HandleBytes(h, SIZE_MAX);
      std::string source, why;
      ExprLookups lookups;
      lookups.field = [this](const std::string& table, const std::string& field, ExprValue& out) {
        const auto numbers = fDatabase->FindField(table, field);
        if (!numbers) return false;
        const std::optional<int16_t> type = fDatabase->FieldType(numbers->first, numbers->second);
        const HostDatabase::Value value =
            fDatabase->Get(numbers->first, numbers->second).value_or(HostDatabase::Value{});
        out = ExprValue{};
        switch (type.value_or(-1)) {
          case 0:
          case 24:
            out.kind = ExprValue::kText;
            out.text = value.text;
            return true;
          case 2:
            out.kind = ExprValue::kText;
            out.text = MacToUtf8(value.bytes.data(), value.bytes.size());
            return true;
          case 1:
          case 28:
            out.kind = ExprValue::kReal;
            out.real = value.number;
            return true;
          case 4:
            out.kind = ExprValue::kDate;
            std::memcpy(out.date, value.date, sizeof out.date);
            return true;
          case 6:
            out.kind = ExprValue::kBoolean;
            out.integer = value.integer != 0;
            return true;
          case 8:
          case 9:
            out.kind = ExprValue::kLong;
            out.integer = value.integer;
            return true;
          case 11:
            out.kind = ExprValue::kTime;
            out.integer = value.integer;
            return true;
          case 3:
            out.kind = ExprValue::kPicture;
            out.picture = value.bytes;
            return true;
          default: return false;
        }
      };
      lookups.variable = [this](const std::string& name, ExprValue& out) {
        const bool inter = name.rfind("<>", 0) == 0;
        const auto stored = fDatabase->GetVariable(inter ? 2 : 1, inter ? name.substr(2) : name);
        HostVariableEntry entry;
        if (!stored || !EntryFromStored(entry, *stored)) return false;
        out = FromEntry(entry);
        ReleaseEntry(entry);
        return out.kind != ExprValue::kNone;
      };
      ExprValue result;
      if (entry == nullptr || !ReadCompiledExpression(bytes.data(), bytes.size(), source) ||
          !EvaluateExpression(source, lookups, result, &why)) {
        block.error = -1;
        fLog.push_back(
            {selector, "evaluation failed: " + (why.empty() ? std::string("no expression") : why)});
        return true;
      }
      ToEntry(result, *entry);
      block.error = 0;
      fLog.push_back({selector, "evaluate " + source});
      return true;
    }
    default: return false;
  }
}

// ---- The resource file kept for the module

uint32_t QvHost::ResourceHandle(uint32_t type, int16_t id) {
  for (const auto& [handle, key] : fResourceHandles) {
    if (key.first == type && key.second == id) return handle;
  }
  const std::optional<HostDatabase::Resource> r = fDatabase->GetResource(type, id);
  if (!r) return 0;
  const uint32_t h = NewHandleWith(r->data.data(), r->data.size());
  if (h != 0) fResourceHandles[h] = {type, id};
  return h;
}

// A call on the kept resource file, as the module sends it: type at 272, id
// at 276, handle at 266 and name at 10.
struct QvHost::ResourceCall {
  uint32_t type;
  int16_t id;
  uint32_t handle;
  std::string name;
  std::string what;  // the type and id, for the log
};

bool QvHost::AnswerResourceFileChoice(int32_t selector, HostParamBlock& block) {
  if (selector == kResSelOpenKept) {
    block.table = static_cast<uint16_t>(kKeptResourceFile);
    // No Toolbox file stands behind the database: the same number serves
    // as the second reference, which the module never closes for this file.
    block.field = static_cast<uint16_t>(kKeptResourceFile);
    block.error = 0;
    fLog.push_back({selector, "open kept resource file"});
    return true;
  }
  if (selector == kResSelOpenFileRecord || selector == kResSelOpenFileRecordWith) {
    block.error = -1;
    fLog.push_back({selector, "no other resource files"});
    return true;
  }
  if (selector == kResSelMakeCurrent) {
    const int16_t previous = currentResourceFile;
    currentResourceFile = static_cast<int16_t>(block.table);
    block.table = static_cast<uint16_t>(previous);
    block.error = 0;
    fLog.push_back({selector, "current resource file " + std::to_string(currentResourceFile)});
    return true;
  }
  return false;
}

bool QvHost::AnswerResource(int32_t selector, HostParamBlock& block) {
  if (AnswerResourceFileChoice(selector, block)) return true;
  if (selector != kResSelAdd && !(selector <= kResSelRemove && selector >= kResSelListTypes) &&
      selector != kResSelClose && selector != kResSelUpdate && selector != kResSelUniqueId &&
      selector != kResSelForget) {
    return false;
  }
  if (static_cast<int16_t>(block.table) != kKeptResourceFile) {
    block.error = -1;
    fLog.push_back(
        {selector, "no resource file " + std::to_string(static_cast<int16_t>(block.table))});
    return true;
  }
  ResourceCall call;
  call.type = static_cast<uint32_t>(block.param1);
  call.id = static_cast<int16_t>(HostWordOf(block.param2));
  call.handle = static_cast<uint32_t>(block.handle);
  call.name = PascalToUtf8(block.text);
  call.what = FourCCText(call.type) + " " + std::to_string(call.id);
  block.error = 0;
  switch (selector) {
    case kResSelAdd: AnswerResourceAdd(selector, block, call); break;
    case kResSelRemove: AnswerResourceRemove(selector, block, call); break;
    case kResSelGet:
    case kResSelGetIndexed: AnswerResourceGet(selector, block, call); break;
    case kResSelRelease: AnswerResourceRelease(selector, call); break;
    case kResSelForget: fLog.push_back({selector, "module lets go of a handle"}); break;
    case kResSelDetach: AnswerResourceDetach(selector, block, call); break;
    case kResSelWrite: AnswerResourceWrite(selector, call); break;
    case kResSelCount: AnswerResourceCount(selector, block, call); break;
    case kResSelInfo: AnswerResourceInfo(selector, block, call); break;
    case kResSelSetInfo: AnswerResourceSetInfo(selector, block, call); break;
    case kResSelLock: AnswerResourceLock(block, call); break;
    // Data are always loaded; the setting is kept only to be given back.
    case kResSelLoadFlag: std::swap(block.flag, fResourceLoad); break;
    case kResSelListIds:
    case kResSelListNames:
    case kResSelListTypes: AnswerResourceList(selector, block, call); break;
    case kResSelUniqueId: block.param2 = HostWord(FreeResourceId(call.type)); break;
    case kResSelUpdate:
    case kResSelClose:
      fLog.push_back(
          {selector, selector == kResSelUpdate ? "update resource file" : "close resource file"});
      break;
    default: block.error = -1; break;
  }
  return true;
}

int16_t QvHost::FreeResourceId(uint32_t type) {
  int16_t free = 128;
  for (const HostDatabase::Resource& r : fDatabase->ResourcesOfType(type)) {
    if (r.id == free) ++free;
  }
  return free;
}

void QvHost::AnswerResourceAdd(int32_t selector, HostParamBlock& block, const ResourceCall& call) {
  const int16_t chosen = block.flag != 0 || call.id == -1 ? FreeResourceId(call.type) : call.id;
  const int32_t size = call.handle != 0 ? Tbx::GetHandleSize(call.handle) : -1;
  if (call.handle == 0 || Tbx::MemError() != Tbx::noErr || size < 0) {
    block.error = -1;
    fLog.push_back({selector, "add refused " + call.what});
    return;
  }
  HostDatabase::Resource r;
  r.type = call.type;
  r.id = chosen;
  r.name = call.name;
  r.data = HandleBytes(call.handle, SIZE_MAX);
  if (!fDatabase->AddResource(r)) {
    block.error = -1;
    return;
  }
  Tbx::DisposeHandle(call.handle);  // the host keeps the bytes, not the handle
  block.param2 = HostWord(chosen);
  fLog.push_back({selector, "add " + FourCCText(call.type) + " " + std::to_string(chosen)});
}

void QvHost::AnswerResourceRemove(int32_t selector, HostParamBlock& block,
                                  const ResourceCall& call) {
  uint32_t t = call.type;
  int16_t i = call.id;
  if (call.handle != 0) {
    const auto known = fResourceHandles.find(call.handle);
    if (known == fResourceHandles.end()) {
      block.error = -1;
      return;
    }
    t = known->second.first;
    i = known->second.second;
  } else if (!call.name.empty()) {
    const auto r = fDatabase->GetNamedResource(call.type, call.name);
    if (!r) {
      block.error = -1;
      fLog.push_back({selector, "no resource named " + call.name});
      return;
    }
    i = r->id;
  }
  const bool refused = std::find(protectedResources.begin(), protectedResources.end(),
                                 std::make_pair(t, i)) != protectedResources.end();
  if (refused || !fDatabase->RemoveResource(t, i)) {
    block.error = -1;
    fLog.push_back({selector, "remove refused " + FourCCText(t) + " " + std::to_string(i)});
    return;
  }
  for (auto it = fResourceHandles.begin(); it != fResourceHandles.end(); ++it) {
    if (it->second == std::make_pair(t, i)) {
      fOrphanHandles.push_back(it->first);
      fResourceHandles.erase(it);
      break;
    }
  }
  fLog.push_back({selector, "remove " + FourCCText(t) + " " + std::to_string(i)});
}

void QvHost::AnswerResourceGet(int32_t selector, HostParamBlock& block, const ResourceCall& call) {
  int16_t i = call.id;
  if (selector == kResSelGetIndexed) {
    const std::vector<HostDatabase::Resource> all = fDatabase->ResourcesOfType(call.type);
    i = call.id >= 1 && static_cast<size_t>(call.id) <= all.size()
            ? all[static_cast<size_t>(call.id - 1)].id
            : INT16_MIN;
  } else if (!call.name.empty()) {
    const auto r = fDatabase->GetNamedResource(call.type, call.name);
    i = r ? r->id : INT16_MIN;
  }
  const uint32_t h = i != INT16_MIN ? ResourceHandle(call.type, i) : 0;
  block.handle = h;
  block.flag = h != 0 ? 1 : 0;
  block.error = h != 0 ? 0 : -1;
  fLog.push_back({selector, (h != 0 ? "get " : "no resource ") + call.what +
                                (call.name.empty() ? "" : " " + call.name)});
}

void QvHost::AnswerResourceRelease(int32_t selector, const ResourceCall& call) {
  uint32_t h = call.handle;
  if (h == 0) {
    for (const auto& [candidate, key] : fResourceHandles) {
      if (key == std::make_pair(call.type, call.id)) h = candidate;
    }
  }
  const auto it = fResourceHandles.find(h);
  if (it != fResourceHandles.end()) {
    fResourceHandles.erase(it);
    Tbx::DisposeHandle(h);
  }
  fLog.push_back({selector, "release"});
}

void QvHost::AnswerResourceDetach(int32_t selector, HostParamBlock& block,
                                  const ResourceCall& call) {
  const auto known = fResourceHandles.find(call.handle);
  if (known == fResourceHandles.end()) {
    block.error = -1;
    return;
  }
  fResourceHandles.erase(known);
  fLog.push_back({selector, "detach"});
}

void QvHost::AnswerResourceWrite(int32_t selector, const ResourceCall& call) {
  const auto known = fResourceHandles.find(call.handle);
  if (known != fResourceHandles.end()) {
    fDatabase->SetResourceData(known->second.first, known->second.second,
                               HandleBytes(call.handle, SIZE_MAX));
  }
  fLog.push_back({selector, "write"});
}

void QvHost::AnswerResourceCount(int32_t selector, HostParamBlock& block,
                                 const ResourceCall& call) {
  block.param3 = fDatabase->ResourcesOfType(call.type).size();
  fLog.push_back({selector, "count " + FourCCText(call.type)});
}

void QvHost::AnswerResourceInfo(int32_t selector, HostParamBlock& block, const ResourceCall& call) {
  std::optional<HostDatabase::Resource> r;
  if (call.handle != 0) {
    const auto known = fResourceHandles.find(call.handle);
    if (known != fResourceHandles.end())
      r = fDatabase->GetResource(known->second.first, known->second.second);
  } else if (!call.name.empty()) {
    r = fDatabase->GetNamedResource(call.type, call.name);
  } else {
    r = fDatabase->GetResource(call.type, call.id);
  }
  if (!r) {
    block.error = -1;
    return;
  }
  block.param2 = HostWord(r->id);
  block.param3 = r->data.size();
  const std::string mac = Utf8ToMac(r->name);
  SetPascal(block.text, mac, 255);
  fLog.push_back({selector, "info " + FourCCText(r->type) + " " + std::to_string(r->id)});
}

void QvHost::AnswerResourceSetInfo(int32_t selector, HostParamBlock& block,
                                   const ResourceCall& call) {
  block.error = fDatabase->SetResourceName(call.type, call.id, call.name) ? 0 : -1;
  fLog.push_back({selector, "name " + call.what + " " + call.name});
}

void QvHost::AnswerResourceLock(HostParamBlock& block, const ResourceCall& call) {
  if (fResourceHandles.find(call.handle) == fResourceHandles.end()) {
    block.error = -1;
    return;
  }
  if (block.flag != 0) {
    block.handle = HostAddress(Tbx::HLock(call.handle));
  } else {
    Tbx::HUnlock(call.handle);
  }
}

void QvHost::AnswerResourceList(int32_t selector, HostParamBlock& block, const ResourceCall& call) {
  std::vector<uint8_t> bytes;
  if (selector == kResSelListTypes) {
    for (const uint32_t t : fDatabase->ResourceTypes()) Put32(bytes, t);
  } else {
    for (const HostDatabase::Resource& r : fDatabase->ResourcesOfType(call.type)) {
      if (selector == kResSelListIds) {
        const auto* p = reinterpret_cast<const uint8_t*>(&r.id);
        bytes.insert(bytes.end(), p, p + 2);
      } else {
        uint8_t record[kResNameRecordSize] = {};
        SetPascal(record, Utf8ToMac(r.name), kResNameRecordSize - 1);
        bytes.insert(bytes.end(), record, record + kResNameRecordSize);
      }
    }
  }
  block.handle = NewHandleWith(bytes.data(), bytes.size());
  block.error = block.handle != 0 ? 0 : -1;
  fLog.push_back({selector, "list " + FourCCText(call.type)});
}

bool QvHost::AnswerPackageData(int32_t selector, HostParamBlock& block) {
  if (selector != kHostSelGetPackageData && selector != kHostSelSetPackageData) return false;
  const auto key = std::make_tuple(HostWordOf(block.param1), HostWordOf(block.param3),
                                   static_cast<int16_t>(HostWordOf(block.param4)));
  const std::string name = std::to_string(std::get<0>(key)) + " " + std::to_string(std::get<1>(key)) + " " +
                           std::to_string(std::get<2>(key));
  if (selector == kHostSelGetPackageData) {
    // A new handle of the kept bytes, the module's to dispose of.
    const auto found = packageData.find(key);
    block.handle = found != packageData.end() ? NewHandleWith(found->second.data(), found->second.size()) : 0;
    block.error = block.handle != 0 ? 0 : -1;
    fLog.push_back({selector, (block.error == 0 ? "package data " : "no package data ") + name});
    return true;
  }
  // The handle's bytes are copied; the handle stays the module's.
  const auto handle = static_cast<uint32_t>(block.handle);
  if (handle == 0) {
    block.error = -1;
    fLog.push_back({selector, "no package data to keep " + name});
    return true;
  }
  packageData[key] = HandleBytes(handle, SIZE_MAX);
  block.error = 0;
  fLog.push_back({selector, "keep package data " + name + ": " + std::to_string(packageData[key].size()) +
                                " bytes"});
  return true;
}

bool QvHost::AnswerHostObject(int32_t selector, HostParamBlock& block) {
  switch (selector) {
    case kHostSelObjectOpen519: case kHostSelObjectCall520: case kHostSelObjectRelease521:
    case kHostSelObjectCall522: case kHostSelObjectCall526: case kHostSelObjectCall527:
    case kHostSelObjectSet530: break;
    default: return false;
  }
  if (selector == kHostSelObjectOpen519) {
    // Handles are numbered from 1 upward, never 0 and never reused.
    const uint32_t handle = hostObjects.empty() ? 1 : hostObjects.rbegin()->first + 1;
    HostObject& object = hostObjects[handle];
    object.number = static_cast<int16_t>(HostWordOf(block.param1));
    object.requests[selector] += 1;
    block.handle = handle;
    block.error = 0;
    fLog.push_back({selector, "host object " + std::to_string(object.number)});
    return true;
  }
  const auto found = hostObjects.find(static_cast<uint32_t>(block.handle));
  if (found == hostObjects.end()) {
    block.error = -1;
    fLog.push_back({selector, "no host object"});
    return true;
  }
  HostObject& object = found->second;
  object.requests[selector] += 1;
  block.error = 0;
  if (selector == kHostSelObjectRelease521) {
    fLog.push_back({selector, "release host object " + std::to_string(object.number)});
    hostObjects.erase(found);
    return true;
  }
  if (selector != kHostSelObjectSet530) {
    fLog.push_back({selector, "host object request " + std::to_string(object.number)});
    return true;
  }
  const auto operation = static_cast<uint32_t>(HostWordOf(block.param1));
  const auto value = static_cast<uint32_t>(HostWordOf(block.param4));
  if (operation == FourCC("SHOW") || operation == FourCC("HIDE")) {
    object.shown = operation == FourCC("SHOW");
  } else if (operation == FourCC("STAT")) {
    object.stateBit = value;
  } else if (operation == FourCC("TITL")) {
    object.title = MacToUtf8(block.text + 1, block.text[0]);
  } else if (operation == FourCC("REPT")) {
    object.repeat = value != 0;
  } else {
    block.error = -1;
  }
  fLog.push_back({selector, "host object " + FourCCText(operation)});
  return true;
}
