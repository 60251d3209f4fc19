// The page setup dialog's answers in a script, and the paper of a printed
// PDF file's pages.
#include "qvhost/ScriptPageSetup.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/print/WinPrint.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

const char* const kPageSetupForm =
    "page setup [paper NAME | paper W H] [upright|across] [margins L T R B] | page setup cancel";

// The printer's papers a script names, with their paper codes.
struct NamedPaper {
  const char* name;
  int16_t code;
};
constexpr NamedPaper kNamedPapers[] = {
    {"letter", 1}, {"tabloid", 3}, {"ledger", 4}, {"legal", 5}, {"statement", 6},
    {"executive", 7}, {"a3", 8}, {"a4", 9}, {"a5", 11}, {"b4", 12}, {"b5", 13},
};

// What the user answers in the page setup dialog. Lengths in hundredths of
// a millimetre.
struct PageSetupAnswer {
  bool accept = true;
  bool paper = false;
  int16_t code = 0;                 // 0: a size of the user's own
  int32_t width = 0, height = 0;    // the user's own size, upright
  int16_t orientation = 0;          // 0 as it was, else DMORIENT_*
  bool margins = false;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
PageSetupAnswer sPageSetupAnswer;

// A length of the script in millimetres as hundredths of one: empty on
// success, else why not.
std::string ReadLength(const ScriptToken& token, const char* name, double largest, int32_t& hundredths) {
  double millimetres = 0;
  if (token.quoted || !ParseScriptReal(token.text, millimetres))
    return std::string(name) + " needs a length in millimetres, not " + token.text;
  if (millimetres < 0 || millimetres > largest)
    return std::string(name) + " " + token.text + " is out of range: 0 to " + std::to_string(int(largest)) + " mm";
  hundredths = int32_t(std::lround(millimetres * 100));
  return {};
}

// A margin in the unit the dialog's flags name.
LONG MarginInUnit(const PAGESETUPDLGA& dialog, int32_t hundredths) {
  return LONG(dialog.Flags & PSD_INTHOUSANDTHSOFINCHES ? int64_t(hundredths) * 1000 / 2540 : hundredths);
}

BOOL AnswerPageSetup(PAGESETUPDLGA* dialog, void*) {
  const PageSetupAnswer& answer = sPageSetupAnswer;
  if (!answer.accept) return FALSE_;
  if (dialog->hDevMode != nullptr && (answer.paper || answer.orientation != 0)) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(dialog->hDevMode))) {
      if (answer.paper) {
        mode->dmFields |= DM_PAPERSIZE;
        mode->dmPaperSize = answer.code;
        if (answer.code == 0) {
          // The user's own size, in tenths of a millimetre.
          mode->dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
          mode->dmPaperWidth = int16_t(answer.width / 10);
          mode->dmPaperLength = int16_t(answer.height / 10);
        }
      }
      if (answer.orientation != 0) {
        mode->dmFields |= DM_ORIENTATION;
        mode->dmOrientation = answer.orientation;
      }
      GlobalUnlock(dialog->hDevMode);
    }
  }
  if (answer.margins) {
    dialog->rtMargin = RECT{MarginInUnit(*dialog, answer.left), MarginInUnit(*dialog, answer.top),
                            MarginInUnit(*dialog, answer.right), MarginInUnit(*dialog, answer.bottom)};
  }
  return TRUE_;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string RunPageSetupLine(const std::vector<ScriptToken>& tokens) {
  if (tokens.size() < 2 || tokens[1].quoted || tokens[1].text != "setup") return kPageSetupForm;
  PageSetupAnswer answer;
  if (tokens.size() == 3 && !tokens[2].quoted && tokens[2].text == "cancel") {
    answer.accept = false;
  } else {
    // The largest paper side and margin a user types: a metre and a half
    // (the device mode holds tenths of a millimetre in 16 bits).
    constexpr double kLongestSide = 3000;
    constexpr double kWidestMargin = 1000;
    size_t i = 2;
    while (i < tokens.size()) {
      const ScriptToken& word = tokens[i];
      if (word.quoted) return "unexpected \"" + word.text + "\" (" + kPageSetupForm + ")";
      if (word.text == "paper" && !answer.paper) {
        if (i + 1 >= tokens.size()) return kPageSetupForm;
        double number = 0;
        answer.paper = true;
        if (!tokens[i + 1].quoted && ParseScriptReal(tokens[i + 1].text, number)) {
          if (i + 2 >= tokens.size()) return "paper W H needs a height";
          std::string bad = ReadLength(tokens[i + 1], "W", kLongestSide, answer.width);
          if (bad.empty()) bad = ReadLength(tokens[i + 2], "H", kLongestSide, answer.height);
          if (!bad.empty()) return bad;
          if (answer.width < 100 || answer.height < 100) return "a paper is at least 1 mm on each side";
          answer.code = 0;
          i += 3;
          continue;
        }
        const std::string name = Lower(tokens[i + 1].text);
        const NamedPaper* found = nullptr;
        for (const NamedPaper& paper : kNamedPapers)
          if (name == paper.name) found = &paper;
        if (found == nullptr) {
          std::string names;
          for (const NamedPaper& paper : kNamedPapers) names += std::string(names.empty() ? "" : ", ") + paper.name;
          return "unknown paper " + tokens[i + 1].text + " (" + names + ", or W H in millimetres)";
        }
        answer.code = found->code;
        i += 2;
      } else if ((word.text == "upright" || word.text == "across") && answer.orientation == 0) {
        answer.orientation = word.text == "across" ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        i += 1;
      } else if (word.text == "margins" && !answer.margins) {
        if (i + 4 >= tokens.size()) return "margins L T R B";
        int32_t* sides[4] = {&answer.left, &answer.top, &answer.right, &answer.bottom};
        const char* names[4] = {"L", "T", "R", "B"};
        for (int k = 0; k < 4; ++k) {
          const std::string bad = ReadLength(tokens[i + 1 + size_t(k)], names[k], kWidestMargin, *sides[k]);
          if (!bad.empty()) return bad;
        }
        answer.margins = true;
        i += 5;
      } else {
        return "unexpected " + word.text + " (" + kPageSetupForm + ")";
      }
    }
  }
  sPageSetupAnswer = answer;
  SetHeadlessPageSetupProvider(&AnswerPageSetup, nullptr);
  return {};
}

