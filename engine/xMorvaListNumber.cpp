// The list-number styles, and the names of styles 5 and 6 kept from the
// package's string lists.
#include "engine/xMorvaListNumber.h"

#include <memory>

#include "engine/xMorvaEngineHost.h"
#include "framework/core/strings/VUniString.h"

namespace {

constexpr int32_t kStyle5Names = 7;
constexpr int32_t kStyle6Names = 12;

struct ListNames {
  VStr<255> style5[kStyle5Names];
  VStr<255> style6[kStyle6Names];
};
std::unique_ptr<ListNames> sNames;

const ListNames& Names() {
  if (!sNames) {
    sNames = std::make_unique<ListNames>();
    if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) {
      for (int16_t i = 0; i < kStyle5Names; ++i) host->GetPackageString(kListNumberStyle5, i + 1, sNames->style5[i]);
      for (int16_t i = 0; i < kStyle6Names; ++i) host->GetPackageString(kListNumberStyle6, i + 1, sNames->style6[i]);
    }
  }
  return *sNames;
}

// A text built backwards: the widest any style makes is a name of 255
// units; only the last kListNumberUnits reach the caller.
class Backwards {
 public:
  void Put(char16_t unit) {
    if (fCount < kCapacity) fUnits[kCapacity - 1 - fCount++] = unit;
  }
  int32_t CopyTo(char16_t* last) const {
    const int32_t count = fCount < kListNumberUnits ? fCount : kListNumberUnits;
    for (int32_t i = 0; i < count; ++i) *(last - i) = fUnits[kCapacity - 1 - i];
    return count;
  }

 private:
  static constexpr int32_t kCapacity = 256;
  char16_t fUnits[kCapacity] = {};
  int32_t fCount = 0;
};

void PutRoman(int32_t n, bool upper, Backwards& out) {
  static const char kLower[] = "ivxlcdm";
  static const char kUpper[] = "IVXLCDM";
  const char* letters = upper ? kUpper : kLower;
  for (int32_t decade = 0; n != 0; ++decade, n /= 10) {
    const int32_t d = n % 10;
    const char16_t one = letters[2 * decade];
    // Thousands have no five or ten; n below 4000 never needs them.
    const char16_t five = decade < 3 ? letters[2 * decade + 1] : one;
    const char16_t ten = decade < 3 ? letters[2 * decade + 2] : one;
    // Written backwards: the last letter of the digit first.
    if (d == 9) {
      out.Put(ten);
      out.Put(one);
    } else if (d == 4) {
      out.Put(five);
      out.Put(one);
    } else {
      for (int32_t i = 0; i < d % 5; ++i) out.Put(one);
      if (d >= 5) out.Put(five);
    }
  }
}

void PutName(const VString& name, Backwards& out) {
  for (int32_t i = name.GetLength(); i >= 1; --i) out.Put(name.GetCharAt(i));
}

}  // namespace

int32_t FormatListNumber(int32_t n, int32_t style, char16_t* last) {
  if (n < 1 || last == nullptr) return 0;
  Backwards out;
  switch (style) {
    case 0:
      for (int32_t v = n; v != 0; v /= 10) out.Put(char16_t('0' + v % 10));
      break;
    case 1:
    case 2: {
      const char16_t a = style == 1 ? u'a' : u'A';
      int32_t v = n;
      do {
        --v;
        out.Put(char16_t(a + v % 26));
        v /= 26;
      } while (v != 0);
      break;
    }
    case 3:
    case 4:
      if (n > 3999) return 0;
      PutRoman(n, style == 4, out);
      break;
    case 5:
      PutName(Names().style5[(n - 1) % kStyle5Names], out);
      break;
    case 6:
      PutName(Names().style6[(n - 1) % kStyle6Names], out);
      break;
    default:
      return 0;
  }
  return out.CopyTo(last);
}

void ForgetListNumberNames() { sNames.reset(); }
