# kell_layer(NAME DEPS ... [PRIVATE_DEPS ...]): one static library per folder, made of every .cpp
# in it. The folder's sources are globbed so that adding a file needs no edit here; the allowed
# dependencies are listed explicitly, so an include across a forbidden arrow fails to link.
# DEPS are the ones the folder's headers include, which its users see too; PRIVATE_DEPS only
# its sources use (they are still linked, but their headers stay the folder's business).
function(kell_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources AND NOT ARG_EXTRA_SOURCES)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# kell_test(NAME DEPS ... [SLOW] [HOST_ONLY file.cpp ...] [HOST_DEPS ...]): one GoogleTest
# executable made of every .cpp in the folder.
# SLOW marks a folder with tests that take minutes (whole sessions in real time, the campaign):
# ctest starts them first, so that they run beside the many short ones instead of after them.
# Each test holds one of the machine's CPU slots (see tests/CMakeLists.txt) while it runs, except
# those of the executables named in KELL_REAL_TIME_TESTS: they spend their time waiting on real
# time (pseudo-terminals, the program's own pauses), so ctest runs them beside the others.
# HOST_ONLY names the files, and HOST_DEPS the libraries, that need Qt or POSIX (pseudo-terminals,
# fork): the core-only build (the Windows one) leaves them out.
function(kell_test name)
  cmake_parse_arguments(ARG "SLOW" "" "DEPS;HOST_ONLY;HOST_DEPS" ${ARGN})
  set(cost 0)
  if(ARG_SLOW)
    set(cost 1000)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(KELL_CORE_ONLY)
    foreach(file IN LISTS ARG_HOST_ONLY)
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
  else()
    list(APPEND ARG_DEPS ${ARG_HOST_DEPS})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(CMAKE_CROSSCOMPILING)
    # One test per executable: each start of the emulator costs more than most tests take.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES COST ${cost})
    return()
  endif()
  set(slots RESOURCE_GROUPS cpu:1)
  if(name IN_LIST KELL_REAL_TIME_TESTS)
    set(slots "")
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" COST ${cost} ${slots})
endfunction()

# kell_fuzz_target(NAME SOURCE DEPS ...): one libFuzzer program from one source file.
function(kell_fuzz_target name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
