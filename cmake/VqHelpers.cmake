# One static library per source folder; every .cpp/.h in the folder belongs to it.
# A file named NAME_win32.cpp takes the place of NAME.cpp on Windows; the
# files listed after POSIX_ONLY are the system's own there and not built.
function(vq_library name)
  cmake_parse_arguments(A "" "" "DEPS;POSIX_ONLY" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  vq_system_sources(srcs "${A_POSIX_ONLY}")
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

function(vq_system_sources var posix_only)
  set(kept)
  foreach(src IN LISTS ${var})
    get_filename_component(file ${src} NAME)
    string(REGEX REPLACE "\\.cpp$" "_win32.cpp" variant ${src})
    if(WIN32)
      if(file IN_LIST posix_only OR (NOT variant STREQUAL src AND EXISTS ${variant}))
        continue()
      endif()
    elseif(file MATCHES "_win32\\.(cpp|h)$")
      continue()
    endif()
    list(APPEND kept ${src})
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
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
