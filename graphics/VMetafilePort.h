// VMetafilePort: a port that records what is drawn through it into an
// enhanced metafile (pictures, the clipboard), or a plain port on a given DC.
#pragma once

#include "graphics/VPort.h"

struct HENHMETAFILE__;
using HENHMETAFILE = HENHMETAFILE__*;

class VEmfPictureData;
class VPictureShape;

class VMetafilePort : public VPort {
 public:
  // A plain port on the DC; nothing is recorded.
  explicit VMetafilePort(HDC dc);
  // Starts recording the area (x, y, w, h), in pixels of the reference DC
  // (the current graphics port's DC when null). Drawing at those port
  // coordinates is what the picture holds; drawing outside is clipped. An
  // empty area, one beyond 32-bit coordinates or a refused recording leaves
  // the port without a DC and not recording.
  VMetafilePort(HDC reference, int32_t x, int32_t y, int32_t w, int32_t h);
  // Ends a recording still running and deletes its metafile.
  ~VMetafilePort() override;

  bool IsMetafile() const override;

  // Ends the recording and hands the metafile over (the caller deletes it);
  // null when not recording or when the recording could not be closed.
  // Afterwards the port has no DC.
  HENHMETAFILE EndRecording();
  bool IsRecording() const { return fRecording; }
  // The recording as a picture value that owns the metafile, or as a
  // picture shape holding one; null when EndRecording gives none.
  VEmfPictureData* EndAsPictureData();
  VPictureShape* EndAsPictureShape();

 private:
  HPALETTE fSavedPalette = nullptr;
  bool fRecording = false;
  // The recording DC, kept apart from the attached DC so that the recording
  // is closed whatever the port was attached to meanwhile.
  HDC fMetafileDC = nullptr;
};
