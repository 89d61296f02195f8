# Helpers shared by every folder's CMakeLists.txt.

set(FZ_WARNINGS -Wall -Wextra)
set_property(GLOBAL PROPERTY FZ_SANITIZE_TESTS "")

# One static library per layer folder, made of every source in that folder; with RECURSE, of
# every source in its subfolders too (the layer's concerns).
function(fz_add_layer name)
  cmake_parse_arguments(ARG "RECURSE" "" "PUBLIC_LIBS" ${ARGN})
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  else()
    set(glob GLOB)
  endif()
  file(${glob} sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|h)$")
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(NOT cpp)
    # A layer that has no code yet still gives its users the include path and libraries.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${FZ_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS})
endfunction()

# A GoogleTest executable registered with CTest. SANITIZE puts it into the
# second, sanitized pass of scripts/test.
function(fz_add_gtest name)
  cmake_parse_arguments(ARG "SANITIZE" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${FZ_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    FZ_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    FZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    FZ_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(labels ${ARG_LABELS})
  if(ARG_SANITIZE)
    list(APPEND labels sanitize)
    set_property(GLOBAL APPEND PROPERTY FZ_SANITIZE_TESTS ${name})
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A Qt Test executable (widgets, offscreen) registered with CTest. SANITIZE puts it into the
# sanitized pass of scripts/test as well.
function(fz_add_qtest name)
  cmake_parse_arguments(ARG "SANITIZE" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${FZ_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support Qt6::Test)
  target_compile_definitions(${name} PRIVATE
    FZ_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    FZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    FZ_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests AUTOMOC ON)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(labels gui ${ARG_LABELS})
  if(ARG_SANITIZE)
    list(APPEND labels sanitize)
    set_property(GLOBAL APPEND PROPERTY FZ_SANITIZE_TESTS ${name})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
