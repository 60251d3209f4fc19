// Parser of the resource compiler's text form (see ResourceScript.h).
#include "tools/rescomp/ResourceScript.h"

#include "tools/rescomp/ColorIconText.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <utility>

namespace {

// Unicode of the Mac Roman bytes 0x80 to 0xFF; bytes below 0x80 are ASCII.
constexpr uint16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

bool MacRomanByte(uint32_t cp, uint8_t* byte) {
  if (cp < 0x80) {
    *byte = static_cast<uint8_t>(cp);
    return true;
  }
  for (int i = 0; i < 128; ++i) {
    if (kMacRomanHigh[i] == cp) {
      *byte = static_cast<uint8_t>(0x80 + i);
      return true;
    }
  }
  return false;
}

// Decodes one UTF-8 character at `s[*i]`; false for a malformed sequence.
bool NextCodePoint(const std::string& s, size_t* i, uint32_t* cp) {
  const auto b0 = static_cast<uint8_t>(s[*i]);
  int extra;
  uint32_t min;
  if (b0 < 0x80) {
    *cp = b0;
    ++*i;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1, min = 0x80, *cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, min = 0x800, *cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, min = 0x10000, *cp = b0 & 0x07;
  } else {
    return false;
  }
  if (*i + static_cast<size_t>(extra) >= s.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(s[*i + k]);
    if ((b & 0xC0) != 0x80) return false;
    *cp = (*cp << 6) | (b & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return false;
  *i += extra + 1;
  return true;
}

std::string Hex4(uint32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", cp);
  return buf;
}

enum class Tok { End, Word, Number, Type, String, Open, Close };

struct Token {
  Tok kind = Tok::End;
  std::string text;   // a word, or the bytes of a string or type (escapes done, still UTF-8)
  std::vector<size_t> raw;  // offsets in `text` of bytes given as \xHH, kept as they are
  int64_t value = 0;        // a number
  int line = 0;
};

// Text to Mac Roman bytes; the bytes at the offsets in `raw` pass unchanged.
bool ToMacRoman(const std::string& text, const std::vector<size_t>& raw, std::string* out,
                std::string* error) {
  out->clear();
  size_t r = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (r < raw.size() && raw[r] == i) {
      *out += text[i++];
      ++r;
      continue;
    }
    uint32_t cp;
    // A \xHH byte can not finish a character that the text began.
    if (!NextCodePoint(text, &i, &cp) || (r < raw.size() && raw[r] < i)) {
      *error = "text is not valid UTF-8";
      return false;
    }
    uint8_t b;
    if (!MacRomanByte(cp, &b)) {
      *error = "character " + Hex4(cp) + " has no Mac Roman form";
      return false;
    }
    *out += static_cast<char>(b);
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& file, std::vector<CompiledResource>* out)
      : text_(text), file_(file), out_(out) {}

  bool Run(std::string* error) {
    for (const CompiledResource& r : *out_) seen_[{r.type, r.id}] = r.where;
    bool ok = ParseFile();
    if (!ok) *error = error_;
    return ok;
  }

 private:
  bool Fail(int line, const std::string& message) {
    error_ = file_ + ":" + std::to_string(line) + ": " + message;
    return false;
  }

  // ---- lexer ----

  bool Lex(Token* t) {
    // Skip blanks and comments.
    for (;;) {
      while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
      }
      if (pos_ < text_.size() && text_[pos_] == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        continue;
      }
      break;
    }
    t->line = line_;
    t->text.clear();
    t->raw.clear();
    t->value = 0;
    if (pos_ >= text_.size()) {
      t->kind = Tok::End;
      return true;
    }
    const char c = text_[pos_];
    if (c == '{' || c == '}') {
      t->kind = c == '{' ? Tok::Open : Tok::Close;
      ++pos_;
      return true;
    }
    if (c == '"' || c == '\'') {
      t->kind = c == '"' ? Tok::String : Tok::Type;
      return LexQuoted(c, t);
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      t->kind = Tok::Word;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
        t->text += text_[pos_++];
      return true;
    }
    if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
      t->kind = Tok::Number;
      return LexNumber(t);
    }
    return Fail(line_, std::string("unexpected character '") + c + "'");
  }

