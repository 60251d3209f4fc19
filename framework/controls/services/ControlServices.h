// What the interface controls give the system services at start, which sit
// below them and reach them only through installed interfaces: the runners
// of the standard file dialogs, the look painters' colour and font queries,
// and the picture operations of the clipboard.
#pragma once

// Installs all three; RemoveControlServices takes them away again.
void InstallControlServices();
void RemoveControlServices();
