# The Buffer Settings and Devices pages end to end: corvexsim.exe + corvexsvc.exe -console + corvexcpl.exe.
corvex_add_test(e2e_pages_tests
  SOURCES e2e_pages_test.cpp e2e_cpl_session.cpp ${CMAKE_SOURCE_DIR}/tests/cpl/CplProcess.cpp
          ${CMAKE_SOURCE_DIR}/tests/cpl/CplTestSupport.cpp
  LIBS simulator cpl_lib
  TIMEOUT 120)
set_tests_properties(e2e_pages_tests PROPERTIES RESOURCE_LOCK "corvexsvc_instance;corvexcpl")
add_dependencies(e2e_pages_tests corvexcpl corvexsim corvexsvc)
