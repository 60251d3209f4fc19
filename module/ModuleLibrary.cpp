// The module library itself: its entry point, the record of its instance at
// load time, and the layers and package class that the life cycle runs.
// Only DaVuze and SwapRsrcProc leave it (exports.map).
#include <cxxabi.h>
#include <dlfcn.h>

#include <new>

#include "area/view/xMorvaHyperlink.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaDocumentAreaServices.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/HostRecords.h"
#include "boundary/ModuleExports.h"
#include "controls/bars/DockBarMakers.h"
#include "controls/bars/VToolBarItemDragger.h"
#include "controls/bars/VToolBarsUserDialog.h"
#include "controls/fields/TextFieldLayer.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VWinMenuBar.h"
#include "controls/services/ControlServices.h"
#include "dialogs/xMorvaDialogService.h"
#include "dialogs/xMorvaHyperlinkDialog.h"
#include "dialogs/xMorvaQuestionDialogs.h"
#include "dialogs/xMorvaSpellingDialog.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaListNumber.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VSharedBlockReader.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VHtmlEntityEncoder.h"
#include "framework/core/values/VEnvironmentBridge.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/environment/VSharedMemory.h"
#include "framework/system/environment/VSystemEnvironmentBridge.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/StandardColors.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/pictures/VPictureConversion.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "host/context/HostPictures.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostContext.h"
#include "host/lifecycle/ModuleLifeCycle.h"
#include "interchange/html/HTMLEntities.h"
#include "interchange/html/xMorvaHtmlFormats.h"
#include "interchange/older/xMorvaOlderFormats.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/text/xMorvaClipboardFilters.h"
#include "interchange/text/xMorvaTextFormats.h"
#include "interchange/word/xMorvaWordFormats.h"
#include "views/VDockFloatingBarWindow.h"
#include "views/VFrameServices.h"
#include "views/VViewsEnvironmentLink.h"

