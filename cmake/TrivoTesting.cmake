# trivo_add_test(NAME SOURCES files... LIBS libs... [RC file.rc])
# One GoogleTest executable, registered with CTest as one test. In the
# Windows tree CTest runs it under Wine through the cross-compiling emulator.
function(trivo_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;RC" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_RC})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(EMSCRIPTEN)
    # Under node, with the host's files and a synchronous start.
    target_link_options(${name} PRIVATE -sNODERAWFS=1 -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1 -sENVIRONMENT=node)
  endif()
  target_compile_definitions(${name} PRIVATE
    TRIVO_TESTDATA_DIR="${TRIVO_TESTDATA_PREFIX}${TRIVO_SHARED_DIR}/testdata"
    TRIVO_SOURCE_DIR="${TRIVO_TESTDATA_PREFIX}${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
