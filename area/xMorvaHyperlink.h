// xMorvaHyperlink: a hyperlink attached to text. It holds its kind (a
// method, a URL or a document), whether its text takes the link look, its
// target and its title, and is stored as a 'wHLK' record: tag, version
// "0100", u16 kind, u8 style flag, then the target and the title in their
// string stream form.
#pragma once

#include <cstdint>

#include "engine/xMorvaEngineLink.h"
#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

constexpr uint32_t kTagHyperlink = FourCC("wHLK");
constexpr uint32_t kHyperlinkVersion = FourCC("0100");
// The status of a record that is no link of this version.
constexpr int32_t kErrorNotALink = 1074;

class xMorvaHyperlink : public VObject, public xMorvaEngineLink {
 public:
  enum Kind : uint16_t { kMethod = 0, kURL = 1, kDocument = 2 };

  xMorvaHyperlink() = default;
  xMorvaHyperlink(Kind kind, bool linkLook, const VString& target, const VString& title);

  Kind GetKind() const { return fKind; }
  bool HasLinkLook() const { return fLinkLook; }
  const VString& GetTarget() const { return fTarget; }
  const VString& GetTitle() const { return fTitle; }

  // 0 on success; a record cut short, of another tag or version or of an
  // unknown kind leaves the link as it was (the stream's status, or 1074).
  int32_t Write(VStream& stream) override;
  int32_t Read(VStream& stream) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override { return Write(stream); }
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override { return Read(stream); }

  // The title between the records of the link look (1, or 4 without the
  // link look) and of no look.
  VMemHandle InsertTitle(xMorvaEngine& engine) override;
  // The kind's label, ":" and the target, as a source text between marks.
  VMemHandle Describe(xMorvaEngine& engine) override;

 private:
  Kind fKind = kURL;
  bool fLinkLook = true;
  VStrInHandle fTarget;
  VStrInHandle fTitle;
};
