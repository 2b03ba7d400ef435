# Benchmark programs (not tests): scripts/bench runs every *_bench.exe found
# in the build's bench folder and prints the figures they report.
add_executable(runner_bench ${CMAKE_CURRENT_LIST_DIR}/runner_bench.cpp)
target_link_libraries(runner_bench PRIVATE tc_win tc_core)
target_include_directories(runner_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(runner_bench PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(runner_bench PRIVATE TC_BINARY_DIR="${CMAKE_BINARY_DIR}")
set_target_properties(runner_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_dependencies(runner_bench runner_writer)

# Start-up and footprint of the real program, against minimal_window.exe: the
# smallest one-window program, built with the same toolchain and flags.
add_executable(minimal_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/minimal_window.cpp)
target_compile_options(minimal_window PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_link_options(minimal_window PRIVATE -s)
set_target_properties(minimal_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
# The footprint bench watches a whole cleaning run, so it runs in the seeded
# demo prefix (scripts/bench does that for every *_demo_bench).
foreach(bench startup_bench footprint_demo_bench)
  add_executable(${bench} ${CMAKE_CURRENT_LIST_DIR}/${bench}.cpp)
  target_link_libraries(${bench} PRIVATE tc_e2e_driver psapi)
  target_compile_options(${bench} PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  set_target_properties(${bench} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_dependencies(${bench} TelvoCleaner minimal_window standins clean_sleeper)
endforeach()
