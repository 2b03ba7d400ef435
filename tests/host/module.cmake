# The module tests on their own, for quick runs while working on the loader
# (the same files are part of host_tests too).
file(GLOB TC_MODULE_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/module_*_test.cpp)
add_executable(module_host_tests EXCLUDE_FROM_ALL ${TC_MODULE_HOST_TESTS})
target_link_libraries(module_host_tests PRIVATE tc_core GTest::gtest_main)
target_compile_options(module_host_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(module_host_tests PRIVATE TC_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
