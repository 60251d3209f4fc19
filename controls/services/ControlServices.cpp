// The interfaces the controls install for the system services.
#include "controls/services/ControlServices.h"

#include "controls/files/StandardFileDialogs.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/StandardColors.h"
#include "graphics/VLookPainter.h"
#include "graphics/pictures/VPictPictureData.h"

const VFileDialogRunners kControlFileDialogRunners = {&ShowOpenFileDialog, &ShowSaveFileDialog,
                                                     &ShowFolderDialog};

const VLookQueries kControlLookQueries = {
    [](VLookPainter& painter, int32_t index) -> uint32_t { return painter.GetColor(index); },
    [](VLookPainter& painter, HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
       uint8_t& italic) { return painter.GetFont(dc, kind, name, size, bold, italic); },
};

// The clipboard exchanges PICT pictures: the other kinds go through their
// conversion into a PICT value, none when the kind has no conversion.
const VClipboardPictureOps kControlPictureOps = {
    [](const VPictureData& picture) { return picture.GetPictureKind(); },
    [](const VPictureData& picture) -> VMemHandle { return picture.GetHandle(); },
    [](const void* bytes, uint32_t size) -> VPictureData* {
      auto* picture = new VPictPictureData(bytes, size);
      if (!picture->HasData()) {
        delete picture;
        return nullptr;
      }
      return picture;
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
