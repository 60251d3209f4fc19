// The host commands of counts and informations: a count of the current
// text or the document (143), the document informations read (144) and
// set (145).
#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaTableCommands.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaEngine.h"

// Named, not anonymous: the area's files are compiled in batches, and
// the command files share the names of their helpers.
namespace count_commands {

using xMorvaCommandValues::At;
using xMorvaCommandValues::ClearString;
using xMorvaCommandValues::ClearText;
using xMorvaCommandValues::HandleAt;
using xMorvaCommandValues::LockedHandle;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutHandle;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutReal;
using xMorvaCommandValues::PutString;
using xMorvaCommandValues::PutText;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::RealAt;
using xMorvaCommandValues::StringAt;
using xMorvaCommandValues::TextAt;
using xMorvaCommandValues::WordAt;

constexpr int32_t kErrorCountKind = 1090;

// Kinds 0 to 9 and 14 to 16 are the text's statistics in the order they
// are counted; 10 to 13 are counts of the lines, pages, style sheets and
// pictures on the pages.
enum CountKind : int32_t {
  kFirstStatistic = 0,
  kLastEarlyStatistic = 9,
  kLines = 10,
  kPages = 11,
  kStyleSheets = 12,
  kPagePictures = 13,
  kFirstLateStatistic = 14,
  kLastStatistic = 16,
};

int32_t Statistic(xMorvaEngine& engine, int32_t kind) {
  xMorvaTextStatistics counts;
  engine.GetTextStatistics(counts);
  const uint32_t all[] = {counts.characters,   counts.words,           counts.paragraphs,  counts.pictures,
                          counts.hostExpressions, counts.softHyphens,  counts.pageBreaks,  counts.columnBreaks,
                          counts.datesAndTimes, counts.pageNumbers,     counts.hyperlinks,  counts.htmlExpressions2,
                          counts.htmlExpressions};
  const int32_t at = kind <= kLastEarlyStatistic ? kind : kind - (kFirstLateStatistic - kLastEarlyStatistic - 1);
  return int32_t(all[at]);
}

int32_t Count(xMorvaDocument& document, int32_t kind, int32_t& count) {
  auto* engine = static_cast<xMorvaEngine*>(document.GetCurrentPart());
  switch (kind) {
    case kLines: {
      xMorvaLayoutInterface* layout = document.GetLayout();
      if (layout != nullptr) {
        layout->Update();
        count = layout->GetLineCount(document.GetCurrentPartNumber());
      }
      return 0;
    }
    case kPages: count = document.GetBodyPageCount(); return 0;
    case kStyleSheets: count = document.StyleSheetCount(); return 0;
    case kPagePictures: {
      const xMorvaPagePicturesInterface* pictures = document.GetPagePictures();
      count = pictures != nullptr ? pictures->GetCount() : 0;
      return 0;
    }
    default: break;
  }
  const bool statistic = (kind >= kFirstStatistic && kind <= kLastEarlyStatistic) ||
                         (kind >= kFirstLateStatistic && kind <= kLastStatistic);
  if (!statistic) return kErrorCountKind;
  if (engine != nullptr) count = Statistic(*engine, kind);
  return 0;
}

// A date as its three stored words: day, month, year.
void PutDate(void* slot, const VDateRec& date) {
  if (slot == nullptr) return;
  const int16_t words[3] = {date.day, date.month, date.year};
  std::memcpy(slot, words, sizeof words);
}

void ClearInfos(void** p) {
  for (int i = 1; i <= 4; ++i) ClearString(At(p, i));
  ClearText(At(p, 5));
  PutDate(At(p, 6), VDateRec{});
  PutLong(At(p, 7), 0);
  PutDate(At(p, 8), VDateRec{});
  PutLong(At(p, 9), 0);
  PutWord(At(p, 10), 0);
}

void ReadInfos(xMorvaDocument& document, void** p) {
  const xMorvaDocInfos& infos = document.Infos();
  PutString(At(p, 1), infos.Title());
  PutString(At(p, 2), infos.Subject());
  PutString(At(p, 3), infos.Author());
  PutString(At(p, 4), infos.Company());
  PutText(At(p, 5), infos.Notes());
  PutDate(At(p, 6), infos.GetCreationDate());
  PutLong(At(p, 7), infos.GetCreationTime());
  PutDate(At(p, 8), infos.GetModificationDate());
  PutLong(At(p, 9), infos.GetModificationTime());
  PutWord(At(p, 10), infos.GetLocked() != 0 ? 1 : 0);
}

void SetInfos(xMorvaDocument& document, void** p) {
  xMorvaDocInfos& infos = document.Infos();
  VString* texts[] = {&infos.Title(), &infos.Subject(), &infos.Author(), &infos.Company()};
  for (int i = 0; i < 4; ++i) StringAt(p, i + 1, *texts[i]);
  TextAt(p, 5, infos.Notes());
  document.SetModified();
}

void Run(xMorvaMain& package, int32_t selector, void** p, void* result) {
  if (selector == 143) PutLong(result, 0);
  if (selector == 144) ClearInfos(p);
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  int32_t code = 0;
  if (selector == 143) {
    int32_t count = 0;
    code = Count(*document, LongAt(p, 1), count);
    PutLong(result, count);
  } else if (selector == 144) {
    ReadInfos(*document, p);
  } else if (selector == 145) {
    SetInfos(*document, p);
  }
  package.ReportCommandError(code);
}

}  // namespace count_commands

void xMorvaTableCommands::RunCountCommand(xMorvaMain& package, int32_t selector, void** p, void* result) {
  count_commands::Run(package, selector, p, result);
}
