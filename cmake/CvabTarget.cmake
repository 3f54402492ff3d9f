# Common settings for every target of the project: warnings on, sanitizers when asked.
set(CVAB_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

add_library(cvab_options INTERFACE)
target_compile_options(cvab_options INTERFACE -Wall -Wextra -Wno-multichar)
if(CVAB_SANITIZE)
  target_compile_options(cvab_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(cvab_options INTERFACE -fsanitize=address,undefined)
endif()
if(CVAB_FUZZ)
  target_compile_options(cvab_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_options(cvab_options INTERFACE -fsanitize=address,undefined)
endif()

# cvab_library(name SOURCES ... PUBLIC_DIRS ... DEPS ...)
function(cvab_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DIRS;PRIVATE_DIRS;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${ARG_PUBLIC_DIRS} PRIVATE ${ARG_PRIVATE_DIRS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} cvab_options PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# cvab_test(name SOURCES ... DEPS ...): one GoogleTest program registered with CTest.
function(cvab_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DIRS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${ARG_PRIVATE_DIRS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main cvab_options)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
