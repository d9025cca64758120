# Shared build helpers: one call per library, test, benchmark and fuzz target.

set(TEXTWRIGHT_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports false -Wrestrict overlaps inside std::string at -O3 (GCC bug 105329).
  list(APPEND TEXTWRIGHT_WARNINGS -Wno-restrict)
endif()
if(TEXTWRIGHT_WERROR)
  list(APPEND TEXTWRIGHT_WARNINGS -Werror)
endif()

# Every core library registers itself here so that fuzz targets and tools can link "the core".
set_property(GLOBAL PROPERTY TEXTWRIGHT_CORE_LIBS "")

# textwright_library(NAME SOURCES... [LIBS ...])
# A static library of the core; its folder's parent (the source root) is the include root,
# so headers are included as "config/Configuration.h".
function(textwright_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TEXTWRIGHT_WARNINGS})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  set_property(GLOBAL APPEND PROPERTY TEXTWRIGHT_CORE_LIBS ${name})
endfunction()

# textwright_existing_targets(OUT names...): the names that are targets by now.
function(textwright_existing_targets out)
  set(found "")
  foreach(lib ${ARGN})
    if(TARGET ${lib})
      list(APPEND found ${lib})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# textwright_core_folder(NAME [LIBS ...])
# The library of one core folder: every .cpp below the folder. Dependencies that are not
# (yet) targets are left out, so a folder can land before the folders it will use.
function(textwright_core_folder name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  textwright_existing_targets(libs ${ARG_LIBS})
  if(srcs)
    textwright_library(${name} SOURCES ${srcs} LIBS ${libs})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${libs})
  endif()
endfunction()

# textwright_folder_tests(NAME LIBS ...)
# One test executable of every *Test.cpp in the calling folder.
function(textwright_folder_tests name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  textwright_existing_targets(libs ${ARG_LIBS})
  if(srcs)
    textwright_add_test(${name} SOURCES ${srcs} LIBS ${libs})
  endif()
endfunction()

# textwright_add_test(NAME SOURCES... LIBS ...)
# A GoogleTest executable whose tests are discovered into CTest. Test data lives in
# tests/data and is passed in as TEXTWRIGHT_TEST_DATA_DIR.
function(textwright_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TEXTWRIGHT_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    TEXTWRIGHT_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    TEXTWRIGHT_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
