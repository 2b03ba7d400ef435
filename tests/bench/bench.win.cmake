# Benchmark programs (not tests): scripts/bench runs every *_bench.exe found
# in the build's bench folder and prints the figures they report.
add_executable(runner_bench ${CMAKE_CURRENT_LIST_DIR}/runner_bench.cpp)
target_link_libraries(runner_bench PRIVATE tc_win tc_core)
target_compile_options(runner_bench PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(runner_bench PRIVATE TC_BINARY_DIR="${CMAKE_BINARY_DIR}")
set_target_properties(runner_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_dependencies(runner_bench runner_writer)
