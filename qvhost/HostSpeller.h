// The host's own spelling service: a small word list, and the records the
// module hands it. The module asks for its entry point with selector 184.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// The entry point: (hello, pointer to a pointer to 32 bytes) asks whether
// the service is there; (null, check) checks a text.
void HostSpellingService(void* first, void* second);

// The words the service did not know, in the order it met them, since the
// last Clear.
std::vector<std::string>& HostSpellingFound();
