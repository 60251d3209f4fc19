// The host's own spellers: a spelling service and a spelling engine behind
// one entry point, which the module asks for with selector 184; both know a
// small word list, and the records the module hands them are here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"

// The first call's record: the module writes the question, the service
// answers that it is ready.
struct HostSpellingHello {
  uint16_t word;
  uint32_t reserved;
};

// What the service asks the module to do with a word it does not know.
struct HostSpellingRequest {
  uint16_t operation;  // 0 select start to end; 1 replace it with the text
  uint32_t start;
  uint32_t end;
  const uint8_t* text;
  uint32_t textLength;
  void* area;
};
using HostSpellingCallBack = uint16_t (*)(HostSpellingRequest* request);

// The check's block: the text of the part, one byte per character.
struct HostSpellingCheck {
  void* area;
  HostSpellingCallBack callBack;
  uint32_t selectionStart;
  const uint8_t* text;
  uint32_t textSize;
  uint32_t offsetCount;
  const uint32_t* offsets;
};

// What the engine hands back to the module: its operation, a range of the
// chunk as it stands after the engine's own replacements, a length-byte
// string and the module's area.
struct HostEngineBlock {
  uint16_t operation;  // 0 select; 1 replace with the text; 4 the longest word
  uint32_t start;
  uint32_t end;
  uint8_t text[256];
  void* area;
};
using HostEngineCallBack = uint16_t (*)(HostEngineBlock** block);

// The module's record of a request to the engine: the chunk (one byte a
// character, in a Toolbox handle) and the way back to the module.
struct HostEngineRecord {
  uint16_t operation;  // the engine writes the operation of each call back
  uint16_t reserved;
  uint16_t chunkLength;
  uint32_t textHandle;
  HostEngineCallBack callBack;
  uint8_t firstCall;
  uint8_t one;
  void* area;
  uint32_t cleared[2];
};
struct HostEngineLink {
  HostCallback host;
  HostEngineRecord* record;
};

// The entry point: (hello, pointer to a pointer to 32 bytes) asks whether
// the service is there; (null, check) checks a text; the engine's requests
// 0x402 (check a chunk, with the link) and 0x41E (the check is over) come in
// the first argument.
void HostSpellingService(void* first, void* second);

// Whether the entry point answers the service's question (the default):
// when not, the host offers its engine alone.
void HostSpellingOfferService(bool offered);

// The words the service or the engine did not know, in the order they met
// them, since the last clear.
std::vector<std::string>& HostSpellingFound();
// The chunks the engine was handed, as their bytes, and how many checks it
// was told were over.
std::vector<std::string>& HostSpellingChunks();
int32_t& HostSpellingChecksEnded();
