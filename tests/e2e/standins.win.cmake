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
