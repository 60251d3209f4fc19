// The word processor's design properties: the settings an area keeps with
// its form (xMorvaPlugInProperties, read from the stored block when the
// properties are made) and the dialog that shows them on the form
// "mvDesignProperties" (xMorvaDesignDialog), whose "butInterface" opens the
// toolbar design dialog on the area's toolbar configuration.
#pragma once

#include <cstdint>

#include "controls/bars/DesignProperties.h"
#include "dialogs/xMorvaDialog.h"
#include "views/VPlugInKinds.h"

class xMorvaPlugInProperties : public VPlugInProperties {
 public:
  // The stored block, when the host's record holds one of this kind, is
  // read at once; without one every setting is 0 and there is no toolbar
  // configuration.
  xMorvaPlugInProperties(VDesignPlugIn* owner, void* propertyRecord);

  // Shows the design properties dialog.
  void Edit() override;

  const VDesignProperties& GetSettings() const { return fSettings; }

 private:
  VDesignProperties fSettings;
};

class xMorvaDesignDialog : public xMorvaDialog {
 public:
  // The title of the toolbar design dialog it opens.
  static constexpr const char* kInterfaceTitle = "Qv Morva";

  explicit xMorvaDesignDialog(const xMorvaPlugInProperties& properties);

  bool AfterOpen() override { return true; }
  // "butInterface": this form hides while the toolbar design dialog runs.
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  const xMorvaPlugInProperties& fProperties;
};
