// The style sheets of a document of 50 pages with 10, 100 and 240 sheets
// named in Greek (names the host's forms cannot carry whole) or in Latin
// letters: the names the forms show, listed (the manager's list, the New
// dialog's pop-up) and of one sheet (command 73, the edit dialog), a sheet
// renamed and a new one saved, each with the list shown again; and a Word
// file of 50 pages with as many paragraph styles opened. None of these
// should grow faster than the sheets: from 100 to 240 sheets the cost of
// each grows no more than the sheets do.
//
// `style_sheet_bench --once CASE SHEETS GREEK` runs one case once in
// `MeasuredStep` (CASE 0 list, 1 name, 2 rename, 3 new sheet, 4 Word open),
// so that valgrind counts its instructions alone:
//   valgrind --tool=callgrind --toggle-collect='*MeasuredStep*' \
//       build/bench/bench/style_sheet_bench --once 4 240 0
// `style_sheet_bench --rtf SHEETS GREEK OUT` writes the RTF that LibreOffice
// turns into the Word file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaStyleSheet.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "interchange/word/xMorvaImportWord.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kPages = 50;
enum Case : int64_t { kList = 0, kName = 1, kRename = 2, kNewSheet = 3, kWordOpen = 4 };

// Sheet n's name: a Greek word or a Latin one, and its number.
std::u16string SheetName(int32_t n, bool greek) {
  return (greek ? std::u16string(u"Επικεφαλίδα ") : std::u16string(u"Heading ")) +
         std::u16string(fs::path(std::to_string(n)).u16string());
}

void SetName(VString& name, const std::u16string& text) {
  name.SetEmpty(false);
  name.AppendUniChars(text.data(), int32_t(text.size()));
}

// The reference document with `sheets` sheets beside the default one.
void AddSheets(xMorvaDocument& document, int32_t sheets, bool greek) {
  FillWithReferenceDocument(document, kPages);
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  for (int32_t n = 2; n <= sheets; ++n) {
    xMorvaStyleSheet sheet;
    sheet.Init();
    sheet.properties.SetProperty(kPropSize, 10 + n % 12);
    sheet.states.SetState(kPropSize, 1);
    VStr<255> name;
    SetName(name, SheetName(n, greek));
    int16_t id = 0;
    sheet.SaveNew(document, *store, name, id);
  }
}

// The RTF of `kPages` pages whose paragraphs take `sheets` paragraph styles
// in turn.
std::string StyledRtf(int32_t sheets, bool greek) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n{\\stylesheet"
                    "{\\s0\\f0\\fs24 Normal;}\n";
  auto named = [&](int32_t n) {
    std::string out;
    for (char16_t c : SheetName(n, greek)) {
      if (c < 0x80) {
        out += char(c);
      } else {
        out += "\\uc1\\u" + std::to_string(int16_t(c)) + "?";
      }
    }
    return out;
  };
  for (int32_t n = 1; n < sheets; ++n)
    rtf += "{\\s" + std::to_string(n) + "\\sbasedon0\\f0\\fs" + std::to_string(20 + 2 * (n % 8)) + " " + named(n) +
           ";}\n";
  rtf += "}\n";
  const std::string words = "The quick brown fox jumps over the lazy dog and then it runs on a while longer. ";
  // Pages of 3,000 characters in paragraphs of about 400.
  int32_t n = 0;
  for (int32_t page = 0; page < kPages; ++page) {
    for (int32_t p = 0; p < 8; ++p, ++n) {
      const int32_t style = sheets > 1 ? n % sheets : 0;
      rtf += "\\pard\\s" + std::to_string(style) + " ";
      for (int32_t w = 0; w < 5; ++w) rtf += words;
      rtf += "\\par\n";
    }
  }
  return rtf + "}\n";
}

fs::path CacheFolder() {
  const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "style-sheet-bench-files";
  fs::create_directories(folder);
  return folder;
}

// LibreOffice's Word 97 file of the styled RTF, made once; empty when it
// cannot be.
fs::path StyledDocFile(int32_t sheets, bool greek) {
  const fs::path folder = CacheFolder();
  const std::string stem = std::string(greek ? "greek-" : "latin-") + std::to_string(sheets);
  const fs::path doc = folder / (stem + ".doc");
  if (fs::exists(doc)) return doc;
  if (!HasProgram("soffice")) return {};
  const fs::path rtf = folder / (stem + ".rtf");
  std::ofstream(rtf, std::ios::binary) << StyledRtf(sheets, greek);
  double seconds = 0;
  int64_t peak = 0;
  RunProcess({"soffice", "-env:UserInstallation=file://" + (folder / "profile").string(), "--headless",
              "--infilter=Rich Text Format", "--convert-to", "doc:MS Word 97", "--outdir", folder.string(),
              rtf.string()},
             seconds, peak);
  return fs::exists(doc) ? doc : fs::path();
}

