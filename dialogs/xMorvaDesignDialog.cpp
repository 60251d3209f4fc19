// The design properties of an area and their dialog.
#include "dialogs/xMorvaDesignDialog.h"

#include "controls/bars/VToolBarsDesignDialog.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "views/VPlugInDocMgr.h"

xMorvaPlugInProperties::xMorvaPlugInProperties(VDesignPlugIn* owner, void* propertyRecord)
    : VPlugInProperties(owner, propertyRecord) {
  VPlugInDocMgr* manager = owner != nullptr ? owner->GetDocMgr() : nullptr;
  const VMemHandle block = GetData();
  if (manager == nullptr || block == 0) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(block);
  VHandleLocker lock(block);
  if (!lock) return;
  // A block of a foreign kind leaves every setting 0; one cut short keeps
  // the settings read before the cut and no configuration.
  ReadDesignProperties(static_cast<const uint8_t*>(lock.Data()), size, manager->GetSignature(),
                       fSettings);
}

void xMorvaPlugInProperties::Edit() {
  auto* dialog = new xMorvaDesignDialog(*this);
  dialog->Run();
  delete dialog;
}

xMorvaDesignDialog::xMorvaDesignDialog(const xMorvaPlugInProperties& properties)
    : xMorvaDialog(nullptr, "mvDesignProperties"), fProperties(properties) {}

void xMorvaDesignDialog::ItemHit(const VString& objectName, int16_t) {
  if (!IsFormObject(objectName, "butInterface")) return;
  const VDesignProperties& settings = fProperties.GetSettings();
  VStr<255> title;
  title.SetAnsiCText(kInterfaceTitle);
  auto* design = new VToolBarsDesignDialog(
      nullptr, settings.hasConfiguration ? &settings.configuration : nullptr, title);
  RunSubDialog(*design);
  delete design;
}
