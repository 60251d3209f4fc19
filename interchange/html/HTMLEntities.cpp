// The HTML 4.0 entity table and the character encoder over it.
#include "interchange/html/HTMLEntities.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "framework/core/strings/VHtmlEntityEncoder.h"

const HTMLEntity HTMLEntityTable[kHTMLEntityCount + 1] = {
    // Latin-1.
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164}, {"yen", 165},
    {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169}, {"ordf", 170}, {"laquo", 171},
    {"not", 172}, {"shy", 173}, {"reg", 174}, {"macr", 175}, {"deg", 176}, {"plusmn", 177},
    {"sup2", 178}, {"sup3", 179}, {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183},
    {"cedil", 184}, {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
    {"Atilde", 195}, {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199},
    {"Egrave", 200}, {"Eacute", 201}, {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204},
    {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207}, {"ETH", 208}, {"Ntilde", 209}, {"Ograve", 210},
    {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213}, {"Ouml", 214}, {"times", 215},
    {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219}, {"Uuml", 220},
    {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224}, {"aacute", 225},
    {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229}, {"aelig", 230},
    {"ccedil", 231}, {"egrave", 232}, {"eacute", 233}, {"ecirc", 234}, {"euml", 235},
    {"igrave", 236}, {"iacute", 237}, {"icirc", 238}, {"iuml", 239}, {"eth", 240}, {"ntilde", 241},
    {"ograve", 242}, {"oacute", 243}, {"ocirc", 244}, {"otilde", 245}, {"ouml", 246},
    {"divide", 247}, {"oslash", 248}, {"ugrave", 249}, {"uacute", 250}, {"ucirc", 251},
    {"uuml", 252}, {"yacute", 253}, {"thorn", 254}, {"yuml", 255},
    // Symbols, mathematical symbols and Greek letters.
    {"fnof", 402}, {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916},
    {"Epsilon", 917}, {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927}, {"Pi", 928},
    {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934}, {"Chi", 935},
    {"Psi", 936}, {"Omega", 937}, {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948},
    {"epsilon", 949}, {"zeta", 950}, {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954},
    {"lambda", 955}, {"mu", 956}, {"nu", 957}, {"xi", 958}, {"omicron", 959}, {"pi", 960},
    {"rho", 961}, {"sigmaf", 962}, {"sigma", 963}, {"tau", 964}, {"upsilon", 965}, {"phi", 966},
    {"chi", 967}, {"psi", 968}, {"omega", 969}, {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"bull", 8226}, {"hellip", 8230}, {"prime", 8242}, {"Prime", 8243}, {"oline", 8254},
    {"frasl", 8260}, {"weierp", 8472}, {"image", 8465}, {"real", 8476}, {"trade", 8482},
    {"alefsym", 8501}, {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595},
    {"harr", 8596}, {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658},
    {"dArr", 8659}, {"hArr", 8660}, {"forall", 8704}, {"part", 8706}, {"exist", 8707},
    {"empty", 8709}, {"nabla", 8711}, {"isin", 8712}, {"notin", 8713}, {"ni", 8715},
    {"prod", 8719}, {"sum", 8721}, {"minus", 8722}, {"lowast", 8727}, {"radic", 8730},
    {"prop", 8733}, {"infin", 8734}, {"ang", 8736}, {"and", 8743}, {"or", 8744}, {"cap", 8745},
    {"cup", 8746}, {"int", 8747}, {"there4", 8756}, {"sim", 8764}, {"cong", 8773},
    {"asymp", 8776}, {"ne", 8800}, {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834},
    {"sup", 8835}, {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853},
    {"otimes", 8855}, {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968}, {"rceil", 8969},
    {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002}, {"loz", 9674},
    {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830},
    // Markup-significant and internationalization characters.
    {"quot", 34}, {"amp", 38}, {"lt", 60}, {"gt", 62}, {"OElig", 338}, {"oelig", 339},
    {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376}, {"circ", 710}, {"tilde", 732},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205},
    {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216},
    {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225}, {"permil", 8240}, {"lsaquo", 8249}, {"rsaquo", 8250},
    {"euro", 8364},
    // The end of the table.
    {"", 0},
};

