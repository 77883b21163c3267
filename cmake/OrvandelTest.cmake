# orvandel_add_test_program(<name> LIBS <libs...>): one GoogleTest program from every .cpp of the
# calling folder, registered with CTest test by test so that ctest -j runs them in parallel.
function(orvandel_add_test_program name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  # Test programs include their own folder's helpers as "tests/<folder>/..." and whatever the
  # libraries they link expose.
  orvandel_expose_headers(${name} tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
