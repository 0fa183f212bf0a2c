# GoogleTest from Debian's sources, built with the cross toolchain. Tests only.
set(ZV_GTEST_SRC /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZV_GTEST_SRC} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Test code is compiled for a quick build, not for size: -Og with line tables only takes about
# 40 % less compile time than the product's -Os -g, and the product code under test keeps its
# own flags in its libraries (a test program takes product code only from them).
# A unity source includes each test file, and GCC then takes a fixture in an anonymous
# namespace for one declared in a header (-Wsubobject-linkage): not a fault here.
set(ZV_TEST_CODE_OPTIONS -Og -g1 -Wno-subobject-linkage)
function(zv_test_code target)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${ZV_TEST_CODE_OPTIONS}>")
endfunction()
zv_test_code(gtest)
zv_test_code(gtest_main)
# The win32 thread model has no std::mutex: GoogleTest gets its Notification from us.
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest-notification.h)

# zv_add_gtest(NAME src... [LIBS lib...]): one test program, run by ctest under Wine. Every
# test program has the shared fixtures of tests/support (zvtest_support).
function(zv_add_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON)
  zv_test_code(${name})
  target_link_libraries(${name} PRIVATE gtest_main zvtest_support ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
