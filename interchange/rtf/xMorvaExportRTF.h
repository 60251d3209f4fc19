// xMorvaExportRTF: writes a document, or the selection of its current part,
// as Rich Text Format: the font, colour and style tables, the document
// settings, the headers and footers and the text with its character and
// paragraph properties.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "framework/core/VObject.h"
#include "interchange/fields/xMorvaPageNumberForm.h"

class VStream;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaFont;

class xMorvaExportRTF : public VObject {
 public:
  xMorvaExportRTF();
  ~xMorvaExportRTF() override;

  // `selection` false: the whole document (a file); true: the selection of
  // the current part (the clipboard). True when every byte reached the
  // stream. The document is not changed.
  bool ExportRtf(xMorvaDocument& document, VStream& stream, bool selection);

  // The date and time formats of a date element's styles, as field
  // pictures ("dd/MM/yy", "HH:mm:ss" ...): empty for a style of none.
  static const char* DateFormat(uint8_t dateStyle);
  static const char* TimeFormat(uint8_t timeStyle);

 private:
  // Writing primitives: groups, control words, text.
  void Open();
  void Close();
  void Word(const char* word);
  void Word(const char* word, int32_t number);
  void WriteRtfText(char16_t unit);
  void WriteRtfText(const class VString& text);
  void Raw(const char* text);
  void Flush();

  // The part's colours, and its page numbers, in one walk.
  void CollectColours(int16_t part, xMorvaEngine& engine);
  void AddColour(int32_t colour);
  int32_t ColourIndex(int32_t colour) const;
  void WriteFontTable();
  void WriteInfo();
  void WriteSettings();
  void WriteColourTable();
  void WriteStyleSheets();
  void WriteRtfEngineText(xMorvaEngine& engine, bool selection);
  void WriteRtfProperty(uint16_t id, int32_t value);
  // Writes what takes a reader of the text from `from` to `to` for a
  // character setting; `from` -1: the reader's setting is not known (a
  // text's start, which a paste reads from the caret's settings).
  void WriteCharacterChange(uint16_t id, int32_t from, int32_t to);
  // A raised or lowered run is a group of its own, opened before its first
  // item and closed where it ends, at a paragraph end and around a link.
  void OpenRaisedRun();
  void CloseRaisedRun();
  void WriteParagraphProperties();
  void WriteTab(uint32_t stop);
  // The pixels a bullet in the current properties stands before the text
  // it hangs before: its width and its gap, as the text engine draws it.
  int32_t BulletAdvance(uint16_t bullet);
  void WriteRtfItems(const uint8_t* stream, uint32_t size, uint32_t start, uint32_t end, bool inLink);
  void WriteElement(uint16_t code, const uint8_t* payload, uint32_t size);
  void WriteLink(const uint8_t* element, uint32_t size, bool inLink);
  // A picture element (`size` bytes at `element`, its head included).
  void WritePicture(const uint8_t* element, uint32_t size);

  xMorvaDocument* fDocument = nullptr;
  VStream* fStream = nullptr;
  std::string fOut;
  bool fPending = false;
  bool fFailed = false;
  std::vector<int32_t> fColours;
  std::unordered_map<int32_t, int32_t> fColourIndexes;
  xMorvaProperties fCurrent;
  xMorvaTabs fTabs;
  // The paragraph's settings are still to be written before its text; the
  // last item written ended a paragraph.
  bool fParagraphPending = true;
  bool fAfterParagraphEnd = false;
  int32_t fWingdings = -1;
  // The position (1 raised, 2 lowered) of the run whose group is open, 0
  // for none; the character settings outside the group; the ids of the
  // character settings said inside it, one bit each.
  int32_t fRunPosition = 0;
  xMorvaProperties fOutsideRun;
  uint32_t fSaidInRun = 0;
  // The ids of the character style sheets, which the text names with \cs.
  std::unordered_set<int32_t> fCharacterSheets;
  // The page numbers the colours' walk met, for the section's format.
  xMorvaPageNumberNotes fPageNumbers;
  // The measuring font of bullets, made on first use.
  std::unique_ptr<xMorvaFont> fMeasure;
};
