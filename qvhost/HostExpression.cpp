#include "qvhost/HostExpression.h"

#include <cmath>
#include <cstring>

namespace {

bool ValidUtf8(const uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    const uint8_t b = p[i];
    if (b == 0) return false;
    size_t extra = 0;
    if (b < 0x80) {
      extra = 0;
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (extra > n - i - 1) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& source, const ExprLookups& lookups)
      : fText(source), fLookups(lookups) {}

  bool Run(ExprValue& result, std::string& error) {
    if (!Or(result, 0)) {
      error = fError;
      return false;
    }
    SkipSpace();
    if (fAt != fText.size()) {
      error = "unexpected text at " + std::to_string(fAt);
      return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    if (fError.empty()) fError = why;
    return false;
  }
  void SkipSpace() {
    while (fAt < fText.size() &&
           (fText[fAt] == ' ' || fText[fAt] == '\t' || fText[fAt] == '\r' || fText[fAt] == '\n'))
      ++fAt;
  }
  bool Peek(const char* token) {
    SkipSpace();
    const size_t n = std::strlen(token);
    return fText.compare(fAt, n, token) == 0;
  }
  bool Take(const char* token) {
    if (!Peek(token)) return false;
    fAt += std::strlen(token);
    return true;
  }

  static bool IsNumber(const ExprValue& v) {
    return v.kind == ExprValue::kReal || v.kind == ExprValue::kLong;
  }
  static double AsReal(const ExprValue& v) {
    return v.kind == ExprValue::kReal ? v.real : static_cast<double>(v.integer);
  }

  bool Or(ExprValue& out, int depth) {
    if (depth > kExpressionDepthMax) return Fail("expression nested too deeply");
    if (!And(out, depth)) return false;
    while (Take("|")) {
      ExprValue right;
      if (!And(right, depth)) return false;
      if (out.kind != ExprValue::kBoolean || right.kind != ExprValue::kBoolean)
        return Fail("| needs Booleans");
      out.integer = (out.integer != 0 || right.integer != 0) ? 1 : 0;
    }
    return true;
  }
  bool And(ExprValue& out, int depth) {
    if (!Compare(out, depth)) return false;
    while (Take("&")) {
      ExprValue right;
      if (!Compare(right, depth)) return false;
      if (out.kind != ExprValue::kBoolean || right.kind != ExprValue::kBoolean)
        return Fail("& needs Booleans");
      out.integer = (out.integer != 0 && right.integer != 0) ? 1 : 0;
    }
    return true;
  }
  bool Compare(ExprValue& out, int depth) {
    if (!Sum(out, depth)) return false;
    static const char* const kOperators[] = {"<=", ">=", "=", "#", "<", ">"};
    for (const char* op : kOperators) {
      if (!Take(op)) continue;
      ExprValue right;
      if (!Sum(right, depth)) return false;
      int order = 0;
      if (out.kind == ExprValue::kPicture || right.kind == ExprValue::kPicture) {
        return Fail("pictures do not compare");
      } else if (IsNumber(out) && IsNumber(right)) {
        const double a = AsReal(out), b = AsReal(right);
        order = a < b ? -1 : a > b ? 1 : 0;
      } else if (out.kind != right.kind) {
        return Fail("comparison of different kinds");
      } else if (out.kind == ExprValue::kText) {
        order = out.text.compare(right.text);
        order = order < 0 ? -1 : order > 0 ? 1 : 0;
      } else if (out.kind == ExprValue::kDate) {
        const int64_t a = out.date[2] * 10000LL + out.date[1] * 100 + out.date[0];
        const int64_t b = right.date[2] * 10000LL + right.date[1] * 100 + right.date[0];
        order = a < b ? -1 : a > b ? 1 : 0;
      } else {
        order = out.integer < right.integer ? -1 : out.integer > right.integer ? 1 : 0;
      }
      bool answer = false;
      if (std::strcmp(op, "<=") == 0) answer = order <= 0;
      if (std::strcmp(op, ">=") == 0) answer = order >= 0;
      if (std::strcmp(op, "=") == 0) answer = order == 0;
      if (std::strcmp(op, "#") == 0) answer = order != 0;
      if (std::strcmp(op, "<") == 0) answer = order < 0;
      if (std::strcmp(op, ">") == 0) answer = order > 0;
      out = ExprValue{};
      out.kind = ExprValue::kBoolean;
      out.integer = answer ? 1 : 0;
      return true;
    }
    return true;
  }
  bool Sum(ExprValue& out, int depth) {
    if (!Product(out, depth)) return false;
    for (;;) {
      const bool plus = Take("+");
      if (!plus && !Take("-")) return true;
      ExprValue right;
      if (!Product(right, depth)) return false;
      if (plus && out.kind == ExprValue::kText && right.kind == ExprValue::kText) {
        out.text += right.text;
      } else if (out.kind == ExprValue::kTime && right.kind == ExprValue::kTime) {
        out.integer = plus ? out.integer + right.integer : out.integer - right.integer;
      } else if (!Arithmetic(out, right, plus ? '+' : '-')) {
        return false;
      }
    }
  }
  bool Product(ExprValue& out, int depth) {
    if (!Unary(out, depth)) return false;
    for (;;) {
      const bool times = Take("*");
      if (!times && !Take("/")) return true;
      ExprValue right;
      if (!Unary(right, depth)) return false;
      if (!Arithmetic(out, right, times ? '*' : '/')) return false;
    }
  }
  bool Arithmetic(ExprValue& out, const ExprValue& right, char op) {
    if (!IsNumber(out) || !IsNumber(right)) return Fail(std::string(1, op) + " needs numbers");
    if (op != '/' && out.kind == ExprValue::kLong && right.kind == ExprValue::kLong) {
      int64_t r = 0;
      const bool overflow = op == '+'   ? __builtin_add_overflow(out.integer, right.integer, &r)
                            : op == '-' ? __builtin_sub_overflow(out.integer, right.integer, &r)
                                        : __builtin_mul_overflow(out.integer, right.integer, &r);
      if (!overflow && r >= INT32_MIN && r <= INT32_MAX) {
        out.integer = r;
        return true;
      }
    }
    const double a = AsReal(out), b = AsReal(right);
    out.kind = ExprValue::kReal;
    out.real = op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b;
    return true;
  }
  bool Unary(ExprValue& out, int depth) {
    if (Take("-")) {
      if (depth + 1 > kExpressionDepthMax) return Fail("expression nested too deeply");
      if (!Unary(out, depth + 1)) return false;
      if (out.kind == ExprValue::kLong && out.integer != INT32_MIN) {
        out.integer = -out.integer;
      } else if (IsNumber(out)) {
        out.real = -AsReal(out);
        out.kind = ExprValue::kReal;
      } else {
        return Fail("- needs a number");
      }
      return true;
    }
    return Primary(out, depth);
  }
  bool Primary(ExprValue& out, int depth) {
    SkipSpace();
    if (fAt >= fText.size()) return Fail("missing operand");
    const char c = fText[fAt];
    if (c == '(') {
      ++fAt;
      if (!Or(out, depth + 1)) return false;
      if (!Take(")")) return Fail("missing )");
      return true;
    }
    if (c == '"') {
      const size_t end = fText.find('"', fAt + 1);
      if (end == std::string::npos) return Fail("unterminated text");
      out = ExprValue{};
      out.kind = ExprValue::kText;
      out.text = fText.substr(fAt + 1, end - fAt - 1);
      fAt = end + 1;
      return true;
    }
    if (c >= '0' && c <= '9') return Number(out);
    if (c == '[') {
      const size_t close = fText.find(']', fAt + 1);
      if (close == std::string::npos) return Fail("missing ]");
      const std::string table = fText.substr(fAt + 1, close - fAt - 1);
      fAt = close + 1;
      const std::string field = Name();
      if (field.empty()) return Fail("missing field name");
      if (!fLookups.field || !fLookups.field(table, field, out))
        return Fail("no field [" + table + "]" + field);
      return true;
    }
    std::string name;
    if (Take("<>")) name = "<>";
    const std::string rest = Name();
    if (rest.empty()) return Fail("unexpected character at " + std::to_string(fAt));
    name += rest;
    if (name == "True" || name == "False") {
      out = ExprValue{};
      out.kind = ExprValue::kBoolean;
      out.integer = name == "True" ? 1 : 0;
      return true;
    }
    if (!fLookups.variable || !fLookups.variable(name, out)) return Fail("no variable " + name);
    return true;
  }
  bool Number(ExprValue& out) {
    const size_t start = fAt;
    bool dot = false;
    while (fAt < fText.size() &&
           ((fText[fAt] >= '0' && fText[fAt] <= '9') || (fText[fAt] == '.' && !dot))) {
      if (fText[fAt] == '.') dot = true;
      ++fAt;
    }
    const std::string digits = fText.substr(start, fAt - start);
    out = ExprValue{};
    if (!dot && digits.size() <= 9) {
      out.kind = ExprValue::kLong;
      out.integer = std::stoll(digits);
    } else {
      out.kind = ExprValue::kReal;
      out.real = std::strtod(digits.c_str(), nullptr);
    }
    return true;
  }
  // Letters, digits, "_" and spaces inside a name; the trailing spaces are
  // not part of it. Bytes of UTF-8 sequences count as letters.
  std::string Name() {
    SkipSpace();
    const size_t start = fAt;
    while (fAt < fText.size()) {
      const unsigned char c = static_cast<unsigned char>(fText[fAt]);
      const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
                          c >= 0x80 || (fAt > start && ((c >= '0' && c <= '9') || c == ' '));
      if (!letter) break;
      ++fAt;
    }
    while (fAt > start && fText[fAt - 1] == ' ') --fAt;
    return fText.substr(start, fAt - start);
  }

  const std::string& fText;
  const ExprLookups& fLookups;
  size_t fAt = 0;
  std::string fError;
};

}  // namespace

std::vector<uint8_t> CompileExpression(const std::string& source) {
  if (source.size() > kExpressionSourceMax) return {};
  std::vector<uint8_t> out(4 + source.size());
  const uint32_t magic = kCompiledExpressionMagic;
  std::memcpy(out.data(), &magic, 4);
  if (!source.empty()) std::memcpy(out.data() + 4, source.data(), source.size());
  return out;
}

bool ReadCompiledExpression(const uint8_t* bytes, size_t size, std::string& source) {
  if (bytes == nullptr || size < 4 || size - 4 > kExpressionSourceMax) return false;
  uint32_t magic = 0;
  std::memcpy(&magic, bytes, 4);
  if (magic != kCompiledExpressionMagic || !ValidUtf8(bytes + 4, size - 4)) return false;
  source.assign(reinterpret_cast<const char*>(bytes + 4), size - 4);
  return true;
}

bool SwapCompiledExpression(uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size < 4) return false;
  uint32_t magic = 0;
  std::memcpy(&magic, bytes, 4);
  if (magic == kCompiledExpressionMagic) return true;
  if (magic != __builtin_bswap32(kCompiledExpressionMagic)) return false;
  magic = kCompiledExpressionMagic;
  std::memcpy(bytes, &magic, 4);
  return true;
}

bool EvaluateExpression(const std::string& source, const ExprLookups& lookups, ExprValue& result,
                        std::string* error) {
  Parser parser(source, lookups);
  std::string why;
  result = ExprValue{};
  if (parser.Run(result, why)) return true;
  if (error != nullptr) *error = why;
  return false;
}
