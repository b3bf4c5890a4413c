# Runs search-tool once per line of cases.txt (the command words after IN
# OUT) and compares what all the runs print, each after a line "== CASE",
# with cases.expected.
file(MAKE_DIRECTORY ${WORK})
file(STRINGS ${DATA}/cases.txt cases)
set(all "")
foreach(c IN LISTS cases)
  separate_arguments(args UNIX_COMMAND "${c}")
  execute_process(COMMAND ${SEARCH_TOOL} ${DATA}/zones.dta ${WORK}/out.dta ${args}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "search-tool ${c} failed: ${rc}\n${out}")
  endif()
  string(APPEND all "== ${c}\n${out}")
endforeach()
file(READ ${DATA}/cases.expected expected)
if(NOT all STREQUAL expected)
  file(WRITE ${WORK}/cases.actual "${all}")
  message(FATAL_ERROR "search-tool output differs from cases.expected (see ${WORK}/cases.actual):\n${all}")
endif()
