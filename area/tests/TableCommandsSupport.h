// The fixture of the host commands' tests: an area test with the pictures
// on the pages and picture values installed, lengths in points (one pixel
// each, so that every length goes through the commands unchanged), and
// the host's value forms made and read back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/tests/HostPictureSupport.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "platform/toolbox/TbxHandles.h"

namespace tablecommands {

using areatest::HostText;

class TableCommands : public areatest::AreaTest {
 protected:
  TableCommands() : fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker), fTransfer(&fTransferObject) {}

  // An area of either kind, its lengths in points.
  xMorvaPlugIn* Area(bool form) {
    xMorvaPlugIn* area = form ? NewFormArea() : NewOffscreenArea();
    area->GetDocument()->Params().SetDisplayUnit(kUnitPoints);
    return area;
  }
  static xMorvaEngine& Body(xMorvaPlugIn* area) {
    return *static_cast<xMorvaEngine*>(area->GetDocument()->GetCurrentPart());
  }
  static xMorvaPicturesInPage& PagePictures(xMorvaPlugIn* area) {
    return *static_cast<xMorvaPicturesInPage*>(area->GetDocument()->GetPagePictures());
  }
  int32_t Code(xMorvaPlugIn* area) { return LastError(area->GetReference()); }

 private:
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
  xMorvaTextTransferEngine fTransferObject;
  VInstalledService<xMorvaTextTransferServices> fTransfer;
};

}  // namespace tablecommands
