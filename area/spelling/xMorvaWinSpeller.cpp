// The spelling check through the engine library: loading it and its
// dictionaries, handing it the text a sentence at a time, and the word
// operations of the spelling dialog.
#include "area/spelling/xMorvaWinSpeller.h"

#include <algorithm>
#include <cstring>

#include "area/files/xMorvaOpenSave.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "controls/files/StandardFileDialogs.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/intl/Utf.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VLibrary.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostServices.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/win32/WinLibrary.h"

namespace {

constexpr const char* kLibrarySuffix = ".so";
constexpr const char* kDictionarySuffix = ".lex";
// Items of the package's interface texts (base + 10): the user
// dictionary's file name and the second dictionary path, in the host's
// folder.
constexpr int32_t kInterfaceListOffset = 10;
constexpr int16_t kUserDictionaryItem = 11;
constexpr int16_t kSecondDictionaryItem = 12;
constexpr uint16_t kUndoSpelling = 4;

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string Utf8(const std::u16string& units) {
  std::string out;
  Utf16ToUtf8(units, &out, VLoneSurrogate::kReplace);
  return out;
}

template <typename Entry>
Entry As(void (*entry)()) {
  return reinterpret_cast<Entry>(entry);
}

// Replaces the selection with the text as one ordinary edit, then refreshes
// the area: 0, or the error of the edit.
int32_t ReplaceSelectionError(xMorvaDocument& document, xMorvaEngine& text, const std::u16string& replacement) {
  document.BeginChange();
  xMorvaUndo* undo = document.GetUndo();
  if (undo != nullptr) undo->BeginGroup(kUndoSpelling);
  int32_t error = text.DeleteSelectionWithUndo();
  if (error == 0 && !replacement.empty()) {
    VStrInHandle string;
    string.AppendUniChars(replacement.data(), int32_t(replacement.size()));
    VMemHandle handle = gMemoryMgr->NewHandle(0, 64);
    uint32_t positions = 0;
    uint32_t bytes = 0;
    error = 1041;
    if (handle != 0 && text.StringToUnits(string, handle, positions, bytes, false)) {
      error = text.InsertHandleWithUndo(handle, int32_t(positions));
    }
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
  if (undo != nullptr) undo->EndGroup();
  document.EndChange();
  document.Refresh(true, true);
  return error;
}

bool ReplaceSelection(xMorvaDocument& document, xMorvaEngine& text, const std::u16string& replacement) {
  return ReplaceSelectionError(document, text, replacement) == 0;
}

// The next sentence of the range from `startByte`: up to a "." or a
// paragraph end, at most `most` characters; `next` is the byte after it.
// A sentence longer than that is cut after its last space, so that no word
// is handed over in two halves. False when no text is left.
bool CollectChunk(xMorvaEngine& text, uint32_t startByte, uint32_t endByte, uint32_t most, std::u16string& chunk,
                  uint32_t& next) {
  VStrInHandle sentence;
  next = startByte;
  if (!text.CollectSentence(next, endByte, most, sentence)) return false;
  chunk.assign(reinterpret_cast<const char16_t*>(sentence.GetBuffer()), size_t(sentence.GetLength()));
  if (chunk.size() >= most && chunk.back() != u'.' && chunk.back() != char16_t(13)) {
    const size_t space = chunk.find_last_of(u" \t");
    if (space != std::u16string::npos && space > 0) {
      VStrInHandle shorter;
      uint32_t at = startByte;
      if (text.CollectSentence(at, endByte, uint32_t(space + 1), shorter)) {
        next = at;
        chunk.assign(reinterpret_cast<const char16_t*>(shorter.GetBuffer()), size_t(shorter.GetLength()));
      }
    }
  }
  return true;
}

// What a check covers: the selection, or the whole text; its stream bytes
// and the position of its first character.
void CheckedRange(xMorvaEngine& text, uint32_t& startByte, uint32_t& endByte, int32_t& base) {
  const bool selection = text.HasSelection();
  startByte = selection ? text.GetSelStartOffset() : 0;
  endByte = selection ? text.GetSelEndOffset() : text.GetStreamSize();
  base = selection ? text.GetSelStart() : 0;
}

// Bytes of the Macintosh character set to UTF-16, one unit a byte.
std::u16string FromMacBytes(const uint8_t* bytes, uint32_t length) {
  if (bytes == nullptr) return {};
  std::u16string units(bytes, bytes + length);
  if (gIntlMgr != nullptr) gIntlMgr->MacCharsToUni(bytes, length, units.data());
  return units;
}

// One byte of the Macintosh character set per unit, so that offsets in the
// bytes are positions in the text; a unit the set lacks becomes "?".
uint8_t ToMacByte(char16_t unit) {
  if (unit < 0x80) return uint8_t(unit);
  const uint8_t byte = gIntlMgr != nullptr ? gIntlMgr->UniCharToMac(unit) : 0;
  return byte != 0 ? byte : uint8_t('?');
}

}  // namespace

xMorvaWinSpeller::xMorvaWinSpeller(xMorvaPlugIn& area, xMorvaSpellerFiles& files)
    : fArea(area), fFiles(files), fLibrary(std::make_unique<VLibrary>()) {}

xMorvaWinSpeller::~xMorvaWinSpeller() { Unload(); }

xMorvaEngine* xMorvaWinSpeller::Text() const {
  xMorvaDocument* document = fArea.GetDocument();
  return document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
}

void xMorvaWinSpeller::Alert(int16_t item) {
  if (xMorvaMain* package = fArea.GetMorvaPackage()) package->ShowAlert(item);
}

// ---- Loading

bool xMorvaWinSpeller::LoadEngine() {
  const std::string path = fFiles.GetStoredPath(kEnginePath);
  if (path.empty()) return false;
  fLibrary->Load(VFile(path.c_str()));
  if (!fLibrary->IsLoaded()) return false;
  for (uint16_t ordinal = 1; ordinal <= 16; ++ordinal) {
    fEntries[ordinal - 1] = fLibrary->GetProcAddress(OrdinalName(ordinal));
    if (fEntries[ordinal - 1] == nullptr) {
      // An engine without all its entry points is no engine.
      fLibrary->Free();
      std::fill(std::begin(fEntries), std::end(fEntries), nullptr);
      return false;
    }
  }
  std::fill(std::begin(fInformation), std::end(fInformation), uint8_t(0));
  fLastResult = As<QvSpellOpen>(fEntries[1])(&fInstance, fInformation);
  if (fLastResult != 0) {
    fLibrary->Free();
    return false;
  }
  return true;
}

bool xMorvaWinSpeller::FindEngine() {
  if (!fFiles.GetStoredPath(kEnginePath).empty()) {
    if (LoadEngine()) return true;
    Alert(kAlertEngine);
    fFiles.SetStoredPath(kEnginePath, std::string());
  }
  std::string chosen;
  while (fFiles.ChooseFile(kEnginePath, chosen)) {
    if (!EndsWith(chosen, kLibrarySuffix)) chosen += kLibrarySuffix;
    fFiles.SetStoredPath(kEnginePath, chosen);
    if (LoadEngine()) return true;
    Alert(kAlertEngine);
    fFiles.SetStoredPath(kEnginePath, std::string());
  }
  return false;
}

bool xMorvaWinSpeller::OpenDictionary(const std::string& path) {
  xMorvaMain* package = fArea.GetMorvaPackage();
  xMorvaDocument* document = fArea.GetDocument();
  VStr<255> item;
  if (package != nullptr) package->GetListString(item, kInterfaceListOffset, kSecondDictionaryItem);
  char name[256] = {};
  item.GetCText(name, sizeof name, kCharSetAnsi);
  const std::string second = fFiles.GetHostFolder() + name;
  const uint16_t language = document != nullptr ? uint16_t(document->GetParams().GetLanguage()) : 0;
  uint32_t found = 0;
  fLastResult = As<QvSpellTestDictionary>(fEntries[5])(path.c_str(), language, &found);
  if (fLastResult == 0) {
    fLastResult = As<QvSpellOpenDictionary>(fEntries[6])(fInstance, path.c_str(), second.c_str(), 1, 1, language,
                                                         fMainDictionaries);
  }
  return fLastResult == 0;
}

bool xMorvaWinSpeller::FindDictionary() {
  const std::string stored = fFiles.GetStoredPath(kDictionaryPath);
  if (!stored.empty()) {
    if (OpenDictionary(stored)) return true;
    fFiles.SetStoredPath(kDictionaryPath, std::string());
    Alert(kAlertDictionary);
  }
  std::string chosen;
  while (fFiles.ChooseFile(kDictionaryPath, chosen)) {
    if (!EndsWith(chosen, kDictionarySuffix)) chosen += kDictionarySuffix;
    if (OpenDictionary(chosen)) {
      fFiles.SetStoredPath(kDictionaryPath, chosen);
      return true;
    }
    Alert(kAlertDictionary);
  }
  return false;
}

bool xMorvaWinSpeller::LoadAll() {
  if (fLoaded) return true;
  if (!FindEngine()) return false;
  bool fine = FindDictionary();
  if (fine) {
    xMorvaMain* package = fArea.GetMorvaPackage();
    VStr<255> item;
    if (package != nullptr) package->GetListString(item, kInterfaceListOffset, kUserDictionaryItem);
    char name[256] = {};
    item.GetCText(name, sizeof name, kCharSetAnsi);
    const std::string user = fFiles.GetHostFolder() + (name[0] != 0 ? name : "user.dic");
    fLastResult = As<QvSpellOpenUserDictionary>(fEntries[7])(fInstance, user.c_str(), 1, kQvSpellIgnoreList,
                                                             &fUserDictionary, &fUserFlag);
    fine = fLastResult == 0;
  }
  if (fine) {
    fLastResult = As<QvSpellSetOptions>(fEntries[2])(fInstance, 1);
    if (fLastResult != 0) Alert(kAlertOptions);
    fine = fLastResult == 0;
  }
  fLoaded = true;
  if (!fine) Unload();
  return fine;
}

void xMorvaWinSpeller::Unload() {
  if (fLibrary->IsLoaded() && fEntries[15] != nullptr) {
    As<QvSpellCloseUserDictionary>(fEntries[15])(fInstance, fUserDictionary, 1);
    As<QvSpellClose>(fEntries[4])(fInstance, 1);
  }
  fLibrary->Free();
  std::fill(std::begin(fEntries), std::end(fEntries), nullptr);
  fLoaded = false;
  fInstance = 0;
}

// ---- The check

void xMorvaWinSpeller::RunSpellCheck() {
  if (!LoadAll()) return;
  xMorvaEngine* text = Text();
  if (text == nullptr) return;
  CheckedRange(*text, fStartByte, fEndByte, fBase);
  fNextByte = fStartByte;
  fChunk.clear();
  fOffset = 0;
  fPositionDelta = 0;
  fByteDelta = 0;
  fNeedChunk = true;
  fInput = QvSpellInput{0, 1, 1, kQvSpellFirstCall, nullptr, fMainDictionaries, &fUserDictionary};
  fResult = QvSpellResult{0, 0, 0, 0, 0, kQvSpellSuggestionBufferSize, fSuggestions, fSecond, kQvSpellSecondBufferSize};
  // Room for the terminator after the longest chunk.
  fBlock.assign(3 * kChunkCharacters + 1, 0);
  if (xMorvaSpellingDialogs* dialog = xMorvaSpellingDialogSlot::Get()) dialog->RunSpelling(fArea, *this);
  fBlock.clear();
  fBlock.shrink_to_fit();
  Alert(kAlertCheckFinished);
}

bool xMorvaWinSpeller::NextChunk() {
  xMorvaEngine* text = Text();
  if (text == nullptr) return false;
  // Past the last chunk, with what its replacements changed.
  fBase += int32_t(fChunk.size()) + fPositionDelta;
  fStartByte = uint32_t(int64_t(fNextByte) + fByteDelta);
  fEndByte = uint32_t(int64_t(fEndByte) + fByteDelta);
  fPositionDelta = 0;
  fByteDelta = 0;
  if (!CollectChunk(*text, fStartByte, fEndByte, kChunkCharacters, fChunk, fNextByte)) {
    fChunk.clear();
    return false;
  }
  // One character per position: each unit alone, a lone surrogate as U+FFFD.
  fByteOfCharacter.assign(fChunk.size() + 1, 0);
  uint32_t at = 0;
  for (size_t i = 0; i < fChunk.size(); ++i) {
    fByteOfCharacter[i] = at;
    const std::string bytes = Utf8(std::u16string(1, fChunk[i] == 0 ? u' ' : fChunk[i]));
    std::copy(bytes.begin(), bytes.end(), fBlock.begin() + at);
    at += uint32_t(bytes.size());
  }
  fByteOfCharacter[fChunk.size()] = at;
  fBlock[at] = 0;
  fOffset = 0;
  fInput.state = kQvSpellFirstCall;
  fInput.text = fBlock.data();
  fInput.charactersLeft = uint16_t(fChunk.size());
  return true;
}

const char* xMorvaWinSpeller::TextAt(uint32_t character) const {
  return fBlock.data() + fByteOfCharacter[std::min<size_t>(character, fChunk.size())];
}

uint16_t xMorvaWinSpeller::Check(uint16_t mode) {
  fLastResult = As<QvSpellCheck>(fEntries[3])(fInstance, mode, &fInput, &fResult);
  return fLastResult;
}

void xMorvaWinSpeller::SkipCharacters(uint32_t characters) {
  fOffset = std::min<uint32_t>(fOffset + characters, uint32_t(fChunk.size()));
  fInput.text = TextAt(fOffset);
  fInput.charactersLeft = uint16_t(fChunk.size() - fOffset);
}

bool xMorvaWinSpeller::FindNextMisspelled() {
  xMorvaEngine* text = Text();
  if (!fLoaded || text == nullptr || fBlock.empty()) return false;
  for (;;) {
    if (fNeedChunk) {
      if (!NextChunk()) return false;
      fNeedChunk = false;
    }
    if (Check(kQvSpellFindNext) != 0) return false;
    if (fResult.status == kQvSpellNothingFound) {
      fNeedChunk = true;
      continue;
    }
    // The word lies between the current point and the chunk's end.
    if (uint32_t(fResult.wordOffset) + fResult.wordLength > fInput.charactersLeft) return false;
    const uint32_t point = fOffset;
    fOffset += fResult.wordOffset;
    TakeWholeCharacters(*text, point);
    fInput.state = kQvSpellContinuing;
    fInput.text = TextAt(fOffset);
    fInput.charactersLeft = uint16_t(fChunk.size() - fOffset);
    const int32_t start = fBase + int32_t(fOffset) + fPositionDelta;
    text->SetSelection(start, start + fResult.wordLength);
    if (xMorvaDocument* document = fArea.GetDocument()) document->ShowSelection(true);
    if (fResult.status != kQvSpellReplacementKnown) return true;
    // A replacement the user asked for always: made at once.
    const std::u16string replacement = Utf8ToUtf16(fSuggestions);
    if (!Change(replacement)) return false;
  }
}

void xMorvaWinSpeller::TakeWholeCharacters(xMorvaEngine& text, uint32_t point) {
  // A word ends only where a character does: one that the engine starts or
  // ends inside a letter with its marks (or an emoji, a syllable of jamo)
  // takes that whole character, between the point and the chunk's end, so
  // that what is selected, skipped and changed is the same whole word.
  const int32_t chunkStart = fBase + fPositionDelta;
  const int32_t start = chunkStart + int32_t(fOffset);
  const int32_t end = start + fResult.wordLength;
  const int32_t from = std::max(text.CaretPlaceFrom(start, false), chunkStart + int32_t(point));
  const int32_t to = std::min(text.CaretPlaceFrom(end, true), chunkStart + int32_t(fChunk.size()));
  fOffset = uint32_t(from - chunkStart);
  fResult.wordLength = uint16_t(std::max(to - from, 0));
}

std::u16string xMorvaWinSpeller::GetCurrentWord() const {
  const size_t length = std::min<size_t>(fResult.wordLength, fChunk.size() - std::min<size_t>(fOffset, fChunk.size()));
  return fChunk.substr(std::min<size_t>(fOffset, fChunk.size()), length);
}

void xMorvaWinSpeller::Skip() { SkipCharacters(fResult.wordLength); }

bool xMorvaWinSpeller::IgnoreAll() {
  if (!fLoaded) return false;
  fLastResult = As<QvSpellAddWord>(fEntries[8])(fInstance, kQvSpellIgnoreList, Utf8(GetCurrentWord()).c_str());
  Skip();
  return fLastResult == 0;
}

bool xMorvaWinSpeller::AddWord() {
  if (!fLoaded) return false;
  fLastResult = As<QvSpellAddWord>(fEntries[8])(fInstance, fUserDictionary, Utf8(GetCurrentWord()).c_str());
  Skip();
  return fLastResult == 0;
}

bool xMorvaWinSpeller::Change(const std::u16string& replacement) {
  xMorvaDocument* document = fArea.GetDocument();
  xMorvaEngine* text = Text();
  if (document == nullptr || text == nullptr) return false;
  // The word given back as it stands is left alone: no edit to undo.
  if (replacement == GetCurrentWord()) {
    Skip();
    return true;
  }
  const uint32_t bytesBefore = text->GetStreamSize();
  if (!ReplaceSelection(*document, *text, replacement)) return false;
  const uint32_t word = fResult.wordLength;
  fPositionDelta += int32_t(replacement.size()) - int32_t(word);
  fByteDelta += int32_t(text->GetStreamSize()) - int32_t(bytesBefore);
  // The search goes on behind the word in the chunk, which is the text
  // behind the replacement in the document.
  SkipCharacters(word);
  return true;
}

bool xMorvaWinSpeller::ChangeAll(const std::u16string& replacement) {
  if (!fLoaded) return false;
  fLastResult = As<QvSpellChangeAlways>(fEntries[9])(fInstance, kQvSpellChangeList, Utf8(GetCurrentWord()).c_str(),
                                                     Utf8(replacement).c_str());
  return Change(replacement) && fLastResult == 0;
}

std::vector<std::u16string> xMorvaWinSpeller::Suggestions() {
  std::vector<std::u16string> list;
  if (!fLoaded || fBlock.empty()) return list;
  const uint16_t left = fInput.charactersLeft;
  fInput.charactersLeft = fResult.wordLength;
  for (uint16_t mode = kQvSpellFirstSuggestions; Check(mode) == 0; mode = kQvSpellMoreSuggestions) {
    const char* at = fSuggestions;
    for (uint16_t i = 0; i < fResult.suggestionCount && at < fSuggestions + sizeof fSuggestions; ++i) {
      const size_t length = strnlen(at, size_t(fSuggestions + sizeof fSuggestions - at));
      list.push_back(Utf8ToUtf16(std::string_view(at, length)));
      at += length + 1;
    }
    if (fResult.status == kQvSpellNoMoreSuggestions || fResult.suggestionCount == 0) break;
  }
  fInput.charactersLeft = left;
  return list;
}

// ---- The preferences and the open dialog

xMorvaSpellerPreferences::xMorvaSpellerPreferences(xMorvaMain* package) : fPackage(package) {}

std::string xMorvaSpellerPreferences::GetStoredPath(int16_t kind) {
  VMacResourceFile* prefs = fPackage != nullptr ? fPackage->GetPrefsFile() : nullptr;
  if (prefs == nullptr) return std::string();
  uint8_t owned = 0;
  const auto id = int16_t(fPackage->GetResourceBase() + kind);
  const VResourceRef ref = prefs->GetResource(kTypeMacText, id, &owned);
  std::string path;
  if (ref != 0) {
    if (const auto* data = static_cast<const char*>(prefs->LockResource(ref))) {
      path.assign(data, prefs->GetResourceSize(ref));
      prefs->UnlockResource(ref);
    }
    prefs->ReleaseResource(ref);
  }
  return path;
}

void xMorvaSpellerPreferences::SetStoredPath(int16_t kind, const std::string& path) {
  VMacResourceFile* prefs = fPackage != nullptr ? fPackage->GetPrefsFile() : nullptr;
  if (prefs == nullptr) return;
  const auto id = int16_t(fPackage->GetResourceBase() + kind);
  prefs->RemoveResource(kTypeMacText, id);
  if (!path.empty()) prefs->AddResource(kTypeMacText, id, nullptr, path.data(), uint32_t(path.size()));
  prefs->UpdateFile();
}

bool xMorvaSpellerPreferences::ChooseFile(int16_t kind, std::string& path) {
  if (fPackage == nullptr) return false;
  // The engine's dialog is 'FGET' base + 2, the dictionary's base + 1.
  const auto id = int16_t(fPackage->GetResourceBase() + (kind == xMorvaWinSpeller::kEnginePath ? 2 : 1));
  VGetFileDialog dialog(fPackage->GetResourceFile(), id);
  std::unique_ptr<VFile> file(ShowOpenFileDialog(dialog));
  if (!file) return false;
  VStrInHandle full;
  file->GetFullPath(full);
  std::u16string units(reinterpret_cast<const char16_t*>(full.GetBuffer()), size_t(full.GetLength()));
  path = Utf8(units);
  return !path.empty();
}

std::string xMorvaSpellerPreferences::GetHostFolder() {
  char folder[kHostPathBufferSize] = {};
  if (!HostGetPath(folder)) return std::string();
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// ---- The host's spelling service

xMorvaSpeller::xMorvaSpeller() {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  CallHost(kHostSelSpellingService, block);
  auto entry = reinterpret_cast<Entry>(block.handle);
  if (entry == nullptr) return;
  struct {
    uint16_t word;
    uint32_t reserved;
  } hello{kSpellingServiceAsk, 0};
  uint8_t* buffer = fBuffer;
  entry(&hello, &buffer);
  if (hello.word == kSpellingServiceReady) fEntry = entry;
}

void xMorvaSpeller::SpellCheckDocument(xMorvaPlugIn& area) {
  if (fEntry == nullptr) return;
  xMorvaDocument* document = area.GetDocument();
  auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  if (text == nullptr) return;
  VMemHandle bytes = 0;
  VMemHandle offsets = 0;
  uint32_t fieldCount = 0;
  if (!text->ExportSingleByteText(bytes, fieldCount, offsets)) {
    if (xMorvaMain* package = area.GetMorvaPackage()) package->ShowMemoryAlert();
    return;
  }
  CheckBlock block{&area,
                   &xMorvaSpeller::Answer,
                   text->HasSelection() ? uint32_t(text->GetSelStart()) : 0u,
                   static_cast<const uint8_t*>(gMemoryMgr->LockHandle(bytes)),
                   gMemoryMgr->GetHandleSize(bytes),
                   fieldCount * 2,
                   offsets != 0 ? static_cast<const uint32_t*>(gMemoryMgr->LockHandle(offsets)) : nullptr};
  fEntry(nullptr, &block);
  gMemoryMgr->UnlockHandle(bytes);
  gMemoryMgr->DisposeHandle(bytes);
  if (offsets != 0) {
    gMemoryMgr->UnlockHandle(offsets);
    gMemoryMgr->DisposeHandle(offsets);
  }
}

uint16_t xMorvaSpeller::Answer(Request* request) {
  if (request == nullptr || request->area == nullptr) return 0;
  xMorvaDocument* document = request->area->GetDocument();
  auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  if (text == nullptr || request->start > request->end) return 0;
  switch (request->operation) {
    case 0:
      text->SetSelection(int32_t(request->start), int32_t(request->end));
      document->ShowSelection(true);
      return 0;
    case 1: {
      text->SetSelection(int32_t(request->start), int32_t(request->end));
      const int32_t error = ReplaceSelectionError(*document, *text, FromMacBytes(request->text, request->textLength));
      // As an ordinary edit: the caret after the new text.
      if (error == 0) text->SetSelection(text->GetSelEnd(), text->GetSelEnd());
      return uint16_t(error);
    }
    default:
      return 0;
  }
}

// ---- The spelling engine reached through the host

namespace {

// The check that is running: the engine's calls back act on it alone.
xMorvaVuzizaDevo* gRunningEngineCheck = nullptr;

}  // namespace

xMorvaVuzizaDevo::xMorvaVuzizaDevo() {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  // The first call only tells the host that the engine will be asked for.
  CallHost(kHostSelSpellingService, block);
  std::memset(&block, 0, sizeof block);
  CallHost(kHostSelSpellingService, block);
  fEntry = reinterpret_cast<Entry>(block.handle);
  fLink.host = GetHostCallback();
  fLink.record = &fRecord;
}

void xMorvaVuzizaDevo::CallEngine(uint16_t request) {
  // The engine may open resource files of its own: the current one is made
  // current again after it.
  const int16_t current = Tbx::CurResFile();
  fEntry(reinterpret_cast<void*>(uintptr_t(request)), &fLink);
  Tbx::UseResFile(current);
}

void xMorvaVuzizaDevo::CheckDocument(xMorvaPlugIn& area) {
  xMorvaDocument* document = area.GetDocument();
  auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  if (fEntry == nullptr || text == nullptr || gRunningEngineCheck != nullptr) return;
  fArea = &area;
  CheckedRange(*text, fStartByte, fEndByte, fBase);
  fChunkLength = 0;
  fPositionDelta = 0;
  fByteDelta = 0;
  fMoreText = true;
  fRecord = RequestRecord{};
  fRecord.callBack = &xMorvaVuzizaDevo::Answer;
  fRecord.firstCall = 1;
  fRecord.one = 1;
  fRecord.area = &area;
  gRunningEngineCheck = this;
  uint32_t next = fStartByte;
  std::u16string chunk;
  for (;;) {
    // Past the last chunk, with what its replacements changed.
    fBase += int32_t(fChunkLength) + fPositionDelta;
    fStartByte = uint32_t(int64_t(next) + fByteDelta);
    fEndByte = uint32_t(int64_t(fEndByte) + fByteDelta);
    fPositionDelta = 0;
    fByteDelta = 0;
    if (!fMoreText || !CollectChunk(*text, fStartByte, fEndByte, kChunkCharacters, chunk, next) || chunk.empty()) break;
    // One byte a character, and a terminator after the last inside the
    // handle, for an engine that reads the text as a C string.
    const Tbx::Handle handle = Tbx::NewHandle(int32_t(chunk.size() + 1));
    if (handle == 0) {
      if (xMorvaMain* package = area.GetMorvaPackage()) package->ShowMemoryAlert();
      break;
    }
    {
      Tbx::HandleLocker locked(handle);
      auto* bytes = locked.As<uint8_t>();
      for (size_t i = 0; i < chunk.size(); ++i) bytes[i] = ToMacByte(chunk[i]);
      bytes[chunk.size()] = 0;
      fChunkLength = uint32_t(chunk.size());
      fRecord.chunkLength = uint16_t(fChunkLength);
      fRecord.textHandle = handle;
      fRecord.operation = 0;
      fRecord.reserved = 0;
      fMoreText = false;
      CallEngine(kSpellingEngineCheck);
    }
    fRecord.textHandle = 0;
    fRecord.firstCall = 0;
    Tbx::DisposeHandle(handle);
  }
  // No chunk is out while the engine hears the check is over: a range it
  // names then can only be the empty one at the end of what was checked.
  fChunkLength = 0;
  fRecord.chunkLength = 0;
  fRecord.operation = 0;
  CallEngine(kSpellingEngineEnd);
  gRunningEngineCheck = nullptr;
  fArea = nullptr;
  document->Refresh(true, true);
}

uint16_t xMorvaVuzizaDevo::Answer(Block** block) {
  xMorvaVuzizaDevo* check = gRunningEngineCheck;
  // Nothing the engine hands back is used before it is known to belong to
  // the running check.
  if (block == nullptr || *block == nullptr || check == nullptr || (*block)->area != check->fArea)
    return kBadRequest;
  return check->Act(**block);
}

uint16_t xMorvaVuzizaDevo::Act(Block& block) {
  if (block.operation == 4) {
    block.start = kLongestWord;
    block.end = 0;
    return 0;
  }
  if (block.operation != 0 && block.operation != 1) return 0;
  xMorvaDocument* document = fArea->GetDocument();
  auto* text = document != nullptr ? static_cast<xMorvaEngine*>(document->GetCurrentPart()) : nullptr;
  if (text == nullptr) return kBadRequest;
  // The range lies in the chunk as it stands after the replacements made
  // in it so far.
  const int64_t length = int64_t(fChunkLength) + fPositionDelta;
  if (block.start > block.end || int64_t(block.end) > length) return kBadRequest;
  const int32_t start = fBase + int32_t(block.start);
  const int32_t end = fBase + int32_t(block.end);
  text->SetSelection(start, end);
  if (block.operation == 0) {
    document->ShowSelection(true);
    fMoreText = true;
    return 0;
  }
  const uint32_t bytesBefore = text->GetStreamSize();
  const std::u16string replacement = FromMacBytes(block.text + 1, block.text[0]);
  const int32_t error = ReplaceSelectionError(*document, *text, replacement);
  // As an ordinary edit: the caret after the new text.
  text->SetSelection(text->GetSelEnd(), text->GetSelEnd());
  fPositionDelta += int32_t(text->GetSelEnd()) - end;
  fByteDelta += int32_t(text->GetStreamSize()) - int32_t(bytesBefore);
  fMoreText = true;
  return uint16_t(error);
}
