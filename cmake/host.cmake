# Host build: unit tests of the portable core against the fakes.
file(GLOB TC_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
add_executable(host_tests ${TC_HOST_TESTS})
target_link_libraries(host_tests PRIVATE tc_fakes tc_core GTest::gtest_main GTest::gmock)
target_compile_options(host_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(host_tests PRIVATE TC_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(host_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "host.")

# Extra host pieces that a subsystem brings (fuzz smoke runs and the like).
file(GLOB TC_HOST_EXTRAS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cmake)
foreach(extra ${TC_HOST_EXTRAS})
  include(${extra})
endforeach()
