# End-to-end tests: a driver library that works the real TelvoCleaner.exe
# from another Windows process, the gtest program of all scenarios
# (tests/e2e/*_e2e.cpp) and the demo program that `make run` uses.
add_library(tc_e2e_driver STATIC ${CMAKE_SOURCE_DIR}/tests/e2e/driver.cpp)
target_include_directories(tc_e2e_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tc_e2e_driver PUBLIC user32 gdi32)
target_compile_options(tc_e2e_driver PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(tc_e2e_driver PUBLIC TC_BINARY_DIR="${CMAKE_BINARY_DIR}")

file(GLOB TC_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_e2e.cpp)
# The cleaning scenarios have a program and a prefix of their own (standins.win.cmake).
list(FILTER TC_E2E_TESTS EXCLUDE REGEX "/cleaning_[^/]*_e2e\\.cpp$")
add_executable(e2e_tests ${TC_E2E_TESTS})
target_link_libraries(e2e_tests PRIVATE tc_e2e_driver tc_fakes tc_win tc_core
                      GTest::gtest_main GTest::gmock)
target_compile_options(e2e_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
set_target_properties(e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(e2e_tests TelvoCleaner)
# The scenarios share one prefix and its registry, and a pressed button acts
# on whatever is installed there: they run one at a time.
gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "e2e."
                     DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 300 RESOURCE_LOCK tc_e2e_prefix)

add_executable(demo ${CMAKE_SOURCE_DIR}/tests/e2e/demo.cpp)
target_link_libraries(demo PRIVATE tc_e2e_driver)
target_compile_options(demo PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
set_target_properties(demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(demo TelvoCleaner)

# The Windows tests read the built product back (resources, imports).
add_dependencies(win_tests TelvoCleaner)
