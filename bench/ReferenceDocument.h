// The reference document of the text benchmarks, made the same every time
// from a seed: pages of about 3,000 units (45 lines of about 67) in
// paragraphs of 40 to 400 characters, with runs of mixed character
// properties, paragraph properties and tab stops; a host expression opens
// the first paragraph of each page and a picture that of every 20th page.
// Its footer shows "Page <n> of <count>" against a right tab. 500 pages
// make about 1.5 million units, 3 MB of element stream and 22,500 lines;
// the 50- and 2,000-page documents are its small and large siblings.
#pragma once

#include <cstdint>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"

struct ReferenceDocument {
  static constexpr int32_t kUnitsPerPage = 3000;
  static constexpr int32_t kUnitsPerLine = 67;
  static constexpr uint32_t kSeed = 20261207;

  std::vector<uint8_t> stream;  // element stream bytes
  int32_t positions = 0;
  int32_t paragraphs = 0;
  int32_t records = 0;
  int32_t lines = 0;  // of about 67 units
  int32_t expressions = 0;
  int32_t pictures = 0;
  // The footer's element stream and its positions.
  std::vector<uint8_t> footer;
  int32_t footerPositions = 0;
};

// The document of `pages` pages.
ReferenceDocument MakeReferenceDocument(int32_t pages, uint32_t seed = ReferenceDocument::kSeed);
// Makes `reference` a plain text: its records left out and each element a
// letter, so that it keeps its positions and paragraphs.
void MakePlain(ReferenceDocument& reference);

// The texts of other scripts the benchmarks run over as well: the plain
// reference text with Vietnamese written over every paragraph, decomposed
// (each tone and vowel mark a character of its own after its letter) or
// precomposed (the same words, each letter one character), and with a line
// of emoji and Persian over a stretch of every line (a joined family, a
// flag of a selector and a joiner, a skin tone, words a non-joiner keeps
// apart, a letter with two marks). Each keeps the reference's positions,
// paragraphs and lines of about 67 units.
enum class BenchText { kReference, kDecomposed, kPrecomposed, kEmoji };
ReferenceDocument MakeBenchText(int32_t pages, BenchText text);

// The page counts every text benchmark runs at.
constexpr int32_t kReferencePages[] = {50, 500, 2000};

// A document that answers what the undo history asks and nothing more.
class BenchDocument : public xMorvaDocumentInterface {
 public:
  const xMorvaDocParams& GetParams() const override { return fParams; }
  int32_t GetTextWidth(int16_t) override { return 600; }
  void SetModified() override {}
  void SetCurrentPart(xMorvaUndoEngine&) override {}
  void BeginChange() override {}
  void EndChange() override {}

 private:
  xMorvaDocParams fParams;
};
