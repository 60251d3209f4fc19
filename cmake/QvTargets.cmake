# Helpers that turn a subsystem folder into a static library and its tests/
# folder into one test program, so that adding a source file needs no edit here.

set(QV_SUBSYSTEM_LIBRARIES "" CACHE INTERNAL "")
set(QV_SUBSYSTEMS "" CACHE INTERNAL "")
set(QV_LAYERS "" CACHE INTERNAL "")
set(QV_LAYER_EXEMPT "" CACHE INTERNAL "")
set(QV_LAYER_ORDERS "" CACHE INTERNAL "")

# qv_layer(target folder dependency...): the folder whose sources make the
# target, and the targets it stands on. The include check lets a folder
# include its own headers and those of the folders of its dependencies,
# followed transitively; dependencies that are not layers (system libraries)
# are ignored.
function(qv_layer name dir)
  string(JOIN "," deps ${ARGN})
  set(QV_LAYERS ${QV_LAYERS} "${name}|${dir}|${deps}" CACHE INTERNAL "")
endfunction()

# qv_layer_exempt(folder...): folders whose sources may include any layer
# (tests, benchmarks, fuzz targets, the composition root). A folder named
# tests/ is exempt wherever it is.
function(qv_layer_exempt)
  set(QV_LAYER_EXEMPT ${QV_LAYER_EXEMPT} ${ARGN} CACHE INTERNAL "")
endfunction()

# qv_layer_order(folder level...): the order of the sub-folders of a layer,
# lowest first. Each level names one sub-folder, or several separated by
# spaces that may include one another; "." stands for the files directly in
# the folder. A sub-folder may include its own level and those below it, and
# every sub-folder with sources must be placed.
function(qv_layer_order dir)
  string(JOIN "<" levels ${ARGN})
  set(QV_LAYER_ORDERS ${QV_LAYER_ORDERS} "${dir}|${levels}" CACHE INTERNAL "")
endfunction()

# Writes the declarations above into the table that the include check reads.
function(qv_write_layer_table file)
  set(text "# Written by CMake from the qv_subsystem and qv_layer declarations.\n")
  foreach(entry ${QV_LAYERS})
    string(APPEND text "layer|${entry}\n")
  endforeach()
  foreach(dir ${QV_LAYER_EXEMPT})
    string(APPEND text "exempt|${dir}\n")
  endforeach()
  foreach(entry ${QV_LAYER_ORDERS})
    string(APPEND text "order|${entry}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${file} CONTENT "${text}" @ONLY)
endfunction()

# qv_subsystem(target folder dependency...)
function(qv_subsystem name dir)
  set(root ${PROJECT_SOURCE_DIR}/${dir})
  # Matched below the folder itself, so that a checkout in a folder named
  # tests still builds its code.
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS RELATIVE ${root} ${root}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "(^|/)tests/")
  list(TRANSFORM srcs PREPEND ${root}/)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    qv_unity(${name})
    # The module's code throws no exception and is not written to be unwound
    # through; only its two entry points are built with exceptions, to end
    # any that the runtime lets through (ModuleLibrary.cpp, SwapRsrcProc.cpp).
    target_compile_options(${name} PRIVATE -fno-exceptions)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
    set(QV_SUBSYSTEM_LIBRARIES ${QV_SUBSYSTEM_LIBRARIES} ${name} CACHE INTERNAL "")
  else()
    # No code yet: an interface target keeps the dependency chain whole.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
  set(QV_SUBSYSTEMS ${QV_SUBSYSTEMS} "${name}|${dir}" CACHE INTERNAL "")
  qv_layer(${name} ${dir} ${ARGN})
endfunction()

# One test program per subsystem whose folder has a tests/ folder, labelled
# with the subsystem's name. Called once every library target exists.
function(qv_subsystem_tests)
  foreach(entry ${QV_SUBSYSTEMS})
    string(REPLACE "|" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 dir)
    file(GLOB_RECURSE tsrcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/tests/*.cpp)
    if(tsrcs)
      add_executable(${name}_tests ${tsrcs})
      qv_test_program(${name}_tests)
      target_link_libraries(${name}_tests PRIVATE ${name} qv_testmain GTest::gtest GTest::gmock)
      if(TARGET qvmorva_resources)
        # The module's resource file, as the host opens it before start.
        add_dependencies(${name}_tests qvmorva_resources)
        target_compile_definitions(${name}_tests PRIVATE QV_RESOURCE_FILE="${QV_RESOURCE_FILE}")
      endif()
      if(TARGET qvmodule_sample AND name STREQUAL "framework_system")
        # A library carrying resources, for the module resource file.
        add_dependencies(${name}_tests qvmodule_sample)
        target_compile_definitions(${name}_tests PRIVATE
          QV_MODULE_SAMPLE="$<TARGET_FILE:qvmodule_sample>")
      endif()
      add_test(NAME ${name} COMMAND ${name}_tests --gtest_brief=1
               WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      set_tests_properties(${name} PROPERTIES LABELS ${name} TIMEOUT 900)
    endif()
  endforeach()
endfunction()
