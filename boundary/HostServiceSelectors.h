// The selectors of the host services beyond the start-up and field set:
// structure, records, variables, processes, methods, named data, windows,
// messages and the forms of host-run dialogs. Shared by the module and the
// stand-in host, as the start-up selectors are.
#pragma once

#include <cstdint>

// ---- Spelling: the entry point of the host's spelling service in 266
// (none: 0).
constexpr int32_t kHostSelSpellingService = 184;
// What the module writes into the service's first record to ask whether the
// service is there, and what the service answers when it is.
constexpr uint16_t kSpellingServiceAsk = 0x5370;
constexpr uint16_t kSpellingServiceReady = 0x4F4B;
// The requests the module makes of the spelling engine the host reaches
// through the same entry point: check a chunk of text, and the check is over.
constexpr uint16_t kSpellingEngineCheck = 0x402;
constexpr uint16_t kSpellingEngineEnd = 0x41E;

// ---- Structure, records and the current selection.
constexpr int32_t kHostSelGotoRecord = -5;        // 0 table, 4 record (0-based), 8, 9
constexpr int32_t kHostSelRecordCount = -6;       // 0 table; 272 count
constexpr int32_t kHostSelCountTables = -9;       // 272 count
constexpr int32_t kHostSelCountFields = -10;      // 0 table; 272 count
constexpr int32_t kHostSelQueryTable = -13;
constexpr int32_t kHostSelSortTable = -14;
constexpr int32_t kHostSelFieldNumbers = -50;     // 10 reference; 0, 2 answers
constexpr int32_t kHostSelCompareTexts = -60;
constexpr int32_t kHostSelCurrentField = -301;    // 272 nonzero when there is one
constexpr int32_t kHostSelCurrentField303 = -303;
constexpr int32_t kHostSelCurrentField383 = -383;
constexpr int32_t kHostSelVariableOp306 = -306;  // 10 name; 272 1 for an interprocess name
constexpr int32_t kHostSelFieldAtPointInTable = 48;
constexpr int32_t kHostSelFieldAtPoint = 49;

// ---- An area's window.
constexpr int32_t kHostSelWindowTitle = 66;       // 10 title (80); 266 area; 304 window port

// ---- Processes.
constexpr int32_t kHostSelCurrentProcess = -91;
constexpr int32_t kHostSelNewProcess = -158;
constexpr int32_t kHostSelDelayProcess = -89;
constexpr int32_t kHostSelWaitStep = -93;
constexpr int32_t kHostSelWaitIdle = -122;
constexpr int32_t kHostSelProcessOther = -104;
constexpr int32_t kHostSelProcessFront = -120;

// ---- Methods, named data, folders and files.
constexpr int32_t kHostSelRoomLeft = -255;
constexpr int32_t kHostSelReadNamedData = -100;
constexpr int32_t kHostSelWriteNamedData = -101;
constexpr int32_t kHostSelNameExists = -127;
constexpr int32_t kHostSelDocumentText335 = -335;
constexpr int32_t kHostSelDocumentText411 = -411;

// ---- Messages.
constexpr int32_t kHostSelConfirm = -250;        // 272 text address; 276 answer (1 = yes)

