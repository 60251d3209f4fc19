// VMaskFilter: reading the mask, testing characters and positions, and the
// transfer of a value into and out of the field.
#include "framework/core/filters/VMaskFilter.h"

#include <memory>
#include <vector>

#include "framework/core/filters/VEntryField.h"
#include "framework/core/filters/VMaskSegment.h"

namespace {

constexpr char16_t kDefaultPlaceholder = u'_';
constexpr int32_t kFreeInputEnd = 0x7FFFFFFF;

// Characters that end a literal run.
bool EndsLiteral(char16_t c) {
  return c == u'#' || c == u'&' || c == u'~' || c == u'@' || c == u'!' || c == u'"';
}

// The ranges of an explicit set starting at mask[i], just after its opening
// double quote; answers the index after the closing quote (or the mask's
// end). A character on its own is taken when a ";" or the next item follows
// it and also when the set ends after it.
size_t ReadSet(const std::u16string& mask, size_t i, std::vector<VCharRange>& ranges) {
  const size_t n = mask.size();
  bool pending = false;
  char16_t single = 0;
  auto flush = [&] {
    if (pending) ranges.push_back({single, single});
    pending = false;
  };
  while (i < n && mask[i] != u'"') {
    const char16_t c = mask[i];
    if (c == u';') {
      flush();
      ++i;
      continue;
    }
    flush();
    if (i + 2 < n && mask[i + 1] == u'-' && mask[i + 2] != u'"') {
      ranges.push_back({c, mask[i + 2]});
      i += 3;
    } else {
      pending = true;
      single = c;
      ++i;
    }
  }
  flush();
  return i < n ? i + 1 : n;
}

}  // namespace

VMaskFilter::VMaskFilter(const VString& mask) : fSegments(-1) { ReadMask(mask); }

VMaskFilter::~VMaskFilter() { fSegments.RemoveAll(false); }

template <typename F>
void VMaskFilter::ForEachSegment(F visit) const {
  std::unique_ptr<VIteratorOf<VObject*>> it(fSegments.NewIterator(-1));
  for (int32_t i = 0, n = fSegments.Count(); i < n; ++i) {
    const auto* segment = static_cast<const VMaskSegment*>(it->Next());
    if (segment != nullptr && !visit(*segment)) return;
  }
}

const VMaskSegment* VMaskFilter::GetSegment(int32_t n) const {
  return static_cast<const VMaskSegment*>(fSegments.GetAt(n));
}

const VMaskSegment* VMaskFilter::SegmentAt(int32_t position) const {
  const VMaskSegment* found = nullptr;
  ForEachSegment([&](const VMaskSegment& segment) {
    if (!segment.Contains(position)) return true;
    found = &segment;
    return false;
  });
  return found;
}

void VMaskFilter::ReadMask(const VString& mask) {
  fSegments.RemoveAll(false);
  fTemplate.SetEmpty(true);

  std::u16string m;
  const int32_t length = mask.GetLength();
  m.reserve(size_t(length));
  for (int32_t i = 1; i <= length; ++i) m.push_back(mask.GetCharAt(i));

  std::vector<VCharRange> ranges{{0, 0xFFFF}};
  char16_t placeholder = kDefaultPlaceholder;
  std::u16string look;  // the template, built whole and stored once
  auto add = [&](VMaskSegment* segment) {
    VObject* item = segment;
    fSegments.Add(&item);
  };

  const size_t n = m.size();
  size_t i = 0;
  while (i < n) {
    const char16_t c = m[i];
    if (c == u'!') {
      // Every read of the character after a command stays inside the mask.
      if (i + 1 < n) placeholder = m[i + 1];
      i += 2;
    } else if (c == u'#') {
      size_t j = i;
      while (j < n && m[j] == u'#') ++j;
      const int32_t first = int32_t(look.size());
      add(new VMaskInputSegment(first, first + int32_t(j - i) - 1, placeholder, ranges.data(),
                                int32_t(ranges.size())));
      look.append(j - i, placeholder);
      i = j;
    } else if (c == u'&' || c == u'~') {
      if (i + 1 >= n) break;
      const char16_t kind = m[i + 1];
      i += 2;
      switch (kind) {
        case u'9':
          ranges = {{u'0', u'9'}};
          break;
        case u'A':
          ranges = {{u'A', u'Z'}};
          break;
        case u'a':
          ranges = {{u'a', u'z'}, {u'A', u'Z'}};
          break;
        case u'@':
          ranges = {{u'0', u'9'}, {u'a', u'z'}, {u'A', u'Z'}};
          break;
        case u'"':
          ranges.clear();
          i = ReadSet(m, i, ranges);
          break;
        default:
          break;
      }
    } else {
      // The run takes its first character whatever it is, so an "@" or a
      // double quote that no command consumed is literal text too.
      size_t j = i + 1;
      while (j < n && !EndsLiteral(m[j])) ++j;
      const int32_t first = int32_t(look.size());
      add(new VMaskLiteralSegment(first, first + int32_t(j - i) - 1));
      look.append(m, i, j - i);
      i = j;
    }
  }

  if (fSegments.Count() == 0) {
    add(new VMaskInputSegment(0, kFreeInputEnd, 0, ranges.data(), int32_t(ranges.size())));
  }
  fTemplate.SetUniChars(look.data(), 0, int32_t(look.size()));
}

