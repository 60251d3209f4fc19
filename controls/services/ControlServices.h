// What the interface controls give the system services at start, which sit
// below them and reach them only through installed interfaces: the runners
// of the standard file dialogs, the look painters' colour and font queries,
// and the picture operations of the clipboard.
#pragma once

struct VClipboardPictureOps;
struct VFileDialogRunners;
struct VLookQueries;

// For VFileDialogService, VLookQueryService and VClipboardPictureService.
extern const VFileDialogRunners kControlFileDialogRunners;
extern const VLookQueries kControlLookQueries;
extern const VClipboardPictureOps kControlPictureOps;