// ---- Forms of host-run dialogs.
constexpr int32_t kFormSelNew = -200;            // 272 new form reference
constexpr int32_t kFormSelOpen = -201;
constexpr int32_t kFormSelClose = -202;
constexpr int32_t kFormSelStep = -203;
constexpr int32_t kFormSelEnable = -204;
constexpr int32_t kFormSelGetEntry = -205;
constexpr int32_t kFormSelGetLong = -207;
constexpr int32_t kFormSelSetLong = -208;
constexpr int32_t kFormSelGetReal = -209;
constexpr int32_t kFormSelSetReal = -210;
constexpr int32_t kFormSelGetText = -211;
constexpr int32_t kFormSelSetText = -212;
constexpr int32_t kFormSelSetPicture = -213;
constexpr int32_t kFormSelGetListReal = -217;
constexpr int32_t kFormSelGetListText = -218;
constexpr int32_t kFormSelGetListLong = -219;
constexpr int32_t kFormSelGetObjectRect = -222;
constexpr int32_t kFormSelBeginChanges = -226;
constexpr int32_t kFormSelEndChanges = -227;
constexpr int32_t kFormSelClearList = -228;
constexpr int32_t kFormSelSetListText = -229;
constexpr int32_t kFormSelSetDate = -230;
constexpr int32_t kFormSelSelectPage = -233;
constexpr int32_t kFormSelGetPage = -234;
constexpr int32_t kFormSelNewObject = -235;
constexpr int32_t kFormSelDeleteObject = -236;
constexpr int32_t kFormSelEventDetails = -237;
constexpr int32_t kFormSelGetFieldRef = -238;
constexpr int32_t kFormSelGetListSelection = -242;
constexpr int32_t kFormSelSetListRange = -243;
constexpr int32_t kFormSelSetEnterable = -251;
constexpr int32_t kFormSelSetMinimum = -252;
constexpr int32_t kFormSelSetMaximum = -253;
constexpr int32_t kFormSelSetOwner = -258;
constexpr int32_t kFormSelGetOwner = -259;
constexpr int32_t kFormSelSetCheck = -260;
constexpr int32_t kFormSelOfWindow = -261;
constexpr int32_t kFormSelGetWindow = -262;
constexpr int32_t kFormSelSetFieldRef = -263;
constexpr int32_t kFormSelSetTextHandle = -308;
constexpr int32_t kFormSelGetTextHandle = -309;
constexpr int32_t kFormSelRelease = -336;
constexpr int32_t kFormSelShowObject = -337;
constexpr int32_t kFormSelRedrawObject = -341;
constexpr int32_t kFormSelRunModeless = -358;
constexpr int32_t kFormSelCloseModeless = -359;
constexpr int32_t kFormSelModelessStep = -385;
constexpr int32_t kFormSelSetObjectRect = -393;
constexpr int32_t kFormSelGetTitle = -405;
constexpr int32_t kFormSelSetWindowSize = -397;
constexpr int32_t kFormSelFillFromResource = -223;
constexpr int32_t kFormSelSetText80 = -329;
constexpr int32_t kFormSelSetFormat = -330;
constexpr int32_t kFormSelClearHandles = -331;
constexpr int32_t kFormSelSetListHandle = -332;
constexpr int32_t kFormSelGetListHandle = -333;
constexpr int32_t kFormSelResources = -408;
constexpr int32_t kFormSelEndRun = -425;

// Further form selectors whose meaning is the host's.
constexpr int32_t kFormSelFillTableList = -224;
constexpr int32_t kFormSelCall225 = -225;
constexpr int32_t kFormSelDrawCallback = -221;
constexpr int32_t kFormSelShowObjectFirst = -232;
constexpr int32_t kFormSelListCall239 = -239;
constexpr int32_t kFormSelListCall240 = -240;
constexpr int32_t kFormSelCall241 = -241;
constexpr int32_t kFormSelCall244 = -244;
constexpr int32_t kFormSelCall245 = -245;
constexpr int32_t kFormSelSetData246 = -246;
constexpr int32_t kFormSelCall247 = -247;
constexpr int32_t kFormSelGetValue215 = -215;
constexpr int32_t kFormSelSetValue216 = -216;
constexpr int32_t kFormSelListCall327 = -327;
constexpr int32_t kFormSelListCall328 = -328;
constexpr int32_t kFormSelSetFlag394 = -394;
constexpr int32_t kFormSelSetFlag395 = -395;
constexpr int32_t kFormSelGetRect396 = -396;
constexpr int32_t kFormSelCall398 = -398;
constexpr int32_t kFormSelCall399 = -399;
constexpr int32_t kFormSelCall406 = -406;
constexpr int32_t kFormSelCall409 = -409;
constexpr int32_t kFormSelCall416 = -416;
constexpr int32_t kFormSelCall428 = -428;
constexpr int32_t kFormSelGetData515 = -515;
constexpr int32_t kFormSelCall516 = -516;
constexpr int32_t kFormSelGet517 = -517;
constexpr int32_t kFormSelGet528 = -528;
constexpr int32_t kFormSelSet529 = -529;
// The value at +276 of the draw-callback selector when its flag is set.
constexpr uint32_t kFormDrawCallbackFlag = 6642;

