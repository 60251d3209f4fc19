# Helpers that turn a subsystem folder into a static library and its tests/
# folder into one test program, so that adding a source file needs no edit here.

set(QV_SUBSYSTEM_LIBRARIES "" CACHE INTERNAL "")
set(QV_SUBSYSTEMS "" CACHE INTERNAL "")

# qv_subsystem(target folder dependency...)
function(qv_subsystem name dir)
  set(root ${PROJECT_SOURCE_DIR}/${dir})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${root}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/tests/")
  list(FILTER srcs EXCLUDE REGEX "/module/")
  if(srcs)
    add_library(${name} STATIC ${srcs})
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
