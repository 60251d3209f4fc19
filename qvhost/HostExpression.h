// The stand-in host's expressions: "[Table]Field" references, process and
// interprocess variables, number, text and Boolean literals, and the usual
// operators (+ - * / on numbers, + on texts, = # < > <= >= comparing, & and
// | on Booleans, parentheses). The compiled form that the host hands the
// module, and that ends up in stored documents, describes itself: a magic
// word in the host's byte order, then the expression's text in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// 'QVEX' in the byte order of the machine that compiled it.
constexpr uint32_t kCompiledExpressionMagic = 0x51564558;
// The longest source the host compiles, and the deepest nesting it reads.
constexpr size_t kExpressionSourceMax = 32000;
constexpr int kExpressionDepthMax = 64;

// A picture passes through as it is: an expression may name one (a picture
// field or variable), but no operator takes it.
struct ExprValue {
  enum Kind { kNone, kReal, kLong, kText, kBoolean, kDate, kTime, kPicture };
  Kind kind = kNone;
  double real = 0;
  int64_t integer = 0;          // long, Boolean (0 or 1), time in seconds
  std::string text;             // UTF-8
  int16_t date[3] = {0, 0, 0};  // day, month, year
  std::vector<uint8_t> picture;  // the picture's bytes as the host stores them
};

// What an expression reads: a field by its table's and its own name, a
// variable by its name ("<>" in front for an interprocess one). False when
// there is no such field or variable.
struct ExprLookups {
  std::function<bool(const std::string& table, const std::string& field, ExprValue& out)> field;
  std::function<bool(const std::string& name, ExprValue& out)> variable;
};

// The compiled form of a UTF-8 source; empty for a source that is too long.
std::vector<uint8_t> CompileExpression(const std::string& source);
// The source of a compiled form: false for bytes that are no compiled form
// of this machine's order (too short, another magic word, text that is not
// UTF-8 or holds a zero).
bool ReadCompiledExpression(const uint8_t* bytes, size_t size, std::string& source);
// Turns a compiled form of the other byte order into this machine's, in
// place; true when the bytes are a compiled form of either order.
bool SwapCompiledExpression(uint8_t* bytes, size_t size);

// Evaluates a source; false with a reason for a text that does not parse
// or reads what does not exist, or an operation on values it does not fit.
bool EvaluateExpression(const std::string& source, const ExprLookups& lookups, ExprValue& result,
                        std::string* error);
