// xMorvaWinSpeller: the spelling check of a document through the spelling
// engine library, loaded from a file the user chose, with a dictionary
// named by a ".lex" file. The text goes to the engine a sentence at a time
// (up to a "." or a paragraph end, at most 32,000 characters); the
// spelling dialog drives the word-by-word operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "framework/core/VService.h"
#include "platform/speller/QvSpell.h"

class VLibrary;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaMain;
class xMorvaPlugIn;
class xMorvaWinSpeller;

// The spelling dialog ("mvSpelling"): shows each word the speller finds
// and calls its operations. The dialogs layer installs it at start.
class xMorvaSpellingDialogs {
 public:
  virtual ~xMorvaSpellingDialogs() = default;
  virtual void RunSpelling(xMorvaPlugIn& area, xMorvaWinSpeller& speller) = 0;
};
using xMorvaSpellingDialogSlot = VService<xMorvaSpellingDialogs>;

// Where the engine and the dictionary are found: stored paths, and the
// open-file dialog that asks for them ('FGET' of the id). Without it the
// stored preferences and the open dialog of the platform are used.
class xMorvaSpellerFiles {
 public:
  virtual ~xMorvaSpellerFiles() = default;
  // The stored path of the kind (0 engine, 1 dictionary); empty: none.
  virtual std::string GetStoredPath(int16_t kind) = 0;
  virtual void SetStoredPath(int16_t kind, const std::string& path) = 0;
  // The open dialog: false when cancelled.
  virtual bool ChooseFile(int16_t kind, std::string& path) = 0;
  // The host's folder, with a trailing "/".
  virtual std::string GetHostFolder() = 0;
};

// The package's preferences file keeps the two paths as 'TEXT' resources
// (base id: the engine, base id + 1: the dictionary).
class xMorvaSpellerPreferences : public xMorvaSpellerFiles {
 public:
  explicit xMorvaSpellerPreferences(xMorvaMain* package);
  std::string GetStoredPath(int16_t kind) override;
  void SetStoredPath(int16_t kind, const std::string& path) override;
  bool ChooseFile(int16_t kind, std::string& path) override;
  std::string GetHostFolder() override;

 private:
  xMorvaMain* fPackage;
};

class xMorvaWinSpeller {
 public:
  static constexpr int16_t kEnginePath = 0;
  static constexpr int16_t kDictionaryPath = 1;
  // The most characters handed to the engine at once.
  static constexpr uint32_t kChunkCharacters = 32000;
  // Alerts of the package's alert list.
  static constexpr int16_t kAlertCheckFinished = 3;
  static constexpr int16_t kAlertOptions = 4;
  static constexpr int16_t kAlertEngine = 5;
  static constexpr int16_t kAlertDictionary = 6;

  xMorvaWinSpeller(xMorvaPlugIn& area, xMorvaSpellerFiles& files);
  ~xMorvaWinSpeller();
  xMorvaWinSpeller(const xMorvaWinSpeller&) = delete;
  xMorvaWinSpeller& operator=(const xMorvaWinSpeller&) = delete;

  // Engine, dictionary, user dictionary and options; any failure after the
  // engine loaded unloads it. The alerts tell what failed.
  bool LoadAll();
  void Unload();
  bool IsLoaded() const { return fLoaded; }
  // The check with the dialog: loads what is missing, runs the dialog
  // over the selection or the whole current part, and says it finished.
  void RunSpellCheck();

  // ---- What the spelling dialog calls.
  // Selects the next word the engine does not know: false at the end.
  bool FindNextMisspelled();
  // The word at the current point (UTF-16).
  std::u16string GetCurrentWord() const;
  void Skip();
  bool IgnoreAll();
  bool AddWord();
  // Replaces the word as an ordinary edit; the search goes on behind the
  // replacement.
  bool Change(const std::u16string& replacement);
  bool ChangeAll(const std::u16string& replacement);
  std::vector<std::u16string> Suggestions();

  // The last engine result (0 success).
  uint16_t GetLastResult() const { return fLastResult; }

 private:
  bool FindEngine();
  bool LoadEngine();
  bool FindDictionary();
  bool OpenDictionary(const std::string& path);
  void Alert(int16_t item);
  // The next sentence of the range into the block: false when none is left.
  bool NextChunk();
  // Widens the word found to the edges of the characters its ends fall in,
  // not back before the point the search started from.
  void TakeWholeCharacters(xMorvaEngine& text, uint32_t point);
  // Engine calls.
  uint16_t Check(uint16_t mode);
  const char* TextAt(uint32_t character) const;
  void SkipCharacters(uint32_t characters);
  xMorvaEngine* Text() const;

  xMorvaPlugIn& fArea;
  xMorvaSpellerFiles& fFiles;
  std::unique_ptr<VLibrary> fLibrary;
  void (*fEntries[16])() = {};
  bool fLoaded = false;
  uintptr_t fInstance = 0;
  uint8_t fInformation[11] = {};
  uintptr_t fUserDictionary = 0;
  uintptr_t fMainDictionaries[2] = {};
  uint8_t fUserFlag = 0;
  uint16_t fLastResult = 0;
  QvSpellInput fInput{};
  QvSpellResult fResult{};
  char fSuggestions[kQvSpellSuggestionBufferSize] = {};
  char fSecond[kQvSpellSecondBufferSize] = {};

