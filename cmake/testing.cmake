# add_wine_gtest(name SOURCES ... LIBS ... [TIMEOUT s] [RESOURCE_LOCK name])
# A GoogleTest program run under Wine, one CTest test per test case, each with a
# time limit so that a hang fails instead of blocking the run. RESOURCE_LOCK keeps
# the program's tests from overlapping with other tests that name the same lock
# (for state shared by the whole prefix, such as a registry value).
function(add_wine_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest_main test_support ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  set(extra_properties)
  if(T_RESOURCE_LOCK)
    set(extra_properties RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT} ${extra_properties})
endfunction()

# A small Windows program that tests start as a child process.
function(add_test_host name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE test_support)
endfunction()

# A Quorvel test host: also understands the steps all of them share
# (tests/hosts/common), compiled with the host's own settings, since one host links
# the library's code directly instead of the DLL.
function(add_quorvel_test_host name)
  add_test_host(${name} ${ARGN} ${PROJECT_SOURCE_DIR}/tests/hosts/common/host_steps.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/hosts/common)
  target_link_options(${name} PRIVATE -municode)
endfunction()