// The routines a dialog hands to the host for its form. The event
// callback: (form reference, event record, object name as length-byte
// text, event code in the low byte, one further word). The modeless step
// routine: (form reference, parameter); false when nothing happened.
struct HostEventRecord;
using HostFormEventCallback = void (*)(uint32_t form, HostEventRecord* event, const uint8_t* objectName,
                                       int32_t code, int32_t extra);
using HostFormStepRoutine = uint8_t (*)(uint32_t form, uint32_t parameter);
// The routine of a form's user area, which the host calls for each event of
// the area: (the area's object slot, a pointer-sized cell the host keeps;
// the object name as length-byte text; the area's rectangle {top, left,
// bottom, right} in the form; the area's event record).
using HostUserAreaRoutine = void (*)(void** slot, const uint8_t* objectName, void* rect, HostEventRecord* event);
// Form event codes.
constexpr int32_t kFormEventClick = 4;
constexpr int32_t kFormEventMenu = 18;
constexpr int32_t kFormEventPoint = 13;
constexpr int32_t kFormEventKey = 17;
constexpr int32_t kFormEventValueChanged = 20;
constexpr int32_t kFormEventDrop = 21;
// The host's menu of editing commands in a form.
constexpr int32_t kFormEditMenu = 262;
// Object names at +310 go to the host zero-terminated, at most 80 bytes.
constexpr int32_t kFormObjectNameMax = 80;
// The open code of a form at +304, and the tag of a dialog's resources.
constexpr uint32_t kFormOpenCode = 0x36353635;  // '6565'
constexpr uint32_t kFormResourceTag = 0x444C5176;  // 'DLQv'

// The structure option's value, the window kind of a modal run and the
// open code of a form.
constexpr int32_t kFormWindowModal = 5;
constexpr int32_t kFormWindowFloating = 722;
// Range kinds of entry objects.
constexpr int32_t kFormRangeReal = 1;
constexpr int32_t kFormRangeDate = 4;
constexpr int32_t kFormRangeNone = 5;
// Messages to a dialog's owner before and after a modal run.
constexpr int32_t kDialogOwnerBeforeRun = -998;
constexpr int32_t kDialogOwnerAfterRun = -997;

// ---- Host routines, host records and host expressions.
constexpr int32_t kHostSelFindRoutine = -117;        // 10 name; 272 routine number (0: none)
constexpr int32_t kHostSelRunRoutine = -118;         // 272 routine, 266 handle of (n + 1) entries
constexpr int32_t kHostSelReleaseEntry = 410;        // 272 address of an entry the host filled
constexpr int32_t kHostSelReleaseEntryOld = -410;    // the same, as older modules send it
constexpr int32_t kHostSelRecordByName = -513;       // 10 "name{i}"; 266 handle of 38 bytes
constexpr int32_t kHostSelCompileExpression = -82;   // 266 source handle; 272 compiled handle
constexpr int32_t kHostSelReleaseExpression = -83;   // 266 compiled handle
constexpr int32_t kHostSelEvaluateExpression = -84;  // 266 compiled handle, 272 entry address
constexpr int32_t kHostSelSwapExpression = -162;     // 266 compiled handle, converted in place
constexpr int32_t kHostSelExpressionText = -185;     // 266 compiled handle in, source handle out

