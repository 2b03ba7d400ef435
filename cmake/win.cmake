# Win build: the product, the skin engine, and the Windows test programs that
# CTest runs under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(TC_WIN_LIBS user32 gdi32 advapi32 shlwapi ole32 oleaut32 uuid comctl32 shell32)

file(GLOB_RECURSE TC_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*_win.cpp)
file(GLOB_RECURSE TC_WIN_ASM CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*_win.S)
if(TC_WIN_ASM)
  enable_language(ASM)
endif()
add_library(tc_win STATIC ${TC_WIN_SOURCES} ${TC_WIN_ASM})
target_link_libraries(tc_win PUBLIC tc_core ${TC_WIN_LIBS})
target_compile_options(tc_win PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TC_CHARSET_FLAGS} ${TC_WARNINGS}>)

# The skin engine DLL and the byte blocks embedded into the product.
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/resources)
endif()

add_executable(TelvoCleaner WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp
                                   ${CMAKE_SOURCE_DIR}/src/app/TelvoCleaner.rc)
target_link_libraries(TelvoCleaner PRIVATE tc_win tc_core)
if(TARGET tc_skin_blobs)
  target_link_libraries(TelvoCleaner PRIVATE tc_skin_blobs)
endif()
target_compile_options(TelvoCleaner PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TC_CHARSET_FLAGS} ${TC_WARNINGS}>)
# windres reads the script as CP936 bytes: it is converted at build time.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/TelvoCleaner.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/app/TelvoCleaner.manifest;${CMAKE_SOURCE_DIR}/src/app/TelvoCleaner.ico")
set_target_properties(TelvoCleaner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(TelvoCleaner PRIVATE -s)

# Windows unit and system tests: one program, every case a CTest test.
file(GLOB TC_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
add_executable(win_tests ${TC_WIN_TESTS})
target_link_libraries(win_tests PRIVATE tc_fakes tc_win tc_core GTest::gtest_main GTest::gmock)
target_compile_options(win_tests PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
target_compile_definitions(win_tests PRIVATE TC_BINARY_DIR="${CMAKE_BINARY_DIR}")
set_target_properties(win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
gtest_discover_tests(win_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "win."
                     DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)

# Small console programs that the Windows tests start (output writers,
# lock holders, stand-ins for system tools). One program per file.
file(GLOB TC_WIN_HELPERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/helpers/*.cpp)
foreach(src ${TC_WIN_HELPERS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE ${TC_WIN_LIBS})
  target_compile_options(${name} PRIVATE ${TC_CHARSET_FLAGS} ${TC_WARNINGS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/helpers)
  add_dependencies(win_tests ${name})
endforeach()

# Further Windows pieces a subsystem brings (end-to-end driver, benchmarks).
file(GLOB TC_WIN_EXTRAS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*.win.cmake)
foreach(extra ${TC_WIN_EXTRAS})
  include(${extra})
endforeach()
