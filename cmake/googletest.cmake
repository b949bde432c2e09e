# GoogleTest from Debian's source package, built with the cross toolchain.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# corvex_add_test(name SOURCES... LIBS ...): a GoogleTest exe run by CTest under Wine.
function(corvex_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} corvex_test_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "CORVEX_BUILD_DIR=${CMAKE_BINARY_DIR}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

add_library(corvex_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/common/TestMain.cpp)
target_link_libraries(corvex_test_main PUBLIC gtest)

# Started by tools/wine-session.sh beside the tests (see the source).
add_executable(desktop_keeper ${CMAKE_SOURCE_DIR}/tests/common/DesktopKeeper.cpp)
