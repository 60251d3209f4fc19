// Fuzz target of the interface rules reader ('XPRF' bytes in native order):
// whatever the count claims, no more rules are read than the bytes hold.
#include "views/VPlugIn.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VInterfaceRules rules;
  const bool read = ReadInterfaceRules(data, size, rules);
  if (!read && (size >= kInterfaceRulesHeadSize || !rules.rules.empty())) __builtin_trap();
  if (read && rules.rules.size() > (size - kInterfaceRulesHeadSize) / kInterfaceRuleSize) __builtin_trap();
  uint32_t stamp = 0;
  ReadInterfaceStamp(data, size, stamp);
  return 0;
}
