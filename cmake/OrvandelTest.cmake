# orvandel_add_test_program(<name> LIBS <libs...>): one GoogleTest program from every .cpp of the
# calling folder, registered with CTest test by test so that ctest -j runs them in parallel.
function(orvandel_add_test_program name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support test_leftover_check GTest::gtest GTest::gtest_main
                                        GTest::gmock)
  # Test programs include their own folder's helpers as "tests/<folder>/...", the shared ones as
  # "tests/support/..." and whatever the libraries they link expose.
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  orvandel_expose_headers(${name} ${folder})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
