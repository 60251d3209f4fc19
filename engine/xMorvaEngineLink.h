// xMorvaEngineLink: what the text engine asks of the link a hyperlink
// element carries. The editing area's hyperlink object answers it; the
// engine never sees more of it than its stored form and its two texts.
#pragma once

#include <cstdint>

#include "framework/core/memory/VMemoryMgr.h"

class VStream;
class xMorvaEngine;

class xMorvaEngineLink {
 public:
  virtual ~xMorvaEngineLink() = default;
  // The link's record written to, or read from, an open stream: 0 on
  // success; a failed read leaves the link as it was.
  virtual int32_t Write(VStream& stream) = 0;
  virtual int32_t Read(VStream& stream) = 0;
  // New handles of element units (0 when memory runs out): the title in a
  // link look, and the link's kind and target as a labelled source text.
  // The title is asked for before the record is written, since a link
  // without one may take the selected text as its title.
  virtual VMemHandle InsertTitle(xMorvaEngine& engine) = 0;
  virtual VMemHandle Describe(xMorvaEngine& engine) = 0;
};
