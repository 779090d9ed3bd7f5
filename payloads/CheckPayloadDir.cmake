# kell_check_payload_dir(<folder>): stops the configuration with a clear message when a payload
# file of the folder is missing or does not hold what the updater relies on. It compiles and runs
# the same checker that the build runs on the generated placeholders (payloads/check/).
function(kell_check_payload_dir folder)
  if(NOT IS_DIRECTORY "${folder}")
    message(FATAL_ERROR "KELL_PAYLOAD_DIR: ${folder} is not a folder")
  endif()
  if(folder MATCHES "[\"\\\\]")
    message(FATAL_ERROR "KELL_PAYLOAD_DIR: ${folder}: the path may not contain quotes or backslashes")
  endif()
  try_run(run_result compile_result
    SOURCES ${KELL_PAYLOAD_CHECK_SOURCES} ${KELL_PAYLOAD_CHECK_TOOL_SOURCE}
    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}"
    CXX_STANDARD 20
    CXX_STANDARD_REQUIRED ON
    NO_CACHE
    COMPILE_OUTPUT_VARIABLE compile_output
    RUN_OUTPUT_VARIABLE run_output
    ARGS "${folder}")
  if(NOT compile_result)
    message(FATAL_ERROR "KELL_PAYLOAD_DIR: the payload checker does not compile:\n${compile_output}")
  endif()
  if(NOT run_result EQUAL 0)
    message(FATAL_ERROR "KELL_PAYLOAD_DIR: ${folder} does not hold a usable set of payloads "
                        "(see payloads/README.md):\n${run_output}")
  endif()
  message(STATUS "KELL_PAYLOAD_DIR: embedding the payload files of ${folder}")
endfunction()
