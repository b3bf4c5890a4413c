# Runs COMMAND with ARG and compares what it prints with the file EXPECTED.
execute_process(COMMAND ${COMMAND} ${ARG} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${COMMAND} ${ARG} failed: ${rc}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n${out}")
endif()
