// The documents the peers write for the conversion benchmark.
#include "bench/PeerDocuments.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "bench/ProcessBench.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kCharactersPerPage = 3000;

// The same words every time, from a small generator of our own.
class Words {
 public:
  uint32_t Next(uint32_t limit) {
    fState = fState * 1664525u + 1013904223u;
    return (fState >> 8) % limit;
  }
  const char* Word() {
    static const char* const kWords[] = {
        "the",     "report",  "shows",   "quarter", "of",      "sales",    "with",    "costs",
        "and",     "figures", "for",     "each",    "region",  "northern", "budget",  "revenue",
        "growth",  "a",       "market",  "share",   "over",    "period",   "to",      "customers",
        "orders",  "shipped", "in",      "time",    "service", "levels",   "remain",  "stable",
        "planned", "review",  "meeting", "staff",   "office",  "total",    "average", "margin"};
    return kWords[Next(sizeof kWords / sizeof kWords[0])];
  }
  // Words making about `length` characters, the first one capitalised.
  std::string Sentence(int32_t length) {
    std::string out;
    while (int32_t(out.size()) < length) {
      if (!out.empty()) out += ' ';
      out += Word();
    }
    if (!out.empty()) out[0] = char(out[0] - 'a' + 'A');
    return out + ".";
  }

 private:
  uint32_t fState = 20261208u;
};

std::string Header() {
  return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}"
         "{\\f1\\fswiss Liberation Sans;}{\\f2\\fnil\\fcharset2 Symbol;}}\n"
         "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n";
}

void Report(Words& words, int32_t pages, std::string& rtf) {
  for (int32_t page = 0; page < pages; ++page) {
    int32_t written = 0;
    if (page % 2 == 0) {
      rtf += "\\pard\\plain\\sb240\\sa120\\keepn\\f1\\fs32\\b " + words.Sentence(30) + "\\par\n";
      written += 30;
    }
    while (written < kCharactersPerPage) {
      const int32_t length = 300 + int32_t(words.Next(400));
      rtf += "\\pard\\plain\\qj\\sa120\\f0\\fs24 " + words.Sentence(length) + "\\par\n";
      written += length;
    }
  }
}

// Word 97 lists: list 1 bulleted, list 2 numbered (its numbers go on from
// one list to the next, as the list's one override has it).
void Lists(Words& words, int32_t pages, std::string& rtf) {
  rtf += "{\\*\\listtable{\\list\\listtemplateid1\\listsimple{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0"
         "\\levelstartat1{\\leveltext\\'01\\'b7;}{\\levelnumbers;}\\f2\\fi-360\\li720}\\listid1}"
         "{\\list\\listtemplateid2\\listsimple{\\listlevel\\levelnfc0\\leveljc0\\levelfollow0\\levelstartat1"
         "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid2}}\n"
         "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
         "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\n";
  int32_t list = 0;
  int32_t number = 0;
  for (int32_t page = 0; page < pages; ++page) {
    int32_t written = 0;
    while (written < kCharactersPerPage) {
      const int32_t lead = 100 + int32_t(words.Next(200));
      rtf += "\\pard\\plain\\sa120\\f0\\fs24 " + words.Sentence(lead) + "\\par\n";
      written += lead;
      const int32_t items = 4 + int32_t(words.Next(8));
      const bool numbered = list++ % 2 == 1;
      for (int32_t item = 0; item < items; ++item) {
        const int32_t length = 40 + int32_t(words.Next(120));
        if (numbered) {
          rtf += "\\pard\\plain\\ls2\\fi-360\\li720\\sa60\\f0\\fs24{\\listtext " + std::to_string(++number) + ".\\tab}";
        } else {
          rtf += "\\pard\\plain\\ls1\\fi-360\\li720\\sa60\\f0\\fs24{\\listtext\\f2\\'b7\\tab}";
        }
        rtf += words.Sentence(length) + "\\par\n";
        written += length;
      }
    }
  }
}

