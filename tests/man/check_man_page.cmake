# Fails when a man page and its program's --help name different options: every long option the
# help lists must be described (an .TP entry) in the page, and the page must describe no other.
#   cmake -DPROGRAM=<program> -DPAGE=<page.1> -P check_man_page.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help exited with ${status}")
endif()

# The help's option lines: "  -h, --help  ..." or "  --port <PATH>  ...".
set(help_options "")
string(REGEX MATCHALL "\n  (-[a-zA-Z], )?--[a-z][a-z-]*" help_lines "\n${help}")
foreach(line IN LISTS help_lines)
  string(REGEX MATCH "--[a-z][a-z-]*" option "${line}")
  list(APPEND help_options "${option}")
endforeach()

# The page's: the line after each .TP.
file(READ ${PAGE} page)
string(REPLACE "\\-" "-" page "${page}")
set(page_options "")
string(REGEX MATCHALL "\\.TP\n[^\n]*" entries "${page}")
foreach(entry IN LISTS entries)
  string(REGEX MATCH "--[a-z][a-z-]*" option "${entry}")
  if(option)
    list(APPEND page_options "${option}")
  endif()
endforeach()

list(SORT help_options)
list(SORT page_options)
if(NOT help_options)
  message(FATAL_ERROR "${PROGRAM} --help lists no options")
endif()
if(NOT help_options STREQUAL page_options)
  message(FATAL_ERROR "${PAGE} describes ${page_options}\nbut ${PROGRAM} --help lists ${help_options}")
endif()
