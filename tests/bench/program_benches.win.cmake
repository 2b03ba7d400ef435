# Benchmarks that drive the program's own window, adapters and skin in the
# bench process: idle cost and responsiveness of its waits and folder walks,
# and the split of a whole cleaning run over the demo installation (that one
# runs in a seeded prefix of its own, see scripts/bench).
foreach(bench idle_bench cleaning_demo_bench)
  add_executable(${bench} ${CMAKE_CURRENT_LIST_DIR}/${bench}.cpp)
  target_link_libraries(${bench} PRIVATE tc_win tc_core tc_skin_blobs)
  target_include_directories(${bench} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${bench} PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  target_compile_definitions(${bench} PRIVATE TC_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${bench} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
# scripts/seed-demo installs the stand-ins and starts the sleeping helper.
add_dependencies(cleaning_demo_bench standins clean_sleeper)
