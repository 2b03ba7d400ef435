# A short smoke run of both fuzz targets (scripts/fuzz builds them with clang).
find_program(TC_CLANGXX NAMES clang++ clang++-14)
if(TC_CLANGXX)
  add_test(NAME host.fuzz_smoke COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz 15)
  set_tests_properties(host.fuzz_smoke PROPERTIES TIMEOUT 400
                       ENVIRONMENT "CLANGXX=${TC_CLANGXX}")
endif()
