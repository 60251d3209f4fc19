# What keeps the sanitizer test build (`make test`) cheap to compile: unity
# batches for the libraries and test programs, one precompiled GoogleTest
# header for every test program, and no inlining in the test programs' own
# code. The lighter debug information (-g1: line tables, all the sanitizers'
# stack traces need) is set in the Makefile, the linker (lld) in the top
# CMakeLists.txt. The README gives the current cost.
#
# Most of the cost of a file of ours is code generation with the sanitizers,
# not reading headers; a unity batch pays for the inline and template code
# that its files share (GoogleTest's printers and comparisons, the standard
# containers) once instead of once a file, and reads the headers once.

# --- Unity builds -----------------------------------------------------------
# CMake joins the sources of each target QV_UNITY_BATCH at a time into one
# translation unit. On by default in the sanitizer build only, so the release,
# benchmark and fuzz builds, and the module they ship, stay file by file;
# -DQV_UNITY_BUILD=OFF (or ON) overrides. A batch of eight heavy test files
# needs about 1 GB of memory to compile.
if(QV_SANITIZE AND NOT QV_FUZZ)
  set(qv_unity_default ON)
else()
  set(qv_unity_default OFF)
endif()
option(QV_UNITY_BUILD "Compile the sources of each target in batches (unity build)" ${qv_unity_default})
set(QV_UNITY_BATCH 8 CACHE STRING "Sources per unity batch")

# qv_unity(target...): compiles the targets' sources in unity batches.
function(qv_unity)
  if(QV_UNITY_BUILD)
    set_target_properties(${ARGN} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${QV_UNITY_BATCH}
      UNITY_BUILD_CODE_BEFORE_INCLUDE
        "// A clash between files of this batch? See QV_UNITY_EXCLUDED in cmake/QvCompileCost.cmake.")
    # In a batch every file is an included one, and GCC then warns of each
    # test class whose fixture is in the anonymous namespace.
    foreach(target ${ARGN})
      target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endforeach()
  endif()
endfunction()

