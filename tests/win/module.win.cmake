# The module tests load the stored engine image and skin file.
if(TARGET tc_skin_blobs)
  target_link_libraries(win_tests PRIVATE tc_skin_blobs)
endif()