  bool LexNumber(Token* t) {
    const size_t start = pos_;
    bool negative = false;
    if (text_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    int base = 10;
    if (pos_ + 1 < text_.size() && text_[pos_] == '0' && (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X')) {
      base = 16;
      pos_ += 2;
    }
    uint64_t v = 0;
    int digits = 0;
    while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) {
      const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
      int dv = -1;
      if (d >= '0' && d <= '9') dv = d - '0';
      if (base == 16 && d >= 'a' && d <= 'f') dv = d - 'a' + 10;
      if (dv < 0) return Fail(line_, "bad number '" + text_.substr(start, pos_ - start + 1) + "'");
      v = v * base + static_cast<uint64_t>(dv);
      if (v > 0xFFFFFFFFull) return Fail(line_, "number too large");
      ++digits;
      ++pos_;
    }
    if (digits == 0) return Fail(line_, "bad number '" + text_.substr(start, pos_ - start) + "'");
    t->value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
  }

  // A quoted text: escapes are resolved; \xHH bytes are marked so that the
  // Mac Roman conversion passes them through unchanged.
  bool LexQuoted(char quote, Token* t) {
    const int startLine = line_;
    ++pos_;
    std::string& s = t->text;
    for (;;) {
      if (pos_ >= text_.size()) return Fail(startLine, "unterminated text");
      char c = text_[pos_++];
      if (c == quote) break;
      if (c == '\n') ++line_;
      if (c != '\\') {
        s += c;
        continue;
      }
      if (pos_ >= text_.size()) return Fail(startLine, "unterminated text");
      c = text_[pos_++];
      switch (c) {
        case '\\': s += '\\'; break;
        case '"': s += '"'; break;
        case '\'': s += '\''; break;
        case 't': s += '\t'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case '0': s += '\0'; break;
        case 'x': {
          int v = 0;
          for (int k = 0; k < 2; ++k) {
            const char h = pos_ < text_.size() ? text_[pos_] : '\0';
            if (!std::isxdigit(static_cast<unsigned char>(h))) return Fail(line_, "\\x needs two hex digits");
            v = v * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : std::tolower(h) - 'a' + 10);
            ++pos_;
          }
          t->raw.push_back(s.size());
          s += static_cast<char>(v);
          break;
        }
        default:
          return Fail(line_, std::string("unknown escape \\") + c);
      }
    }
    return true;
  }

  // The token's text as Mac Roman bytes.
  bool MacRoman(const Token& t, std::string* out) {
    std::string why;
    if (!ToMacRoman(t.text, t.raw, out, &why)) return Fail(t.line, why);
    return true;
  }

  bool Next(Token* t) {
    if (havePeek_) {
      *t = peek_;
      havePeek_ = false;
      return true;
    }
    return Lex(t);
  }

  bool Peek(Token* t) {
    if (!havePeek_) {
      if (!Lex(&peek_)) return false;
      havePeek_ = true;
    }
    *t = peek_;
    return true;
  }

  // ---- grammar ----

  bool ParseFile() {
    for (;;) {
      Token t;
      if (!Next(&t)) return false;
      if (t.kind == Tok::End) return true;
      if (t.kind != Tok::Word || t.text != "resource") return Fail(t.line, "expected 'resource'");
      if (!ParseResource(t.line)) return false;
    }
  }

  bool ParseResource(int line) {
    CompiledResource r;
    r.where = file_ + ":" + std::to_string(line);
    Token t;
    if (!Next(&t)) return false;
    std::string type;
    if (t.kind == Tok::Number) {
      // A numeric type, as a library's resources may have.
      if (t.value < 1 || t.value > 0xFFFF) return Fail(t.line, "a numeric type lies in 1 to 65535");
      r.type = static_cast<uint32_t>(t.value);
      type = std::to_string(t.value);
    } else {
      if (t.kind != Tok::Type) return Fail(t.line, "expected a type in single quotes");
      if (!MacRoman(t, &type)) return false;
      if (type.size() != 4) return Fail(t.line, "a type has four characters");
      r.type = (uint32_t(uint8_t(type[0])) << 24) | (uint32_t(uint8_t(type[1])) << 16) |
               (uint32_t(uint8_t(type[2])) << 8) | uint32_t(uint8_t(type[3]));
    }
    if (!Next(&t)) return false;
    if (t.kind != Tok::Number) return Fail(t.line, "expected the resource id");
    if (t.value < -32768 || t.value > 32767) return Fail(t.line, "id out of range -32768 to 32767");
    r.id = static_cast<int16_t>(t.value);

    if (!Next(&t)) return false;
    if (t.kind == Tok::String) {
      if (!MacRoman(t, &r.name)) return false;
      if (r.name.size() > 255) return Fail(t.line, "name longer than 255 bytes");
      if (!Next(&t)) return false;
    }
    if (t.kind == Tok::Word && t.text == "attrs") {
      if (!Next(&t)) return false;
      if (t.kind != Tok::Number || t.value < 0 || t.value > 255) return Fail(t.line, "attrs needs a value 0 to 255");
      // The changed mark belongs to the resource manager at run time.
      if (t.value & 0x02) return Fail(t.line, "attribute 2 (changed) can not be stored");
      r.attrs = static_cast<uint8_t>(t.value);
      if (!Next(&t)) return false;
    }
    if (t.kind != Tok::Open) return Fail(t.line, "expected '{'");

    // A colour icon may be given as pixel art instead of bytes: a palette,
    // then its rows, and nothing else.
    std::vector<std::string> palette, rows;
    bool bytesGiven = false;
    for (;;) {
      if (!Next(&t)) return false;
      if (t.kind == Tok::Close) break;
      if (t.kind == Tok::End) return Fail(t.line, "missing '}' of the resource at line " + std::to_string(line));
      if (t.kind != Tok::Word) return Fail(t.line, "expected u8, u16, u32, hex, pstr or bytes");
      const bool art = t.text == "palette" || t.text == "pixels";
      if (art && type != "cicn") return Fail(t.line, t.text + " belongs to a 'cicn' resource");
      if (art && bytesGiven) return Fail(t.line, "pixel art can not follow bytes");
      if (!art && !palette.empty()) return Fail(t.line, "bytes can not follow pixel art");
      if (t.text == "palette") {
        if (!palette.empty()) return Fail(t.line, "the icon has its palette already");
        if (!ParseTexts(t, &palette)) return false;
      } else if (t.text == "pixels") {
        if (palette.empty()) return Fail(t.line, "pixels need a palette before them");
        if (!rows.empty()) return Fail(t.line, "the icon has its pixels already");
        if (!ParseTexts(t, &rows)) return false;
      } else if (t.text == "u8" || t.text == "u16" || t.text == "u32") {
        bytesGiven = true;
        if (!ParseValues(t, &r.data)) return false;
      } else if (t.text == "hex" || t.text == "pstr" || t.text == "bytes") {
        bytesGiven = true;
        if (!ParseText(t.text, &r.data)) return false;
      } else {
        return Fail(t.line, "unknown statement '" + t.text + "'");
      }
    }
    if (!palette.empty()) {
      std::string why;
      if (rows.empty()) return Fail(line, "the icon's palette has no pixels after it");
      if (!BuildColorIcon(palette, rows, &r.data, &why)) return Fail(line, why);
    }

    auto [it, fresh] = seen_.emplace(std::make_pair(r.type, r.id), r.where);
    if (!fresh) {
      return Fail(line, "resource '" + type + "' " + std::to_string(r.id) + " already defined at " +
                            it->second);
    }
    out_->push_back(std::move(r));
    return true;
  }