char16_t VMaskFilter::PlaceholderAt(int32_t position) const {
  char16_t placeholder = kDefaultPlaceholder;
  ForEachSegment([&](const VMaskSegment& segment) {
    if (segment.IsLiteral() || segment.GetLast() < position) return true;
    placeholder = static_cast<const VMaskInputSegment&>(segment).GetPlaceholder();
    return false;
  });
  return placeholder;
}

void VMaskFilter::NextEditablePosition(int32_t& position) const {
  const int32_t from = position;
  position = -1;
  if (fTemplate.GetLength() == 0) return;
  ForEachSegment([&](const VMaskSegment& segment) {
    if (segment.IsLiteral() || segment.GetLast() < from) return true;
    position = from < segment.GetFirst() ? segment.GetFirst() : from;
    return false;
  });
}

void VMaskFilter::PreviousEditablePosition(int32_t& position) const {
  const int32_t from = position;
  position = -1;
  if (fTemplate.GetLength() == 0) return;
  // The last input segment that starts at or before the position.
  const VMaskSegment* found = nullptr;
  ForEachSegment([&](const VMaskSegment& segment) {
    if (segment.GetFirst() > from) return false;
    if (!segment.IsLiteral()) found = &segment;
    return true;
  });
  if (found != nullptr) position = from > found->GetLast() ? found->GetLast() : from;
}

bool VMaskFilter::AcceptsChar(const char16_t* character, int32_t position) const {
  if (fSegments.Count() == 0) return true;
  if (character == nullptr) return false;
  const VMaskSegment* segment = SegmentAt(position);
  if (segment == nullptr || segment->IsLiteral()) return false;
  return static_cast<const VMaskInputSegment*>(segment)->Accepts(*character);
}

void VMaskFilter::FormatValue(const VString& value, std::u16string& text) const {
  text.clear();
  const int32_t templateLength = fTemplate.GetLength();
  const int32_t valueLength = value.GetLength();
  const int32_t length = templateLength > 0 ? templateLength : valueLength;
  int32_t next = 1;  // the next character of the value
  ForEachSegment([&](const VMaskSegment& segment) {
    for (int32_t p = segment.GetFirst(); p <= segment.GetLast() && p < length; ++p) {
      char16_t c;
      if (segment.IsLiteral()) {
        c = fTemplate.GetCharAt(p + 1);
      } else {
        const char16_t placeholder = static_cast<const VMaskInputSegment&>(segment).GetPlaceholder();
        c = placeholder;
        if (next <= valueLength) {
          const char16_t typed = value.GetCharAt(next++);
          if (AcceptsChar(&typed, p)) c = typed;
        }
      }
      if (c != 0) text.push_back(c);
    }
    return segment.GetLast() < length - 1;
  });
}

void VMaskFilter::ExtractValue(const VString& text, std::u16string& value) const {
  value.clear();
  const int32_t templateLength = fTemplate.GetLength();
  const int32_t textLength = text.GetLength();
  int32_t length = templateLength > 0 ? templateLength : textLength;
  if (length > textLength) length = textLength;
  ForEachSegment([&](const VMaskSegment& segment) {
    if (!segment.IsLiteral()) {
      for (int32_t p = segment.GetFirst(); p <= segment.GetLast() && p < length; ++p)
        value.push_back(text.GetCharAt(p + 1));
    }
    return segment.GetLast() < length - 1;
  });
}

void VMaskFilter::SetFieldValue(const VString& value, VEntryField& field) {
  std::u16string units;
  FormatValue(value, units);
  VStrInHandle text;
  text.SetUniChars(units.data(), 0, int32_t(units.size()));
  field.SetText(text);
  int32_t position = 0;
  NextEditablePosition(position);
  if (position >= 0) field.SetSelection(position, position + 1);
}

void VMaskFilter::GetFieldValue(VEntryField& field, VString& value) {
  VStrInHandle text;
  field.GetText(text);
  std::u16string units;
  ExtractValue(text, units);
  value.SetUniChars(units.data(), 0, int32_t(units.size()));
}