# The files compiled alone, outside the batches, by path from the top of the
# tree. A batch is one translation unit, so two of its files cannot both
# declare the same name in their anonymous namespaces (or as file-scope
# statics): the second one's is a redefinition, or a call or a reference that
# sees both is ambiguous. Every file below declares such a name, given beside
# it, that another file of its target declares too; the first file of each
# clash stays in the batches.
#
# When a new file (or a file added before it in its folder, which moves the
# batch boundaries) breaks a batch with "redefinition of '{anonymous}::X'" or
# "reference to 'X' is ambiguous" in a CMakeFiles/<target>.dir/Unity/unity_N_cxx.cxx,
# add the file named in the error here with the name, or give its name another
# spelling. CMake itself leaves out the files with their own compile options
# (SwapRsrcProc.cpp).
set(QV_UNITY_EXCLUDED
  # Libraries: constants and helpers of the same name in several files.
  area/commands/xMorvaAreaCommands.cpp            # the command value helpers by name
  area/commands/xMorvaViewCommands.cpp            # the command value helpers by name
  dialogs/xMorvaDialogNewArray.cpp                # the colour tables and list helpers by name
  document/xMorvaDocumentOptions.cpp              # kNarrowestText
  document/xMorvaFind.cpp                         # kTabElement
  document/xMorvaTabs.cpp                         # kVersion0100
  engine/xMorvaDocumentLayout.cpp                 # kPageGap, kContinuousGap
  engine/xMorvaEngineLinks.cpp                    # kFieldLook
  engine/xMorvaEngineRepair.cpp                   # kUnitPlaceholder
  engine/xMorvaEngineStorage.cpp                  # kFormat0103, kPictureHeaderSize
  engine/xMorvaEngineText.cpp                     # kUnitSoftHyphen
  engine/xMorvaTextTransferEngine.cpp             # kPictureHeaderSize
  framework/core/memory/VWinMemoryMgr.cpp         # Block (a function here, a type elsewhere)
  framework/core/streams/VHostFieldStream.cpp     # kGrowthSlack
  framework/core/strings/VUniString.cpp           # kMaxHandleBytes
  framework/core/values/VDateTimeText.cpp         # IsDigit
  framework/system/files/VWinFile.cpp             # kRefPath
  graphics/VPortText.cpp                          # IsWin9xFamily
  graphics/pictures/VPictureHostForms.cpp         # kHeaderSize
  graphics/pictures/VPictureKinds.cpp             # kPictureFailed
  interchange/word/xMorvaImportWordProperties.cpp   # kPassAbsent, kExtChar
  host/context/HostCalls.cpp                      # SizeOf
  host/context/HostRequests.cpp                   # Cleared
  host/context/HostStructure.cpp                  # OptionWord
  interchange/word/xMorvaImportWordProperties.cpp # kPassAbsent, kExtChar
  platform/gdi/GdiRegion.cpp                      # Ordered
  platform/gdi/emf/GdiEmfPlayer.cpp               # kCoordLimit
  platform/gdi/emf/GdiMetaRecording.cpp           # Clamp32
  platform/gdi/emf/GdiWmfRecorder.cpp             # kMaxLiveObjects
  platform/gdi/pict/PictInterpreter.cpp           # Player
  platform/win32/WinClasses.cpp                   # gLock
  platform/win32/WinMenus.cpp                     # Menu, Item
  platform/win32/WinFiles.cpp                     # Kind
  platform/win32/WinMemory.cpp                    # Globals
  qvhost/HostPictures.cpp                         # Put32
  views/VPaneView.cpp                             # kMetricBarThickness
  views/VPlugInOwnWindow.cpp                      # kEventUpdate
  # Test programs: the helpers each test file writes for itself (Text, Bytes,
  # kWhite, ...) under the same names, and fakes of the same name.
  controls/tests/VToolBarItemDraggerTest.cpp      # Bar
  controls/tests/VMacLookPainterTest.cpp          # kFace
  controls/tests/MenuImagesTest.cpp               # Str
  document/tests/xMorvaDocInfosTest.cpp           # Text
  document/tests/xMorvaDocParamsTest.cpp          # Text
  document/tests/xMorvaStyleSheetTest.cpp         # Text
  engine/tests/xMorvaEngineStorageTest.cpp        # kFonts, Units
  engine/tests/xMorvaEngineTextTest.cpp           # HandleBytes (TransferTestSupport.h's and another's)
  engine/tests/xMorvaEngineTransferTest.cpp       # HandleBytes (likewise)
  engine/tests/xMorvaQvTestFontTest.cpp           # BreakCase, kLast
  framework/core/tests/DisplayFormatTest.cpp      # Text
  qvhost/tests/RulerThroughQvHostTest.cpp         # kStart (as two other script tests)
  qvhost/tests/PlugInAreaThroughQvHostTest.cpp    # kStart
  framework/core/tests/StringConversionTest.cpp   # Bytes
  framework/core/tests/StringOperationsTest.cpp   # PText
  framework/core/tests/VBooleanTest.cpp           # Filled
  framework/core/tests/VByteReaderTest.cpp        # Order
  framework/core/tests/VByteStringEditTest.cpp    # Bytes
  framework/core/tests/VByteStringTest.cpp        # Bytes
  framework/core/tests/VDateTest.cpp              # Bytes
  framework/core/tests/VHourTest.cpp              # Bytes
  framework/core/tests/VStreamTest.cpp            # RecordingValue
  framework/core/tests/VStringArrayTest.cpp       # RecordingValue
  framework/core/tests/VStringTextFormsTest.cpp   # Text, kNaN
  framework/core/tests/VUniStringEditTest.cpp     # Text
  framework/core/tests/VUniStringTest.cpp         # Text
  framework/core/tests/VValStreamFormTest.cpp     # FakePicture
  framework/core/tests/VValStringFormTest.cpp     # Tagged, Bytes
  framework/core/tests/ValueFactoryTest.cpp       # Tagged, Bytes
  framework/system/tests/VFileDialogTest.cpp      # Text
  framework/system/tests/VMacResourceFileWrapTest.cpp # kDATA
  framework/system/tests/VMemoryResourceFileTest.cpp  # Bytes
  framework/system/tests/VStringResourcesTest.cpp     # Ascii
  framework/system/tests/VSystemServicesFontsTest.cpp # Ascii
  framework/system/tests/VSystemServicesLocaleTest.cpp    # Text
  framework/system/tests/VSystemServicesResourcesTest.cpp # Ascii
  framework/system/tests/VWinFileTest.cpp         # Text
  graphics/tests/VMacBitmapsTest.cpp              # kWhite
  graphics/tests/VMetafilePortTest.cpp            # kWhite
  graphics/tests/VPictureValuesTest.cpp           # kRed, StoredPict
  graphics/tests/VPolygonTest.cpp                 # kWhite, kRed
  graphics/tests/VPortDrawTest.cpp                # kWhite
  graphics/tests/VPortKindsTest.cpp               # kWhite
  graphics/tests/VPortTest.cpp                    # kWhite
  graphics/tests/VShapeTest.cpp                   # ExpectBox
  graphics/tests/VWinPrinterTest.cpp              # Write, Bytes
  host/tests/HostVariablesTest.cpp                # Pascal
  platform/tests/GdiEmfRecordTest.cpp             # FrameOf
  platform/tests/GdiFontDrawTest.cpp              # Canvas
  platform/tests/TbxScrapTest.cpp                 # HandleBytes
  platform/tests/TbxWindowsTest.cpp               # kTitle
  platform/tests/WinMenusTest.cpp                 # Info
  platform/tests/WinInputTest.cpp                 # GetCaretBlinkTime: Win32's, and Tbx's through the
                                                  # `using namespace Tbx` of the Tbx tests before it
  platform/tests/WinMessagesTest.cpp              # gSeen
  qvhost/tests/HostPicturesThroughQvHostTest.cpp  # Name
  tools/rescomp/tests/RescompTest.cpp             # Parse
  views/tests/VPlugInKindsTest.cpp                # EmptyPackage
  views/tests/VPlugInOwnWindowTest.cpp            # EmptyPackage
  views/tests/VPlugInTest.cpp                     # EmptyPackage
  views/tests/VScrollContainerTest.cpp            # Box (PaneTestSupport.h's and another's)
  views/tests/VSplitterTest.cpp                   # Box (likewise)
  views/tests/VWindowUtilitiesTest.cpp            # gCalls
  views/tests/VWindowViewTest.cpp                 # Spot
)

