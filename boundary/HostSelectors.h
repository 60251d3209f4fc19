// The selectors of the host protocol, shared by the module and the host:
// those the host sends to DaVuze, and those the module sends to the host
// callback.
#pragma once

#include <cstdint>

// ---- Sent by the host to DaVuze.
constexpr int32_t kSelStart = -1;           // start, with an alert on refusal
constexpr int32_t kSelStartSilent = -200;   // start, silent on refusal
constexpr int32_t kSelStop = -2;
constexpr int32_t kSelStopAlt = -220;
constexpr int32_t kSelPackageEvent3 = -3;
constexpr int32_t kSelPackageEvent4 = -4;   // 1: delete the offscreen areas
constexpr int32_t kSelRaiseDepth = -201;
constexpr int32_t kSelLowerDepth = -202;
constexpr int32_t kSelPackageEvent205 = -205;
constexpr int32_t kSelPackageEvent206 = -206;
constexpr int32_t kSelPackageEvent207 = -207;

// Area event codes that the package handles itself.
constexpr uint16_t kAreaEventClick = 1;
constexpr uint16_t kAreaEventCreate = 16;
constexpr uint16_t kAreaEventDelete = 17;
constexpr uint16_t kAreaEventActivate = 21;
constexpr uint16_t kAreaEventDeactivate = 22;
constexpr uint16_t kAreaEventDesign = 26;
constexpr uint16_t kAreaEventLeave = 71;
constexpr uint16_t kAreaEventDesign600 = 600;
constexpr uint16_t kAreaEventDesign601 = 601;
constexpr uint16_t kAreaEventCreateFromRecord = 602;
constexpr uint16_t kAreaEventDesign603 = 603;
constexpr uint16_t kAreaEventResourceId = 604;
constexpr uint16_t kAreaEventDesignKeep = 605;
constexpr uint16_t kAreaEventDeleteAlt = 606;
// The form editor's redraw of a placeholder it keeps (not the package's own).
constexpr uint16_t kAreaEventDesignRedraw = 607;

// ---- Sent by the module to the host callback.
constexpr int32_t kHostSelModuleState = -433;   // 8: 1 start, 0 stop; 266: module instance
constexpr int32_t kHostSelStartupQuery = -56;
constexpr int32_t kHostSelTableInfo = -11;
constexpr int32_t kHostSelFieldInfo = -12;      // type at 272, name at 10
constexpr int32_t kHostSelGetField = -17;
constexpr int32_t kHostSelSetField = -18;
constexpr int32_t kHostSelGetVariable = -19;
constexpr int32_t kHostSelSetVariable = -20;
constexpr int32_t kHostSelGetPath = -115;       // 276 'PATH', 280 buffer, 284 its size
constexpr int32_t kHostSelGetInterprocessVariable = -125;
constexpr int32_t kHostSelSetInterprocessVariable = -126;
constexpr int32_t kHostSelLook = -164;
constexpr int32_t kHostSelShowMessage = -249;   // 272: address of a length-byte text
constexpr int32_t kHostSelOpenWindowAt = -305;
constexpr int32_t kHostSelValueToText = 47;
constexpr int32_t kHostSelTextToValue = 61;
constexpr int32_t kHostSelMetafile = 254;
constexpr int32_t kHostSelTakeEvent = 361;
constexpr int32_t kHostSelPeekEvent = 362;
constexpr int32_t kHostSelDisplayRoutines = 401;  // 272: address of the routine table
constexpr int32_t kHostSelCenturyPivot = 531;

// The size of the path buffer of kHostSelGetPath.
constexpr uint32_t kHostPathBufferSize = 260;
// The module's interface version, written into the start-up record.
constexpr uint32_t kModuleInterfaceVersion = 0x660;
// The oldest host interface version to which the module writes its own.
constexpr int16_t kOldestHostInterface = 0x600;
// The oldest host version (low 16 bits of the start-up answer) that runs the module.
constexpr uint16_t kOldestHostVersion = 0x670;
// The newest compatibility value ('xVER') that the module accepts.
constexpr uint32_t kNewestCompatibility = 0x6700000;
