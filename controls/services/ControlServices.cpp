// The interfaces the controls install for the system services.
#include "controls/services/ControlServices.h"

#include "controls/files/StandardFileDialogs.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/StandardColors.h"
#include "graphics/VLookPainter.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"

const VFileDialogRunners kControlFileDialogRunners = {&ShowOpenFileDialog, &ShowSaveFileDialog,
                                                     &ShowFolderDialog};

const VLookQueries kControlLookQueries = {
    [](VLookPainter& painter, int32_t index) -> uint32_t { return painter.GetColor(index); },
    [](VLookPainter& painter, HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
       uint8_t& italic) { return painter.GetFont(dc, kind, name, size, bold, italic); },
};

// The clipboard exchanges PICT pictures: the other kinds go through their
// conversion into a PICT value, none when the kind has no conversion. A
// PICT goes out and comes in as the host's pictures do, big-endian.
const VClipboardPictureOps kControlPictureOps = {
    [](const VPictureData& picture) { return picture.GetPictureKind(); },
    [](const VPictureData& picture) {
      return picture.GetPictureKind() == kPictureKindPICT
                 ? static_cast<const VPictPictureData&>(picture).StoredBytes()
                 : std::vector<uint8_t>();
    },
    [](const void* bytes, uint32_t size) -> VPictureData* {
      return static_cast<VPictureData*>(NewPictValueFromMacPicture(static_cast<const uint8_t*>(bytes), size));
    },
    [](const VPictureData& picture) -> VPictureData* {
      auto* pict = new VPictPictureData();
      pict->SetFromPicture(picture);
      if (!pict->HasData()) {
        delete pict;
        return nullptr;
      }
      return pict;
    },
    [](VPictureData* picture) { delete picture; },
};
