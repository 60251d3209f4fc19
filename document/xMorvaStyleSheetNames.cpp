// The whole names of the style sheets: a sheet's resource name holds at most
// 31 characters of the Macintosh set, so a name it cannot carry whole is
// kept beside the sheet, and the host's forms are given a Macintosh form of
// every name that no other sheet shows.
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/StoredRecord_p.h"
#include "document/xMorvaStyleSheet.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/StringStreamForm.h"
#include "framework/system/resources/VResourceFile.h"

namespace {

constexpr uint32_t kNameVersion = FourCC("0100");
// What a resource name holds: a length byte and 31 Macintosh characters.
constexpr int32_t kResourceNameLength = 31;
constexpr int32_t kMacCharSet = 0;
// Shown in a form for a character the Macintosh set lacks.
constexpr char16_t kUncarried = u'?';
// Room kept behind a form for " n", so that a longer one never falls back
// on itself when it is cut to the capacity.
constexpr int32_t kSuffixRoom = 6;

// What the store keeps as the resource name of `name`.
void ResourceForm(const VString& name, VString& form) {
  uint8_t text[256] = {};
  name.GetPText(text, 255, kMacCharSet);
  if (text[0] > kResourceNameLength) text[0] = uint8_t(kResourceNameLength);
  form.SetMacPText(text);
}

bool CarriedWhole(const VString& name) {
  VStr<255> form;
  ResourceForm(name, form);
  return SameStyleSheetName(form, name, true);
}

// Whether the Macintosh set holds a character, asked of the conversion
// once for each character met: the names of a document are made of few.
class MacForms {
 public:
  bool Has(char16_t c) {
    const auto [at, added] = fKnown.try_emplace(c, false);
    if (added) {
      VStr<1> one;
      one.AppendUniChars(&c, 1);
      char bytes[4];
      at->second = one.ConvertInto(bytes, int32_t(sizeof bytes), kMacCharSet) > 0;
    }
    return at->second;
  }

 private:
  std::unordered_map<char16_t, bool> fKnown;
};

// Every character the Macintosh set holds as itself, every other one (a
// surrogate pair counting as one) as a question mark: the name shows where
// letters could not be shown.
void ShownForm(const VString& name, MacForms& carried, VString& form) {
  form.SetEmpty(false);
  const int32_t length = name.GetLength();
  std::u16string units(size_t(length), u'\0');
  if (length > 0) name.GetUniChars(units.data(), 0, length);
  std::u16string shown;
  shown.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                      units[i + 1] <= 0xDFFF;
    if (pair) ++i;
    shown.push_back(!pair && carried.Has(c) ? c : kUncarried);
  }
  form.AppendUniChars(shown.data(), int32_t(shown.size()));
}

// The forms given so far, found by a key that two forms equal without
// regard to case always share: each ASCII letter folded, every other
// character that equals an ASCII character (a dotless i, a wide letter)
// taken as it, and all the rest as one. Only the forms under the same key
// are compared, so telling n names apart takes time linear in n.
class TakenForms {
 public:
  bool IsTaken(const VString& form) {
    const auto found = fByKey.find(Key(form));
    if (found == fByKey.end()) return false;
    for (const VString* other : found->second) {
      if (SameStyleSheetName(*other, form)) return true;
    }
    return false;
  }
  void Take(const VString& form) { fByKey[Key(form)].push_back(&form); }

 private:
  static constexpr char16_t kOther = 0xFFFF;
  char16_t KeyOf(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? char16_t(c - 0x20) : c;
    const auto [at, added] = fKeys.try_emplace(c, kOther);
    if (added && gIntlMgr != nullptr) {
      for (char16_t ascii = 1; ascii < 0x80; ++ascii) {
        if (ascii >= u'a' && ascii <= u'z') continue;
        if (gIntlMgr->CompareChar(c, ascii, false) == 0) {
          at->second = ascii;
          break;
        }
      }
    }
    return at->second;
  }
  std::u16string Key(const VString& form) {
    const int32_t length = form.GetLength();
    std::u16string key(size_t(length), u'\0');
    if (length > 0) form.GetUniChars(key.data(), 0, length);
    for (char16_t& c : key) c = KeyOf(c);
    return key;
  }