// One case's state: the document and what its step works on.
struct Sheets {
  Sheets(int64_t which, int32_t count, bool greek) : kind(which), sheets(count), greekNames(greek) {
    document = std::make_unique<xMorvaDocument>(nullptr);
    if (kind == kWordOpen) {
      const fs::path file = StyledDocFile(sheets, greek);
      if (!file.empty()) bytes = ReadFile(file);
      FillWithReferenceDocument(*document, 1);
      return;
    }
    AddSheets(*document, sheets, greek);
    last = document->StyleSheetIds().back();
  }
  bool Ready() const { return kind != kWordOpen || !bytes.empty(); }

  // What a user's step costs: false when it failed.
  bool Step() {
    VMemoryResourceFile* store = document->GetStyleSheetStore();
    VStringArray list;
    VStr<255> name;
    switch (kind) {
      case kList:
        document->FillStyleSheetFormList(list);
        return list.Count() == sheets;
      case kName:
        document->GetStyleSheetFormName(last, name);
        return name.GetLength() > 0;
      case kRename: {
        // Renamed and back, the list shown after each.
        xMorvaStyleSheet sheet;
        if (!sheet.Load(*document, *store, last)) return false;
        for (const std::u16string& text : {SheetName(sheets + 1, greekNames), SheetName(sheets, greekNames)}) {
          SetName(name, text);
          if (!sheet.Save(*document, *store, last, &name)) return false;
          document->FillStyleSheetFormList(list);
        }
        return list.Count() == sheets;
      }
      case kNewSheet: {
        // Made from the pop-up's list, shown, then deleted.
        document->FillStyleSheetFormList(list);
        xMorvaStyleSheet sheet;
        sheet.Init();
        SetName(name, SheetName(sheets + 1, greekNames));
        int16_t id = 0;
        if (!sheet.SaveNew(*document, *store, name, id)) return false;
        document->FillStyleSheetFormList(list);
        document->DeleteStyleSheet(id);
        return list.Count() == sheets + 1;
      }
      case kWordOpen: {
        VMemHandle handle = gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
        VHandleStream file(handle);
        xMorvaImportWord reader;
        const bool read = reader.ImportWordDocument(document.get(), &file) == 0;
        file.CloseRead();
        gMemoryMgr->DisposeHandle(handle);
        return read && document->StyleSheetCount() >= sheets;
      }
    }
    return false;
  }

  int64_t kind;
  int32_t sheets;
  bool greekNames;
  std::unique_ptr<xMorvaDocument> document;
  std::string bytes;
  int16_t last = 0;
};

void StyleSheets(benchmark::State& state) {
  Sheets sheets(state.range(0), int32_t(state.range(1)), state.range(2) != 0);
  if (!sheets.Ready()) return state.SkipWithError("LibreOffice could not make the Word file");
  for (auto _ : state) {
    if (!sheets.Step()) return state.SkipWithError("the step failed");
  }
  state.counters["sheets"] = double(state.range(1));
}

void Cases(benchmark::internal::Benchmark* b) {
  for (int64_t which : {kList, kName, kRename, kNewSheet, kWordOpen})
    for (int64_t greek : {0, 1})
      for (int64_t count : {10, 100, 240}) b->Args({which, count, greek});
}

BENCHMARK(StyleSheets)->ArgNames({"case", "sheets", "greek"})->Apply(Cases)->Unit(benchmark::kMillisecond);

// One case run once, for an instruction count of it alone.
__attribute__((noinline)) bool MeasuredStep(Sheets& sheets) { return sheets.Step(); }

int Once(int64_t which, int32_t count, bool greek) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  bool done = false;
  {
    Sheets sheets(which, count, greek);
    done = sheets.Ready() && MeasuredStep(sheets);
  }
  StopFormatServices();
  return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--once") == 0)
    return Once(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]) != 0);
  if (argc == 5 && std::strcmp(argv[1], "--rtf") == 0) {
    std::ofstream(argv[4], std::ios::binary) << StyledRtf(std::atoi(argv[2]), std::atoi(argv[3]) != 0);
    return 0;
  }
  return RunBenchmarksWithCoreServices(argc, argv, &StartFormatServices, &StopFormatServices);
}