namespace {

// The entries ordered by their character, for the binary search of the
// encoder; every character has at most one name.
using ByCode = std::array<const HTMLEntity*, kHTMLEntityCount>;

const ByCode& EntitiesByCode() {
  static const ByCode sorted = [] {
    ByCode entries{};
    for (int32_t i = 0; i < kHTMLEntityCount; ++i) entries[i] = &HTMLEntityTable[i];
    std::sort(entries.begin(), entries.end(),
              [](const HTMLEntity* a, const HTMLEntity* b) { return a->code < b->code; });
    return entries;
  }();
  return sorted;
}

const HTMLEntity* FindByCode(char16_t c) {
  const ByCode& entries = EntitiesByCode();
  auto found = std::lower_bound(entries.begin(), entries.end(), c,
                                [](const HTMLEntity* e, char16_t code) { return e->code < code; });
  return found != entries.end() && (*found)->code == c ? *found : nullptr;
}

}  // namespace

const uint8_t* EncodeHtmlEntity(char16_t c) {
  // The longest form is a name of 9 characters between "&" and ";".
  static uint8_t text[16];
  const char* name = nullptr;
  if (const HTMLEntity* entity = FindByCode(c)) name = entity->name;
  int length = 0;
  if (name != nullptr) {
    length = std::snprintf(reinterpret_cast<char*>(text + 1), sizeof text - 1, "&%s;", name);
  } else if (c < 32 || c > 127) {
    length = std::snprintf(reinterpret_cast<char*>(text + 1), sizeof text - 1, "&#%u;", unsigned(c));
  } else {
    text[1] = static_cast<uint8_t>(c);
    length = 1;
  }
  text[0] = static_cast<uint8_t>(length);
  return text;
}

const VHtmlEntityEncoder kHtmlEntityEncoder = {&EncodeHtmlEntity};