  std::unordered_map<std::u16string, std::vector<const VString*>> fByKey;
  std::unordered_map<char16_t, char16_t> fKeys;
};

// The record's bytes from the store; false when there is none.
bool CopyNameRecord(VResourceFile& store, int16_t id, std::vector<uint8_t>& bytes) {
  if (!store.HasResource(kStyleSheetNameResourceType, id)) return false;
  uint8_t owned = 0;
  const VResourceRef ref = store.GetResource(kStyleSheetNameResourceType, id, &owned);
  if (ref == 0) return false;
  const uint32_t size = store.GetResourceSize(ref);
  const auto* data = static_cast<const uint8_t*>(store.LockResource(ref));
  if (data != nullptr) bytes.assign(data, data + size);
  store.UnlockResource(ref);
  if (owned) store.ReleaseResource(ref);
  return data != nullptr;
}

bool PutNameRecord(VResourceFile& store, int16_t id, const VString& name) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return false;
  bool written = stream.OpenWrite() == 0;
  if (written) {
    WriteRecordHead(stream, kStyleSheetNameResourceType, kNameVersion);
    written = WriteStringToStream(name, stream, 0) == 0 && stream.GetStatus() == 0;
  }
  written = stream.CloseWrite(1) == 0 && written;
  if (written) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    const void* data = gMemoryMgr->LockHandle(handle);
    if (data == nullptr) {
      written = false;
    } else if (store.HasResource(kStyleSheetNameResourceType, id)) {
      written = store.ReplaceResource(kStyleSheetNameResourceType, id, data, size);
    } else {
      const int16_t added = store.AddResource(kStyleSheetNameResourceType, id, nullptr, data, size);
      if (added != id && added != -1) store.RemoveResource(kStyleSheetNameResourceType, added);
      written = added == id;
    }
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

}  // namespace

bool SameStyleSheetName(const VString& a, const VString& b, bool caseMatters) {
  const int32_t length = a.GetLength();
  if (length != b.GetLength()) return false;
  for (int32_t i = 1; i <= length; ++i) {
    const char16_t x = a.GetCharAt(i);
    const char16_t y = b.GetCharAt(i);
    if (x == y) continue;
    if (caseMatters) return false;
    // Case aside as the framework sets it aside, letter by letter.
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    if (gIntlMgr != nullptr ? gIntlMgr->CompareChar(x, y, false) != 0 : fold(x) != fold(y)) return false;
  }
  return true;
}

bool ReadStyleSheetNameBytes(const uint8_t* data, uint32_t size, VString& name) {
  if (data == nullptr && size != 0) return false;
  static const uint8_t kNothing = 0;
  VMemoryStream stream(data != nullptr ? data : &kNothing, size);
  if (stream.OpenRead() != 0) return false;
  uint32_t version = 0;
  VStr<kStyleSheetWholeNameLength> read;
  // An empty name, one longer than a name holds or one that is not whole is
  // no name.
  const bool whole = ReadRecordTag(stream, kStyleSheetNameResourceType) &&
                     ReadRecordVersion(stream, {kNameVersion}, version) && ReadStringFromStream(read, stream) == 0 &&
                     stream.GetStatus() == 0 && read.GetLength() > 0;
  stream.CloseRead();
  if (!whole) return false;
  name.SetEmpty(false);
  name.CopyText(read);
  return true;
}

void GetStyleSheetWholeName(VResourceFile& store, int16_t id, VString& name) {
  name.SetEmpty(false);
  if (!store.HasResource(kStyleSheetResourceType, id)) return;
  VStr<255> resourceName;
  store.GetResourceName(&resourceName, kStyleSheetResourceType, id);
  std::vector<uint8_t> bytes;
  VStr<kStyleSheetWholeNameLength> whole;
  // The whole name counts only while the sheet still bears its Macintosh
  // form: a program that knows nothing of it may have renamed the sheet, or
  // deleted it and made another under its id.
  if (CopyNameRecord(store, id, bytes) && ReadStyleSheetNameBytes(bytes.data(), uint32_t(bytes.size()), whole)) {
    VStr<255> form;
    ResourceForm(whole, form);
    if (SameStyleSheetName(form, resourceName, true)) {
      name.CopyText(whole);
      return;
    }
  }
  name.CopyText(resourceName);
}

