# Recording stand-ins of the service, task, firewall and task-kill tools for
# the end-to-end prefixes (installed into system32 with a native override).
set(TC_STANDIN_DIR ${CMAKE_BINARY_DIR}/tests/standins)
add_custom_target(standins)
foreach(tool sc net schtasks netsh taskkill)
  add_executable(standin_${tool} ${CMAKE_CURRENT_LIST_DIR}/standins/${tool}.cpp)
  target_compile_options(standin_${tool} PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  set_target_properties(standin_${tool} PROPERTIES OUTPUT_NAME ${tool}
                        RUNTIME_OUTPUT_DIRECTORY ${TC_STANDIN_DIR})
  add_dependencies(standins standin_${tool})
endforeach()

# The cleaning scenarios work the real program in a prefix of their own (they
# install the stand-ins and change its registry); the same sources in the
# shared end-to-end program skip themselves.
if(TARGET tc_e2e_driver)
  get_filename_component(_tc_build_name ${CMAKE_BINARY_DIR} NAME)
  string(REGEX REPLACE "win$" "" _tc_tag "${_tc_build_name}")
  set(TC_CLEANING_PREFIX ${CMAKE_SOURCE_DIR}/build/wine/${_tc_tag}e2e-cleaning)
  file(GLOB TC_CLEANING_E2E CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cleaning_*_e2e.cpp)
  add_executable(cleaning_e2e_tests ${TC_CLEANING_E2E})
  target_link_libraries(cleaning_e2e_tests PRIVATE tc_e2e_driver GTest::gtest_main)
  target_compile_options(cleaning_e2e_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  set_target_properties(cleaning_e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_dependencies(cleaning_e2e_tests TelvoCleaner standins clean_sleeper clean_holder)
  gtest_discover_tests(cleaning_e2e_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "e2e.own."
                       DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300 RESOURCE_LOCK tc_cleaning_prefix
                       ENVIRONMENT "TC_WINEPREFIX=${TC_CLEANING_PREFIX}")
endif()