// ---- Further host requests: lookups between numbers and texts, reals by
// kind, host modes and calls whose meaning is the host's.
constexpr int32_t kHostSelNumberToText505 = -505;  // 272 value; 10 text
constexpr int32_t kHostSelTextToNumber506 = -506;  // 10 text; 16-bit 272
constexpr int32_t kHostSelNumberToText507 = -507;  // 16-bit 308 number; 310 text
constexpr int32_t kHostSelTextToNumber508 = -508;
constexpr int32_t kHostSelNumberToText509 = -509;
constexpr int32_t kHostSelRealByKind = -510;       // 0 a, 2 b, 272 kind; 288 real
constexpr int32_t kHostSelCall500 = 500;
constexpr int32_t kHostSelCall501 = 501;
constexpr int32_t kHostSelCall502 = 502;
constexpr int32_t kHostSelCall503 = 503;
constexpr int32_t kHostSelCall514 = -514;
constexpr int32_t kHostSelCall65 = -65;
constexpr int32_t kHostSelCall512 = -512;
constexpr int32_t kHostSelTableTest40 = -40;       // 0 table; 272 = 1 yes
constexpr int32_t kHostSelCall511 = -511;
constexpr int32_t kHostSelValue90 = -90;           // 266 value; 272 answer
constexpr int32_t kHostSelState178 = -178;         // byte 272, 16-bit 276
constexpr int32_t kHostSelMode179 = -179;          // 272 mode 0, 1 or 2
// A host object driven by its number: 519 gives the object's handle for the
// number at 272 (answered at 266); the others send that handle at 266 and
// the number at 272; 521 releases the handle.
constexpr int32_t kHostSelObjectOpen519 = 519;
constexpr int32_t kHostSelObjectCall520 = 520;
constexpr int32_t kHostSelObjectRelease521 = 521;
constexpr int32_t kHostSelObjectCall522 = 522;
constexpr int32_t kHostSelObjectCall526 = 526;
constexpr int32_t kHostSelObjectCall527 = 527;
// 530 sets one thing of the object: the handle at 266, the operation at 272
// ('SHOW', 'HIDE', 'STAT', 'TITL', 'REPT'), its value at 284 (the state's
// bit, the repeat Boolean) or its text at 10.
constexpr int32_t kHostSelObjectSet530 = 530;
// The package's data kept by the host, by (resource base at 272, a at 280,
// b at 284): -102 answers a handle of it at 266, -103 hands the host the
// handle at 266 (with c at 276) to keep. Error word at 270.
constexpr int32_t kHostSelGetPackageData = -102;
constexpr int32_t kHostSelSetPackageData = -103;
// The error word of a refused local variable name.
constexpr int16_t kHostRefusedLocalName = -1;

// ---- The resource file the host keeps for the module. Every call carries
// the host's reference of the file at 0; type at 272, id at 276, handle at
// 266, name at 10, the found flag at 8.
constexpr int32_t kResSelAdd = -310;         // 8 = 1: the host chooses the id (answered at 276)
constexpr int32_t kResSelRemove = -311;      // by handle, by type and id, or by type and name
constexpr int32_t kResSelGet = -312;         // by type and id or name; 8 found, 266 handle
constexpr int32_t kResSelGetIndexed = -313;  // 276 index (1-based)
constexpr int32_t kResSelRelease = -314;
constexpr int32_t kResSelDetach = -315;    // the handle becomes the module's
constexpr int32_t kResSelWrite = -316;     // the handle's bytes are stored
constexpr int32_t kResSelCount = -317;     // 280 count
constexpr int32_t kResSelInfo = -318;      // 276 id, 10 name, 280 size
constexpr int32_t kResSelSetInfo = -319;   // 10 new name
constexpr int32_t kResSelLock = -322;      // 8 = 1 lock (266 answers the data's address), 0 unlock
constexpr int32_t kResSelLoadFlag = -323;  // 8 new setting; the previous answered at 8
constexpr int32_t kResSelListIds = -324;   // 266 handle of 16-bit ids
constexpr int32_t kResSelListNames =
    -325;  // 266 handle of 32-byte records, each a length-byte name
constexpr int32_t kResSelListTypes = -326;  // 266 handle of 32-bit types
constexpr int32_t kResSelOpenFileRecord = -342;   // 266 handle of the file to open; references answered at 0 and 2
constexpr int32_t kResSelClose = -343;
constexpr int32_t kResSelOpenFileRecordWith = -346;
constexpr int32_t kResSelOpenKept = -347;  // references answered at 0 and 2
constexpr int32_t kResSelUpdate = -348;
// Four calls on the file that the module itself never makes; the error word at 270.
constexpr int32_t kResSelCall349 = -349;  // 8, 9, 10, 272, 276 in; 0 answered
constexpr int32_t kResSelCall350 = -350;  // 2, 10, 272 to 284 in; 2 answered
constexpr int32_t kResSelCall351 = -351;  // 272 to 284 and the short value in
constexpr int32_t kResSelCall352 = -352;
constexpr int32_t kResSelMakeCurrent = -384;  // the previous current reference answered at 0
constexpr int32_t kResSelUniqueId = -392;     // 276 a free id
constexpr int32_t kResSelForget = -439;       // the module gives a handle it got back
// The record of the names list: 32 bytes per name.
constexpr uint32_t kResNameRecordSize = 32;