bool CheckPdfPaper(const std::string& path, double width, double height, std::string& what) {
  std::ostringstream wanted;
  wanted << "pdf paper " << width << " x " << height << " mm";
  // Every page's size: pdfinfo names each page of the range it is given.
  std::string text;
  if (FILE* pipe = popen(("pdfinfo -f 1 -l 1000000 '" + path + "' 2>/dev/null").c_str(), "r")) {
    char buffer[512];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
  }
  std::istringstream lines(text);
  std::string line;
  int pages = 0;
  std::string differing;  // the first page of another size
  constexpr double kMillimetresPerPoint = 25.4 / 72;
  constexpr double kTolerance = 0.5;
  while (std::getline(lines, line)) {
    if (line.rfind("Page ", 0) != 0) continue;
    const size_t at = line.find(" size:");
    double w = 0, h = 0;
    if (at == std::string::npos || std::sscanf(line.c_str() + at + 6, " %lf x %lf", &w, &h) != 2) continue;
    w *= kMillimetresPerPoint;
    h *= kMillimetresPerPoint;
    ++pages;
    if (differing.empty() && (std::fabs(w - width) > kTolerance || std::fabs(h - height) > kTolerance)) {
      char size[96];
      std::snprintf(size, sizeof size, "page %d is %.1f x %.1f mm", pages, w, h);
      differing = size;
    }
  }
  if (pages == 0) {
    what = wanted.str() + " (got no pages)";
  } else {
    what = wanted.str() + " (" + std::to_string(pages) + (pages == 1 ? " page" : " pages") +
           (differing.empty() ? "" : "; " + differing) + ")";
  }
  return pages > 0 && differing.empty();
}
