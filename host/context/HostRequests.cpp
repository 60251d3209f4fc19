// The further host requests: one fresh block per call, on the stack.
#include "host/context/HostRequests.h"

#include <cstring>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/VValue.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "host/context/HostVariables.h"

namespace {

constexpr int32_t kShortTextMax = 80;
constexpr char16_t kLozenge = 0x25CA;

HostParamBlock Cleared() {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  return block;
}

int16_t Word16(uintptr_t field) { return static_cast<int16_t>(field & 0xFFFF); }

int16_t TextToNumber(int32_t selector, const VString& text) {
  HostParamBlock block = Cleared();
  StringToPText(text, block.text, kShortTextMax);
  CallHost(selector, block);
  return Word16(block.param1);
}

void NumberToText(int32_t selector, VString& text, int16_t number) {
  HostParamBlock block = Cleared();
  block.shortValue = static_cast<uint16_t>(number);
  block.text2[0] = 0;
  CallHost(selector, block);
  // The second text holds 80 characters; a longer length byte is cut to it.
  uint8_t answer[kShortTextMax + 1];
  const uint8_t length = block.text2[0] <= kShortTextMax ? block.text2[0] : kShortTextMax;
  answer[0] = length;
  std::memcpy(answer + 1, block.text2 + 1, length);
  PTextToString(answer, text);
}

double RealByKind(int16_t a, int16_t b, int32_t kind) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(a);
  block.field = static_cast<uint16_t>(b);
  block.realValue = 0;
  block.param1 = HostWord(kind);
  CallHost(kHostSelRealByKind, block);
  return block.realValue;
}

void SetMode179(int32_t mode) {
  HostParamBlock block = Cleared();
  block.param1 = HostWord(mode);
  CallHost(kHostSelMode179, block);
}

void Fields266To280(HostParamBlock& block, uint32_t data, uint32_t a, uint32_t b, uint32_t c) {
  block.handle = data;
  block.param1 = a;
  block.param2 = b;
  block.param3 = c;
}

}  // namespace

void HostCall505(uint32_t value, VString& text) {
  HostParamBlock block = Cleared();
  block.param1 = value;
  CallHost(kHostSelNumberToText505, block);
  if (block.error != 0) {
    text.SetNull(true, kWholeValue);
    return;
  }
  PTextToString(block.text, text);
}

int16_t HostCall506(const VString& text) { return TextToNumber(kHostSelTextToNumber506, text); }
int16_t HostCall508(const VString& text) { return TextToNumber(kHostSelTextToNumber508, text); }
void HostCall507(VString& text, int16_t number) { NumberToText(kHostSelNumberToText507, text, number); }
void HostCall509(VString& text, int16_t number) { NumberToText(kHostSelNumberToText509, text, number); }

double HostGetReal510Kind1(int16_t a, int16_t b) { return RealByKind(a, b, 1); }
double HostGetReal510Kind3(int16_t a, int16_t b) { return RealByKind(a, b, 3); }
double HostGetReal510Kind4(int16_t a, int16_t b) { return RealByKind(a, b, 4); }

void HostCall500(const VString& variableName, uint32_t data, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  HostParamBlock block = Cleared();
  uint8_t name[kHostVariableNameMax + 1];
  block.flag = ClassifyVariableName(name, variableName, kScopeDetect) == kScopeInterprocess ? 1 : 0;
  Fields266To280(block, data, a, b, c);
  block.param4 = d;
  CallHost(kHostSelCall500, block);
}

void HostCall501(int16_t a, int16_t b, uint32_t data, uint32_t c, uint32_t d, uint32_t e) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(a);
  block.field = static_cast<uint16_t>(b);
  Fields266To280(block, data, c, d, e);
  CallHost(kHostSelCall501, block);
}

void HostCall502(int16_t a, uint32_t data, uint32_t c, uint32_t d, uint32_t e) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(a);
  Fields266To280(block, data, c, d, e);
  CallHost(kHostSelCall502, block);
}

void HostCall503(uint32_t data, uint32_t value) {
  HostParamBlock block = Cleared();
  block.handle = data;
  block.param1 = value;
  CallHost(kHostSelCall503, block);
}

void HostCall410(uint32_t value) {
  HostParamBlock block = Cleared();
  block.param1 = value;
  CallHost(kHostSelReleaseEntry, block);
}

void HostCall514(uint32_t value, const VString& variableName) {
  HostParamBlock block = Cleared();
  block.param1 = value;
  ClassifyVariableName(block.text, variableName, kScopeDetect);
  CallHost(kHostSelCall514, block);
}

bool HostSetVariableEntry(const VString& name, int32_t scope, HostVariableEntry& entry, uint8_t flag) {
  HostParamBlock block = Cleared();
  scope = ClassifyVariableName(block.text, name, scope);
  if (scope != kScopeProcess && scope != kScopeInterprocess) return false;
  block.handle = HostAddress(&entry);
  block.variableFlag = flag;
  block.error = -1;
  CallHost(scope == kScopeProcess ? kHostSelSetVariable : kHostSelSetInterprocessVariable, block);
  // Any other word, a negative refusal included, is a failure.
  return block.error == 0;
}

void HostCall65() {
  HostParamBlock block = Cleared();
  CallHost(kHostSelCall65, block);
}

void HostCall512(int16_t a, int16_t b) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(a);
  block.field = static_cast<uint16_t>(b);
  CallHost(kHostSelCall512, block);
}

bool HostTableTest40(int16_t table) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(table);
  CallHost(kHostSelTableTest40, block);
  return HostWordOf(block.param1) == 1;
}

void HostCall511(const VString& variableName) {
  HostParamBlock block = Cleared();
  ClassifyVariableName(block.text, variableName, kScopeDetect);
  CallHost(kHostSelCall511, block);
}

uint32_t HostGetValue90ForValue(uint32_t value) {
  HostParamBlock block = Cleared();
  block.handle = value;
  CallHost(kHostSelValue90, block);
  return static_cast<uint32_t>(block.param1);
}

void HostGetState178(uint8_t& flag, int16_t& word) {
  HostParamBlock block = Cleared();
  CallHost(kHostSelState178, block);
  flag = static_cast<uint8_t>(block.param1 & 0xFF);
  word = Word16(block.param2);
}

void HostSetMode179Zero() { SetMode179(0); }
void HostSetMode179One() { SetMode179(1); }
void HostSetMode179Two() { SetMode179(2); }

void HostStringConversion531(int32_t& a, int32_t& b) {
  HostParamBlock block = Cleared();
  CallHost(kHostSelCenturyPivot, block);
  a = HostWordOf(block.param1);
  b = HostWordOf(block.param2);
}

int32_t ClassifyVariableNameInPlace(VString& name) {
  int32_t scope = kScopeProcess;
  int32_t drop = 0;
  const int32_t length = name.GetLength();
  if (length >= 1 && name.GetCharAt(1) == kLozenge) {
    scope = kScopeInterprocess;
    drop = 1;
  } else if (length >= 2 && name.GetCharAt(1) == u'<' && name.GetCharAt(2) == u'>') {
    scope = kScopeInterprocess;
    drop = 2;
  } else if (length >= 1 && name.GetCharAt(1) == u'$') {
    scope = kScopeLocal;
    drop = 1;
  }
  if (drop > 0) name.Delete(1, drop);
  if (name.GetLength() > kHostVariableNameMax) name.SetLength(kHostVariableNameMax);
  return scope;
}
