# "Qv Test": the synthetic face the engine's layout tests measure with,
# written once into the build tree by our generator (python3-fonttools). Only
# the engine's test program knows its path and adds it to the fonts at start;
# the product's font configuration never lists it.
function(qv_test_font)
  if(NOT TARGET engine_tests)
    return()
  endif()
  # The Debian interpreter first: the package installs fontTools for it.
  foreach(candidate /usr/bin/python3 python3)
    execute_process(COMMAND ${candidate} -c "import fontTools"
                    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing EQUAL 0)
      set(python ${candidate})
      break()
    endif()
  endforeach()
  if(NOT python)
    message(FATAL_ERROR "python3-fonttools is needed for the test font (tools/install-deps.sh)")
  endif()
  set(script ${PROJECT_SOURCE_DIR}/tools/testfont/make_qv_test_font.py)
  set(font ${CMAKE_BINARY_DIR}/testfonts/QvTest.ttf)
  add_custom_command(OUTPUT ${font}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/testfonts
    COMMAND ${python} ${script} ${font}
    DEPENDS ${script}
    COMMENT "Writing the test font Qv Test")
  add_custom_target(qv_test_font DEPENDS ${font})
  add_dependencies(engine_tests qv_test_font)
  target_compile_definitions(engine_tests PRIVATE
    QV_TEST_FONT_FILE="${font}"
    QV_ENGINE_TEST_DATA="${PROJECT_SOURCE_DIR}/engine/tests/data")
endfunction()
