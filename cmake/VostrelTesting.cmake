# vostrel_add_test(<name> SOURCES <files...> [LIBRARIES <libs...>] [DEPENDS <targets...>])
#
# One GoogleTest program is one CTest test: under Wine every process start
# costs time, so test programs group related suites instead of registering
# each case on its own. On the Windows builds the test runs through Wine
# (CMAKE_CROSSCOMPILING_EMULATOR).
function(vostrel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vostrel_core GTest::gtest GTest::gtest_main ${T_LIBRARIES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 300
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    LABELS "${T_LABELS}")
endfunction()