void Tabs(Words& words, int32_t pages, std::string& rtf) {
  for (int32_t page = 0; page < pages; ++page) {
    rtf += "\\pard\\plain\\sb120\\sa120\\f1\\fs24\\b Region\\tab Orders\\tab Amount\\tab Note\\par\n";
    int32_t written = 30;
    while (written < kCharactersPerPage) {
      const std::string name = words.Word();
      const std::string orders = std::to_string(1 + words.Next(9999));
      const std::string amount = std::to_string(words.Next(99999)) + "." + std::to_string(10 + words.Next(90));
      const std::string note = words.Sentence(10 + int32_t(words.Next(20)));
      rtf += "\\pard\\plain\\tx2400\\tqr\\tx4200\\tqdec\\tx6000\\tx6600\\f0\\fs22 " + name + "\\tab " + orders +
             "\\tab " + amount + "\\tab " + note + "\\par\n";
      written += int32_t(name.size() + orders.size() + amount.size() + note.size()) + 3;
    }
  }
}

void Headers(Words& words, int32_t pages, std::string& rtf) {
  rtf += "{\\header\\pard\\plain\\qc\\f1\\fs18 Quarterly report of the northern region\\par}\n"
         "{\\footer\\pard\\plain\\qr\\f1\\fs18 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}\n";
  for (int32_t page = 0; page < pages; ++page) {
    int32_t written = 0;
    while (written < kCharactersPerPage * 3 / 4) {
      const int32_t length = 200 + int32_t(words.Next(300));
      rtf += "\\pard\\plain\\sa120\\f0\\fs24 " + words.Sentence(length) + "\\par\n";
      written += length;
    }
    // A page break closes every page's text, as a report's chapters do.
    if (page + 1 < pages) rtf += "\\pard\\plain\\f0\\fs24\\page\n";
  }
}

std::string PagesName(int64_t kind, int32_t pages) {
  return std::string(PeerDocumentName(kind)) + "-" + std::to_string(pages);
}

// The RTF source of a document, written once.
fs::path SourceFile(const fs::path& folder, int64_t kind, int32_t pages) {
  const fs::path sources = folder / "sources";
  fs::create_directories(sources);
  const fs::path path = sources / (PagesName(kind, pages) + ".rtf");
  if (!fs::exists(path)) {
    const fs::path part = path.string() + ".part";
    std::ofstream(part, std::ios::binary) << PeerDocumentRtf(kind, pages);
    fs::rename(part, path);
  }
  return path;
}

}  // namespace

const char* PeerDocumentName(int64_t kind) {
  switch (kind) {
    case kPeerReport: return "report";
    case kPeerLists: return "lists";
    case kPeerTabs: return "tabs";
    default: return "headers";
  }
}

std::string PeerDocumentRtf(int64_t kind, int32_t pages) {
  Words words;
  std::string rtf = Header();
  switch (kind) {
    case kPeerReport: Report(words, pages, rtf); break;
    case kPeerLists: Lists(words, pages, rtf); break;
    case kPeerTabs: Tabs(words, pages, rtf); break;
    default: Headers(words, pages, rtf); break;
  }
  return rtf + "}\n";
}

fs::path PeerWrittenFile(const fs::path& folder, const fs::path& profile, int64_t kind, int32_t pages,
                         PeerWriter writer, const std::string& extension) {
  const bool office = writer == PeerWriter::kLibreOffice;
  const fs::path path = folder / (PagesName(kind, pages) + (office ? "-libreoffice." : "-abiword.") + extension);
  if (fs::exists(path)) return path;
  if (!HasProgram(office ? "soffice" : "abiword")) return {};
  const fs::path source = SourceFile(folder, kind, pages);
  double seconds = 0;
  int64_t peak = 0;
  if (office) {
    // LibreOffice names its output after the input: it writes into a folder
    // of its own and the file is moved to its name here.
    const fs::path out = folder / "libreoffice-out";
    fs::create_directories(out);
    const char* filter = extension == "doc" ? "doc:MS Word 97" : extension == "html" ? "html:HTML (StarWriter)" : "rtf:Rich Text Format";
    RunProcess({"soffice", "-env:UserInstallation=file://" + profile.string(), "--headless", "--convert-to", filter,
                "--outdir", out.string(), source.string()},
               seconds, peak);
    const fs::path written = out / (source.stem().string() + "." + extension);
    if (fs::exists(written)) fs::rename(written, path);
  } else {
    const fs::path part = folder / (path.stem().string() + "-part." + extension);
    RunProcess({"abiword", "--to=" + part.string(), source.string()}, seconds, peak);
    if (fs::exists(part)) fs::rename(part, path);
  }
  return fs::exists(path) ? path : fs::path();
}
