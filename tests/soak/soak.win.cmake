# Soak tests: the program's window, adapters and skin worked many times over
# in one process, with what the process holds counted in between. They run in
# the cleaning scenarios' prefix, one at a time with those scenarios: its
# stand-ins serve the whole cleaning runs, and no other program there adds
# to Wine's session-wide USER objects while they count.
if(TARGET tc_e2e_driver AND DEFINED TC_CLEANING_PREFIX)
  file(GLOB TC_SOAK_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_soak.cpp)
  add_executable(soak_tests ${TC_SOAK_TESTS} ${CMAKE_CURRENT_LIST_DIR}/object_counts.cpp)
  target_include_directories(soak_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(soak_tests PRIVATE tc_e2e_driver tc_win tc_core tc_skin_blobs
                        GTest::gtest_main psapi)
  target_compile_options(soak_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  set_target_properties(soak_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_dependencies(soak_tests standins clean_sleeper)
  gtest_discover_tests(soak_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "soak."
                       DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 1200 RESOURCE_LOCK tc_cleaning_prefix
                       ENVIRONMENT "TC_WINEPREFIX=${TC_CLEANING_PREFIX}")
endif()