// The colour names of HTML browsers with the values of the standard list.
const HTMLColor HTMLColorTable[kHTMLColorCount] = {
    {"aliceblue", 0xF0, 0xF8, 0xFF}, {"antiquewhite", 0xFA, 0xEB, 0xD7}, {"aqua", 0x00, 0xFF, 0xFF},
    {"aquamarine", 0x7F, 0xFF, 0xD4}, {"azure", 0xF0, 0xFF, 0xFF}, {"beige", 0xF5, 0xF5, 0xDC},
    {"bisque", 0xFF, 0xE4, 0xC4}, {"black", 0x00, 0x00, 0x00}, {"blanchedalmond", 0xFF, 0xEB, 0xCD},
    {"blue", 0x00, 0x00, 0xFF}, {"blueviolet", 0x8A, 0x2B, 0xE2}, {"brown", 0xA5, 0x2A, 0x2A},
    {"burlywood", 0xDE, 0xB8, 0x87}, {"cadetblue", 0x5F, 0x9E, 0xA0},
    {"chartreuse", 0x7F, 0xFF, 0x00}, {"chocolate", 0xD2, 0x69, 0x1E}, {"coral", 0xFF, 0x7F, 0x50},
    {"cornflowerblue", 0x64, 0x95, 0xED}, {"cornsilk", 0xFF, 0xF8, 0xDC},
    {"crimson", 0xDC, 0x14, 0x3C}, {"cyan", 0x00, 0xFF, 0xFF}, {"darkblue", 0x00, 0x00, 0x8B},
    {"darkcyan", 0x00, 0x8B, 0x8B}, {"darkgoldenrod", 0xB8, 0x86, 0x0B},
    {"darkgray", 0xA9, 0xA9, 0xA9}, {"darkgreen", 0x00, 0x64, 0x00},
    {"darkkhaki", 0xBD, 0xB7, 0x6B}, {"darkmagenta", 0x8B, 0x00, 0x8B},
    {"darkolivegreen", 0x55, 0x6B, 0x2F}, {"darkorange", 0xFF, 0x8C, 0x00},
    {"darkorchid", 0x99, 0x32, 0xCC}, {"darkred", 0x8B, 0x00, 0x00},
    {"darksalmon", 0xE9, 0x96, 0x7A}, {"darkseagreen", 0x8F, 0xBC, 0x8F},
    {"darkslateblue", 0x48, 0x3D, 0x8B}, {"darkslategray", 0x2F, 0x4F, 0x4F},
    {"darkturquoise", 0x00, 0xCE, 0xD1}, {"darkviolet", 0x94, 0x00, 0xD3},
    {"deeppink", 0xFF, 0x14, 0x93}, {"deepskyblue", 0x00, 0xBF, 0xFF},
    {"dimgray", 0x69, 0x69, 0x69}, {"dodgerblue", 0x1E, 0x90, 0xFF},
    {"firebrick", 0xB2, 0x22, 0x22}, {"floralwhite", 0xFF, 0xFA, 0xF0},
    {"forestgreen", 0x22, 0x8B, 0x22}, {"fuchsia", 0xFF, 0x00, 0xFF},
    {"gainsboro", 0xDC, 0xDC, 0xDC}, {"ghostwhite", 0xF8, 0xF8, 0xFF}, {"gold", 0xFF, 0xD7, 0x00},
    {"goldenrod", 0xDA, 0xA5, 0x20}, {"gray", 0x80, 0x80, 0x80}, {"green", 0x00, 0x80, 0x00},
    {"greenyellow", 0xAD, 0xFF, 0x2F}, {"honeydew", 0xF0, 0xFF, 0xF0},
    {"hotpink", 0xFF, 0x69, 0xB4}, {"indianred", 0xCD, 0x5C, 0x5C}, {"indigo", 0x4B, 0x00, 0x82},
    {"ivory", 0xFF, 0xFF, 0xF0}, {"khaki", 0xF0, 0xE6, 0x8C}, {"lavender", 0xE6, 0xE6, 0xFA},
    {"lavenderblush", 0xFF, 0xF0, 0xF5}, {"lawngreen", 0x7C, 0xFC, 0x00},
    {"lemonchiffon", 0xFF, 0xFA, 0xCD}, {"lightblue", 0xAD, 0xD8, 0xE6},
    {"lightcoral", 0xF0, 0x80, 0x80}, {"lightcyan", 0xE0, 0xFF, 0xFF},
    {"lightgoldenrodyellow", 0xFA, 0xFA, 0xD2}, {"lightgreen", 0x90, 0xEE, 0x90},
    {"lightgrey", 0xD3, 0xD3, 0xD3}, {"lightpink", 0xFF, 0xB6, 0xC1},
    {"lightsalmon", 0xFF, 0xA0, 0x7A}, {"lightseagreen", 0x20, 0xB2, 0xAA},
    {"lightskyblue", 0x87, 0xCE, 0xFA}, {"lightslategray", 0x77, 0x88, 0x99},
    {"lightsteelblue", 0xB0, 0xC4, 0xDE}, {"lightyellow", 0xFF, 0xFF, 0xE0},
    {"lime", 0x00, 0xFF, 0x00}, {"limegreen", 0x32, 0xCD, 0x32}, {"linen", 0xFA, 0xF0, 0xE6},
    {"magenta", 0xFF, 0x00, 0xFF}, {"maroon", 0x80, 0x00, 0x00},
    {"mediumaquamarine", 0x66, 0xCD, 0xAA}, {"mediumblue", 0x00, 0x00, 0xCD},
    {"mediumorchid", 0xBA, 0x55, 0xD3}, {"mediumpurple", 0x93, 0x70, 0xDB},
    {"mediumseagreen", 0x3C, 0xB3, 0x71}, {"mediumslateblue", 0x7B, 0x68, 0xEE},
    {"mediumspringgreen", 0x00, 0xFA, 0x9A}, {"mediumturquoise", 0x48, 0xD1, 0xCC},
    {"mediumvioletred", 0xC7, 0x15, 0x85}, {"midnightblue", 0x19, 0x19, 0x70},
    {"mintcream", 0xF5, 0xFF, 0xFA}, {"mistyrose", 0xFF, 0xE4, 0xE1},
    {"moccasin", 0xFF, 0xE4, 0xB5}, {"navajowhite", 0xFF, 0xDE, 0xAD}, {"navy", 0x00, 0x00, 0x80},
    {"oldlace", 0xFD, 0xF5, 0xE6}, {"olive", 0x80, 0x80, 0x00}, {"olivedrab", 0x6B, 0x8E, 0x23},
    {"orange", 0xFF, 0xA5, 0x00}, {"orangered", 0xFF, 0x45, 0x00}, {"orchid", 0xDA, 0x70, 0xD6},
    {"palegoldenrod", 0xEE, 0xE8, 0xAA}, {"palegreen", 0x98, 0xFB, 0x98},
    {"paleturquoise", 0xAF, 0xEE, 0xEE}, {"palevioletred", 0xDB, 0x70, 0x93},
    {"papayawhip", 0xFF, 0xEF, 0xD5}, {"peachpuff", 0xFF, 0xDA, 0xB9}, {"peru", 0xCD, 0x85, 0x3F},
    {"pink", 0xFF, 0xC0, 0xCB}, {"plum", 0xDD, 0xA0, 0xDD}, {"powderblue", 0xB0, 0xE0, 0xE6},
    {"purple", 0x80, 0x00, 0x80}, {"red", 0xFF, 0x00, 0x00}, {"rosybrown", 0xBC, 0x8F, 0x8F},
    {"royalblue", 0x41, 0x69, 0xE1}, {"saddlebrown", 0x8B, 0x45, 0x13},
    {"salmon", 0xFA, 0x80, 0x72}, {"sandybrown", 0xF4, 0xA4, 0x60}, {"seagreen", 0x2E, 0x8B, 0x57},
    {"seashell", 0xFF, 0xF5, 0xEE}, {"sienna", 0xA0, 0x52, 0x2D}, {"silver", 0xC0, 0xC0, 0xC0},
    {"skyblue", 0x87, 0xCE, 0xEB}, {"slateblue", 0x6A, 0x5A, 0xCD}, {"slategray", 0x70, 0x80, 0x90},
    {"snow", 0xFF, 0xFA, 0xFA}, {"springgreen", 0x00, 0xFF, 0x7F}, {"steelblue", 0x46, 0x82, 0xB4},
    {"tan", 0xD2, 0xB4, 0x8C}, {"teal", 0x00, 0x80, 0x80}, {"thistle", 0xD8, 0xBF, 0xD8},
    {"tomato", 0xFF, 0x63, 0x47}, {"turquoise", 0x40, 0xE0, 0xD0}, {"violet", 0xEE, 0x82, 0xEE},
    {"wheat", 0xF5, 0xDE, 0xB3}, {"white", 0xFF, 0xFF, 0xFF}, {"whitesmoke", 0xF5, 0xF5, 0xF5},
    {"yellow", 0xFF, 0xFF, 0x00}, {"yellowgreen", 0x9A, 0xCD, 0x32},
};

std::string EncodeHtmlColor(int32_t colour, bool quoted) {
  const auto red = uint8_t(colour & 0xFF);
  const auto green = uint8_t((colour >> 8) & 0xFF);
  const auto blue = uint8_t((colour >> 16) & 0xFF);
  std::string text;
  for (const HTMLColor& entry : HTMLColorTable) {
    if (entry.red == red && entry.green == green && entry.blue == blue) {
      text = entry.name;
      break;
    }
  }
  if (text.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", unsigned(red), unsigned(green), unsigned(blue));
    text = hex;
  }
  return quoted ? "\"" + text + "\"" : text;
}
