# The international text tables of the module's resource file, generated at
# build time from real mapping sources (Python's codecs and ICU's uconv) by
# tools/texttables/gen_texttables.py. Included by resources/CMakeLists.txt
# before its compile rule; adds the generated source to QV_GENERATED_RESOURCES.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(QV_UCONV uconv REQUIRED)

set(QV_TEXTTABLES_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/texttables.r)
set(QV_TEXTTABLES_GENERATOR ${PROJECT_SOURCE_DIR}/tools/texttables/gen_texttables.py)
add_custom_command(
  OUTPUT ${QV_TEXTTABLES_SOURCE}
  COMMAND Python3::Interpreter ${QV_TEXTTABLES_GENERATOR}
          --output ${QV_TEXTTABLES_SOURCE} --uconv ${QV_UCONV}
  DEPENDS ${QV_TEXTTABLES_GENERATOR}
  COMMENT "Generating the international text tables"
  VERBATIM)
list(APPEND QV_GENERATED_RESOURCES ${QV_TEXTTABLES_SOURCE})
