// Fuzz target of the stand-in host's reader of compiled expressions (the
// form stored inside host references). The first byte, when odd, asks for
// the conversion from the other byte order first. A form that reads is
// evaluated over lookups that know every field and variable.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "qvhost/HostExpression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  std::vector<uint8_t> bytes(input.Rest(), input.Rest() + input.RestSize());
  if ((choice & 1) && !SwapCompiledExpression(bytes.data(), bytes.size())) return 0;
  std::string source;
  if (!ReadCompiledExpression(bytes.data(), bytes.size(), source)) return 0;
  // What reads compiles back to the same bytes.
  if (CompileExpression(source) != bytes) __builtin_trap();
  ExprLookups lookups;
  lookups.field = [](const std::string&, const std::string& field, ExprValue& out) {
    out = ExprValue{};
    out.kind = field.size() % 2 ? ExprValue::kText : ExprValue::kReal;
    out.text = field;
    out.real = static_cast<double>(field.size());
    return true;
  };
  lookups.variable = [](const std::string& name, ExprValue& out) {
    out = ExprValue{};
    out.kind = ExprValue::kLong;
    out.integer = static_cast<int64_t>(name.size());
    return true;
  };
  ExprValue value;
  std::string error;
  EvaluateExpression(source, lookups, value, &error);
  return 0;
}