namespace {

VPackage* NewMorvaPackage(HostStartupRecord* params) { return new xMorvaMain(params); }

// The implementations that the module itself holds.
VHostCallbackBridge sHostBridge;
xMorvaDocumentEngineServices sEngineServices;
xMorvaDocumentAreaServices sAreaServices;
xMorvaPicturesInPageMaker sPagePicturesMaker;
xMorvaEngineHostServices sEngineHost;
xMorvaTextTransferEngine sTextTransfer;
xMorvaClipboardFilters sClipboardFilters;
xMorvaDialogService sDialogs;
xMorvaHyperlinkDialogEditor sHyperlinkEditor;
xMorvaSpellingDialogService sSpelling;
xMorvaQuestionDialogService sQuestions;

// The host bridge goes with what it answered of the host's display routines,
// which belong to this run of the module.
void RemoveHostBridge() {
  VHostBridgeService::Remove(&sHostBridge);
  ResetDisplayRoutines();
}

// The text engine's host goes with the list-number names it read through
// it, which belong to this run's package.
void RemoveEngineHost() {
  xMorvaEngineHostService::Remove(&sEngineHost);
  ForgetListNumberNames();
}

// The host's conversion of PICTs into metafiles for the picture values, and
// the picture values' forms for the host bridge.
const VPictConversionProc kHostPictConversion = {&HostPictToEmf};
const HostPictureForms kPictureHostForms = {&NewMetafilePictureValue, &NewPictValueFromMacPicture,
                                            &MacPictureOfValue};

// The host application's resource file, where the graphics look for icons
// after the file a caller names.
const VHostResourceFileProc kHostResourceFile = {[]() -> VResourceFile* {
  return gHostContext != nullptr ? gHostContext->GetHostMacResourceFile() : nullptr;
}};

// Every service through which a lower layer reaches a higher one, installed
// in this order as soon as the host context exists (before the system
// services and the layers start, which may reach them) and removed in the
// reverse order once the layers and the system objects have stopped.
//
// Declared by the lower layers but not implemented above yet, so that their
// neutral answers stand: the Toolbox emulation's current port and palette
// (VPortDCService, VEmulatorPaletteService), the graphics tick clock (VGraphicsTickService) and
// the system's family code (VOSCodeQueryService).
const VServiceInstallation kServices[] = {
    {[] { VHostBridgeService::Install(&sHostBridge); }, &RemoveHostBridge},
    // The system services for the framework core.
    ServiceInstallation<VEnvironmentBridge, &SystemEnvironmentBridge>(),
    ServiceInstallation<const VSharedBlockReader, &kSharedBlockReader>(),
    // The graphics for the framework.
    ServiceInstallation<const VPictureMaker, &kPictureValueMaker>(),
    ServiceInstallation<VEnvironmentGraphics, &GraphicsEnvironmentLink>(),
    ServiceInstallation<const HostPictureForms, &kPictureHostForms>(),
    // The host's metafiles of PICTs and its resource file for the graphics.
    ServiceInstallation<const VPictConversionProc, &kHostPictConversion>(),
    ServiceInstallation<const VHostResourceFileProc, &kHostResourceFile>(),
    // The views and the controls for the system services.
    ServiceInstallation<VEnvironmentViews, &ViewsEnvironmentLink>(),
    // The frames' places and windows for the graphics.
    ServiceInstallation<const VFrameAreaProc, &kFrameAreaProc>(),
    ServiceInstallation<const VFrameWindowProc, &kFrameWindowProc>(),
    ServiceInstallation<const VFileDialogRunners, &kControlFileDialogRunners>(),
    ServiceInstallation<const VLookQueries, &kControlLookQueries>(),
    ServiceInstallation<const VClipboardPictureOps, &kControlPictureOps>(),
    ServiceInstallation<const VPopUpMenuMaker, &kPopUpMenuMaker>(),
    ServiceInstallation<const VMenuBarChoiceTaker, &kMenuBarChoiceTaker>(),
    ServiceInstallation<const VBarDraggerRunner, &kToolBarItemDraggerRunner>(),
    // The menu bar, status bar and toolbars that docks build from 'XDOK'.
    ServiceInstallation<const VDockBarMakers, &kDockBarMakers>(),
    // The user's toolbar dialog that a dock runs on its bars (message 33).
    ServiceInstallation<const VToolBarsUserDialogRunner, &kToolBarsUserDialogRunner>(),
    // The window of the docks' floating bars, a process window.
    ServiceInstallation<const VDockFloatingWindowMaker, &kDockFloatingBarWindowMaker>(),
    // The look painters for the graphics' painter table.
    ServiceInstallation<const VLookPainterMaker, &kLookPainterMaker>(),
    // The text engine and the editing area for the document model.
    ServiceInstallation<xMorvaEngineServices, &sEngineServices>(),
    ServiceInstallation<xMorvaAreaServices, &sAreaServices>(),
    ServiceInstallation<xMorvaPagePicturesMaker, &sPagePicturesMaker>(),
    {[] { xMorvaEngineHostService::Install(&sEngineHost); }, &RemoveEngineHost},
    // The text engine and the import and export filters for the document's
    // clipboard.
    ServiceInstallation<xMorvaTextTransferServices, &sTextTransfer>(),
    ServiceInstallation<xMorvaInterchangeServices, &sClipboardFilters>(),
    // The readers and writers of foreign file types for opening, exporting
    // and the clipboard's foreign flavours, one table of formats each.
    {&InstallTextFormats, &RemoveTextFormats},
    {&InstallRtfFormats, &RemoveRtfFormats},
    {&InstallWordFormats, &RemoveWordFormats},
    {&InstallHtmlFormats, &RemoveHtmlFormats},
    {&InstallOlderFormats, &RemoveOlderFormats},
    // The HTML export's entities for the framework's strings.
    ServiceInstallation<const VHtmlEntityEncoder, &kHtmlEntityEncoder>(),
    // The word processor's dialogs for the editing area's dialog commands.
    ServiceInstallation<xMorvaDialogs, &sDialogs>(),
    ServiceInstallation<xMorvaHyperlinkEditor, &sHyperlinkEditor>(),
    // A followed link's document file opens by the area's open.
    {[] { xMorvaHyperlink::SetDocumentOpener(&xMorvaPlugIn::OpenLinkedDocument); },
     [] { xMorvaHyperlink::SetDocumentOpener(nullptr); }},
    ServiceInstallation<xMorvaSpellingDialogs, &sSpelling>(),
    ServiceInstallation<xMorvaPrintDialogs, &sDialogs>(),
    ServiceInstallation<xMorvaAreaDialogs, &sQuestions>(),
};

const VModuleLayers kLayers = {
    .services = kServices,
    .serviceCount = sizeof kServices / sizeof kServices[0],
    .initGraphics = &InitGraphics,
    .initMenuGlobals = &InitMenuGlobals,
    .installMenuWindowProc = &InstallMenuWindowProc,
    // The TextEdit fields' start, then the rich-edit library's.
    .loadRichEditLibrary = [] {
      StartMacTextFields();
      LoadRichEditLibrary();
    },
    .startPictureServices = &StartPictureServices,
    .stopPictureServices = &StopPictureServices,
    .disposeTextFieldOffscreen = &DisposeTextFieldOffscreen,
    .unloadRichEditLibrary = &UnloadRichEditLibrary,
    .removeMenuWindowProc = &RemoveMenuWindowProc,
    .freeMenuGlobals = &FreeMenuGlobals,
    .exitGraphics = &ExitGraphics,
    .newPackage = &NewMorvaPackage,
};

// At load, as the library entry routine does: the instance is kept whatever
// the reason, and the layers are named.
__attribute__((constructor)) void ModuleLoaded() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&DaVuze), &info) != 0) SetModuleInstance(info.dli_fbase);
  SetModuleLayers(&kLayers);
}

}  // namespace

// The module's code is built without exceptions and throws none; the entry
// point, built with them, ends the process on any that the language runtime
// or a routine the module called let through, as the framework heap does
// when it runs out, rather than let it reach the host.
extern "C" void DaVuze(int32_t selector, void* params, void** instanceSlot, void* result) {
  try {
    ModuleEntry(selector, params, instanceSlot, result);
  } catch (abi::__forced_unwind&) {
    throw;  // a cancelled thread unwinds on
  } catch (const std::bad_alloc&) {
    EndOnEntryPointException(true);
  } catch (...) {
    EndOnEntryPointException(false);
  }
}
