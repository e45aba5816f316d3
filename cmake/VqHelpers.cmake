# One static library per source folder; every .cpp/.h in the folder belongs to it.
function(vq_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# Built-in modules and class records register themselves from static
# initialisers; an anchor symbol makes the linker keep that object file in
# every program that links the library, even when nothing calls it by name.
function(vq_keep_anchor name symbol)
  target_link_options(${name} INTERFACE "LINKER:--undefined=${symbol}")
endfunction()

# One GoogleTest program per test folder. QT selects the main that creates a
# QApplication on the offscreen platform.
function(vq_test name)
  cmake_parse_arguments(A "QT" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${srcs})
  if(A_QT)
    target_link_libraries(${name} PRIVATE ${A_DEPS} vq_test_support vq_test_main_qt)
  else()
    target_link_libraries(${name} PRIVATE ${A_DEPS} vq_test_support GTest::gtest_main)
  endif()
  vq_discover_tests(${name})
endfunction()

# Registers a GoogleTest program's tests with CTest. A sanitizer report fails
# the test even when it comes from a child process whose exit status the test
# does not look at (a server stopped at the end, say): the report still
# reaches the test's output.
function(vq_discover_tests name)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120
               FAIL_REGULAR_EXPRESSION "(Address|Leak|UndefinedBehavior)Sanitizer|: runtime error: ")
endfunction()