  // The range being examined: bytes of the current part, and the position
  // of the chunk's first character.
  uint32_t fStartByte = 0;
  uint32_t fEndByte = 0;
  uint32_t fNextByte = 0;
  int32_t fBase = 0;
  // The chunk: its characters, their UTF-8 text with its terminator (a
  // character takes at most 3 bytes), and where each character begins.
  std::u16string fChunk;
  std::vector<char> fBlock;
  std::vector<uint32_t> fByteOfCharacter;
  uint32_t fOffset = 0;
  bool fNeedChunk = true;
  int32_t fPositionDelta = 0;
  int32_t fByteDelta = 0;
};

// xMorvaSpeller: the spelling service the host offers. The whole current
// part (or its selection) goes to the service in one call, as one byte per
// character; the service calls back to select each word it does not know
// and to replace words.
class xMorvaSpeller {
 public:
  // The service's entry point: (hello record, pointer to a pointer to 32
  // bytes) asks whether it is there; (null, check block) checks a text.
  using Entry = void (*)(void* first, void* second);
  // What the service asks of the area.
  struct Request {
    uint16_t operation;  // 0 select start to end; 1 replace it with the text
    uint32_t start;
    uint32_t end;
    const uint8_t* text;
    uint32_t textLength;
    xMorvaPlugIn* area;
  };
  using CallBack = uint16_t (*)(Request* request);
  struct CheckBlock {
    xMorvaPlugIn* area;
    CallBack callBack;
    uint32_t selectionStart;
    const uint8_t* text;
    uint32_t textSize;
    uint32_t offsetCount;
    const uint32_t* offsets;
  };

  // Asks the host for the service; it is kept only when it answers that it
  // is ready.
  xMorvaSpeller();
  bool IsAvailable() const { return fEntry != nullptr; }
  void SpellCheckDocument(xMorvaPlugIn& area);
  static uint16_t Answer(Request* request);

 private:
  Entry fEntry = nullptr;
  uint8_t fBuffer[32] = {};
};

// xMorvaVuzizaDevo: the spelling engine the host reaches through its plug-in
// mechanism. The module hands it the text a sentence at a time (request
// 0x402), each sentence in a Toolbox handle of one byte per character, and
// says when the check is over (request 0x41E). The engine calls back to
// select a word, replace it, or ask what the module allows.
class xMorvaVuzizaDevo {
 public:
  // The host's routine, the same one that serves the spelling service: the
  // engine's requests travel in its first argument, in place of the
  // service's record.
  using Entry = xMorvaSpeller::Entry;
  // What the engine hands back: its operation, a range of the chunk it was
  // given (character offsets in the chunk as it stands after the engine's
  // own replacements), a length-byte string and the area.
  struct Block {
    uint16_t operation;  // 0 select; 1 replace with the text; 4 the longest word
    uint32_t start;
    uint32_t end;
    uint8_t text[256];
    xMorvaPlugIn* area;
  };
  using CallBack = uint16_t (*)(Block** block);
  // The record handed to the engine with every request.
  struct RequestRecord {
    uint16_t operation;  // written by the engine in its calls back
    uint16_t reserved;
    uint16_t chunkLength;
    uint32_t textHandle;  // Toolbox handle, locked during the call
    CallBack callBack;
    uint8_t firstCall;
    uint8_t one;
    xMorvaPlugIn* area;
    uint32_t cleared[2];
  };
  // What the engine gets with a request: the way back to the host and the
  // record.
  struct Link {
    HostCallback host;
    RequestRecord* record;
  };

  static constexpr uint32_t kChunkCharacters = 32000;
  // The longest word the engine is asked to look at (the longest word of
  // the English dictionaries has 45 letters), answered to operation 4.
  static constexpr uint32_t kLongestWord = 45;
  // The answer to a request that names no running check, or a range outside
  // the chunk: the data cannot be used.
  static constexpr uint16_t kBadRequest = 1015;

  // Tells the host, then asks it for the engine's entry point.
  xMorvaVuzizaDevo();
  bool IsAvailable() const { return fEntry != nullptr; }
  // Hands the selection, or the whole current part, to the engine a
  // sentence at a time until the engine asks for no more text or none is
  // left; then tells it the check is over and refreshes the area.
  void CheckDocument(xMorvaPlugIn& area);
  // The engine's calls back; they act only on the check that is running.
  static uint16_t Answer(Block** block);

 private:
  uint16_t Act(Block& block);
  void CallEngine(uint16_t request);

  RequestRecord fRecord{};
  Link fLink{};
  Entry fEntry = nullptr;
  bool fMoreText = false;
  xMorvaPlugIn* fArea = nullptr;
  // The chunk's length and first position, and what its replacements
  // changed in positions and stream bytes; the byte range still to check.
  uint32_t fChunkLength = 0;
  int32_t fBase = 0;
  int32_t fPositionDelta = 0;
  uint32_t fStartByte = 0;
  uint32_t fEndByte = 0;
  int32_t fByteDelta = 0;
};