bool SetStyleSheetWholeName(VResourceFile& store, int16_t id, const VString& name) {
  if (!store.HasResource(kStyleSheetResourceType, id)) return false;
  VStr<kStyleSheetWholeNameLength> whole;
  whole.CopyText(name);
  store.SetResourceName(kStyleSheetResourceType, id, &whole);
  if (CarriedWhole(whole)) {
    if (store.HasResource(kStyleSheetNameResourceType, id)) store.RemoveResource(kStyleSheetNameResourceType, id);
    return true;
  }
  return PutNameRecord(store, id, whole);
}

void RemoveStyleSheetWholeName(VResourceFile& store, int16_t id) {
  if (store.HasResource(kStyleSheetNameResourceType, id)) store.RemoveResource(kStyleSheetNameResourceType, id);
}

std::vector<std::u16string> StyleSheetFormNames(VResourceFile& store, const std::vector<int16_t>& ids) {
  const size_t count = ids.size();
  std::vector<VStr<255>> forms(count);
  std::vector<bool> exact(count);
  MacForms carried;
  for (size_t i = 0; i < count; ++i) {
    VStr<kStyleSheetWholeNameLength> whole;
    GetStyleSheetWholeName(store, ids[i], whole);
    ShownForm(whole, carried, forms[i]);
    exact[i] = SameStyleSheetName(forms[i], whole, true);
  }
  // Sheets are found by name without regard to case, so forms are told
  // apart the same way. A name shown as it is keeps its form; the others
  // take the first free number behind theirs.
  TakenForms taken;
  std::vector<bool> placed(count, false);
  std::map<std::u16string, int32_t> nextNumber;
  auto isTaken = [&](const VString& form) { return taken.IsTaken(form); };
  for (size_t i = 0; i < count; ++i) {
    if (!exact[i] || isTaken(forms[i])) continue;
    taken.Take(forms[i]);
    placed[i] = true;
  }
  for (size_t i = 0; i < count; ++i) {
    if (placed[i]) continue;
    if (isTaken(forms[i])) {
      if (forms[i].GetLength() > forms[i].GetCapacity() - kSuffixRoom)
        forms[i].SetLength(forms[i].GetCapacity() - kSuffixRoom);
      VStr<255> base;
      base.CopyText(forms[i]);
      // Numbers already given behind the same form are not tried again.
      std::u16string key(size_t(base.GetLength()), u'\0');
      if (!key.empty()) base.GetUniChars(key.data(), 0, base.GetLength());
      int32_t& n = nextNumber.try_emplace(key, 2).first->second;
      for (; isTaken(forms[i]); ++n) {
        VStr<15> number;
        number.SetLong(n, kWholeValue);
        forms[i].SetEmpty(false);
        forms[i].CopyText(base);
        forms[i].AppendUniChar(u' ');
        forms[i].CopyText(number);
      }
    }
    taken.Take(forms[i]);
    placed[i] = true;
  }
  std::vector<std::u16string> shown(count);
  for (size_t i = 0; i < count; ++i) {
    shown[i].resize(size_t(forms[i].GetLength()));
    if (!shown[i].empty()) forms[i].GetUniChars(shown[i].data(), 0, forms[i].GetLength());
  }
  return shown;
}

void FillStyleSheetFormNames(VResourceFile& store, const std::vector<int16_t>& ids, VStringArray& list) {
  list.SetCount(0, false);
  for (const std::u16string& shown : StyleSheetFormNames(store, ids)) {
    auto* form = new VStr<255>;
    form->AppendUniChars(shown.data(), int32_t(shown.size()));
    list.AppendObject(form, false);
  }
}
