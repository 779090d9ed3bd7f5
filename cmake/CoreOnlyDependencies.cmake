# What the core-only build (KELL_CORE_ONLY, the Windows cross build) takes instead of the host's
# libraries: inih from compat/, GoogleTest built from Debian's sources for the target, and
# nlohmann-json's headers alone (the host's include folder is not the target's).
add_subdirectory(${PROJECT_SOURCE_DIR}/compat/inih ${PROJECT_BINARY_DIR}/compat/inih)

set(json_headers ${PROJECT_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${json_headers})
file(CREATE_LINK /usr/include/nlohmann ${json_headers}/nlohmann SYMBOLIC)
add_library(kell_nlohmann_json INTERFACE)
target_include_directories(kell_nlohmann_json SYSTEM INTERFACE ${json_headers})
add_library(nlohmann_json::nlohmann_json ALIAS kell_nlohmann_json)
set(nlohmann_json_FOUND TRUE)

if(KELL_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(library gtest gtest_main gmock gmock_main)
    # Its own warnings are its maintainers' business.
    target_compile_options(${library} PRIVATE -w)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
endif()