  bool ParseValues(const Token& kw, std::vector<uint8_t>* data) {
    const int width = kw.text == "u8" ? 1 : kw.text == "u16" ? 2 : 4;
    const int64_t lo = -(int64_t(1) << (8 * width - 1));
    const int64_t hi = (int64_t(1) << (8 * width)) - 1;
    int count = 0;
    for (;;) {
      Token t;
      if (!Peek(&t)) return false;
      if (t.kind != Tok::Number) break;
      Next(&t);
      if (t.value < lo || t.value > hi)
        return Fail(t.line, "value " + std::to_string(t.value) + " does not fit " + kw.text);
      const auto v = static_cast<uint32_t>(t.value);
      for (int b = width - 1; b >= 0; --b) data->push_back(static_cast<uint8_t>(v >> (8 * b)));
      ++count;
    }
    if (count == 0) return Fail(kw.line, kw.text + " needs at least one value");
    return true;
  }

  // One or more texts in double quotes after a keyword.
  bool ParseTexts(const Token& kw, std::vector<std::string>* texts) {
    for (;;) {
      Token t;
      if (!Peek(&t)) return false;
      if (t.kind != Tok::String) break;
      Next(&t);
      texts->push_back(t.text);
    }
    if (texts->empty()) return Fail(kw.line, kw.text + " needs at least one text in double quotes");
    return true;
  }

  bool ParseText(const std::string& kind, std::vector<uint8_t>* data) {
    Token t;
    if (!Next(&t)) return false;
    if (t.kind != Tok::String) return Fail(t.line, kind + " needs a text in double quotes");
    if (kind == "hex") {
      int half = -1;
      for (char c : t.text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return Fail(t.line, "hex holds a non-hex character");
        const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (half < 0) {
          half = v;
        } else {
          data->push_back(static_cast<uint8_t>(half * 16 + v));
          half = -1;
        }
      }
      if (half >= 0) return Fail(t.line, "hex needs an even number of digits");
      return true;
    }
    std::string bytes;
    if (!MacRoman(t, &bytes)) return false;
    if (kind == "pstr") {
      if (bytes.size() > 255) return Fail(t.line, "pstr longer than 255 bytes");
      data->push_back(static_cast<uint8_t>(bytes.size()));
    }
    data->insert(data->end(), bytes.begin(), bytes.end());
    return true;
  }

  const std::string& text_;
  const std::string& file_;
  std::vector<CompiledResource>* out_;
  size_t pos_ = 0;
  int line_ = 1;
  std::string error_;
  Token peek_;
  bool havePeek_ = false;
  std::map<std::pair<uint32_t, int16_t>, std::string> seen_;
};

}  // namespace

bool ParseResourceScript(const std::string& text, const std::string& fileName,
                         std::vector<CompiledResource>* out, std::string* error) {
  Parser parser(text, fileName, out);
  return parser.Run(error);
}

bool Utf8ToMacRoman(const std::string& utf8, std::string* macRoman, std::string* error) {
  return ToMacRoman(utf8, {}, macRoman, error);
}
