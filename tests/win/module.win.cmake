# The module tests load the stored engine image and skin file.
if(TARGET tc_skin_blobs)
  target_link_libraries(win_tests PRIVATE tc_skin_blobs)
endif()

# The product without the engine image: it opens in the standard look. The
# screenshot test compares it with the skinned product.
if(TARGET tc_skin_blobs_plain AND TARGET TelvoCleaner)
  add_executable(TelvoCleaner_plain WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp
                                         ${CMAKE_SOURCE_DIR}/src/app/TelvoCleaner.rc)
  target_link_libraries(TelvoCleaner_plain PRIVATE tc_win tc_core tc_skin_blobs_plain)
  target_compile_options(TelvoCleaner_plain PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TC_CHARSET_FLAGS} ${TC_WARNINGS}>)
  set_target_properties(TelvoCleaner_plain PROPERTIES OUTPUT_NAME TelvoCleaner
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plain)
  add_dependencies(win_tests TelvoCleaner TelvoCleaner_plain)
endif()
if(TARGET tc_e2e_driver)
  target_link_libraries(win_tests PRIVATE tc_e2e_driver)
endif()