# Marks the files of QV_UNITY_EXCLUDED in every folder that makes targets.
# Called once at the end of the top CMakeLists.txt, when they all exist.
function(qv_unity_apply_exclusions)
  if(NOT QV_UNITY_BUILD)
    return()
  endif()
  set(dirs ${PROJECT_SOURCE_DIR})
  set(queue ${PROJECT_SOURCE_DIR})
  while(queue)
    list(POP_FRONT queue dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    list(APPEND queue ${subdirs})
  endwhile()
  set(files "")
  foreach(file ${QV_UNITY_EXCLUDED})
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${file})
      message(WARNING "QV_UNITY_EXCLUDED names ${file}, which is not in the tree")
    endif()
    list(APPEND files ${PROJECT_SOURCE_DIR}/${file})
  endforeach()
  set_source_files_properties(${files} DIRECTORY ${dirs}
                              PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

# --- The test programs' precompiled header ----------------------------------
# GoogleTest takes most of the time of reading a test file; it and the
# standard headers most tests include are compiled once, by qv_test_pch, and
# every test program reuses that header. GCC accepts a precompiled header only
# under the same flags it checks (-fpie and -fno-inline among them), so its
# owner is compiled as the test programs are; -Winvalid-pch (which CMake adds)
# tells of a test program whose flags came to differ, which then reads the
# headers instead, correctly but slower. -DQV_TEST_PCH=OFF turns it off.
option(QV_TEST_PCH "Precompile GoogleTest's header for the test programs" ON)
set(QV_TEST_PCH_HEADERS <gtest/gtest.h> <algorithm> <cstdint> <cstring> <memory> <string> <vector>)

function(qv_test_pch_target)
  if(TARGET qv_test_pch)
    return()
  endif()
  add_library(qv_test_pch OBJECT ${PROJECT_SOURCE_DIR}/testsupport/TestPch.cpp)
  target_link_libraries(qv_test_pch PRIVATE GTest::gtest)
  set_target_properties(qv_test_pch PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  target_compile_options(qv_test_pch PRIVATE ${CMAKE_CXX_COMPILE_OPTIONS_PIE} -fno-inline -fpch-preprocess)
  target_precompile_headers(qv_test_pch PRIVATE ${QV_TEST_PCH_HEADERS})
endfunction()

# --- The test programs' own code -------------------------------------------
# A test is mostly a long run of assertions, and at -O1 GCC inlines
# GoogleTest's comparison and message helpers into every one of them, where
# the sanitizers then instrument each copy: -fno-inline makes the test
# programs' own sources nearly half as dear to compile. The code under test, the
# libraries, keeps -O1 with its inlining; the sanitizers check both alike
# (GCC still inlines what is marked always_inline).

# qv_test_program(target...): what every test program shares: its sources in
# unity batches, the precompiled header, and no inlining of its own code.
function(qv_test_program)
  qv_unity(${ARGN})
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE -fno-inline)
  endforeach()
  if(QV_TEST_PCH)
    qv_test_pch_target()
    foreach(target ${ARGN})
      target_precompile_headers(${target} REUSE_FROM qv_test_pch)
      # For ccache, which hashes the preprocessed text (see CMakeLists.txt).
      target_compile_options(${target} PRIVATE -fpch-preprocess)
    endforeach()
  endif()
endfunction()
