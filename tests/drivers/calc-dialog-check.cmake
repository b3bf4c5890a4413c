# The Calculate dialog's Start against calc-run: the same program over the
# same network saves byte-identical files; the status box ends on the
# summary and "OK". An endless REDO program stops when the timer presses Stop.
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${CALC_RUN} ${DATA}/grid.dta ${DATA}/grid.pgm ${WORK}/run.dta
                OUTPUT_VARIABLE run_out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "calc-run failed: ${rc}\n${run_out}")
endif()
execute_process(COMMAND ${CALC_DIALOG} ${DATA}/grid.dta ${DATA}/grid.pgm ${WORK}/dialog.dta
                OUTPUT_VARIABLE dialog_out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "calc-dialog failed: ${rc}\n${dialog_out}")
endif()
# "links L nodes N systems S errors E" and "Processed: L Links; N Nodes; S Systems; E Errors."
string(REGEX MATCH "^links ([0-9]+) nodes ([0-9]+) systems ([0-9]+) errors ([0-9]+)" m "${run_out}")
set(expected "Processed: ${CMAKE_MATCH_1} Links; ${CMAKE_MATCH_2} Nodes; ${CMAKE_MATCH_3} Systems; ${CMAKE_MATCH_4} Errors.\nOK\n")
if(NOT dialog_out STREQUAL expected)
  message(FATAL_ERROR "calc-dialog printed:\n${dialog_out}\nexpected:\n${expected}")
endif()
file(SHA256 ${WORK}/run.dta run_hash)
file(SHA256 ${WORK}/dialog.dta dialog_hash)
if(NOT run_hash STREQUAL dialog_hash)
  message(FATAL_ERROR "the network saved after the dialog's run differs from calc-run's")
endif()

# Stop on an endless program: the summary and "OK", and the file is saved.
execute_process(COMMAND ${CALC_DIALOG} ${DATA}/grid.dta ${DATA}/redo.pgm ${WORK}/redo.dta --stop-after 300
                OUTPUT_VARIABLE redo_out RESULT_VARIABLE rc TIMEOUT 120)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "calc-dialog --stop-after failed: ${rc}\n${redo_out}")
endif()
if(NOT redo_out MATCHES "^Processed: [0-9]+ Links; [0-9]+ Nodes; [0-9]+ Systems; 0 Errors.\nOK\n$")
  message(FATAL_ERROR "calc-dialog --stop-after printed:\n${redo_out}")
endif()
if(NOT EXISTS ${WORK}/redo.dta)
  message(FATAL_ERROR "calc-dialog --stop-after saved nothing")
endif()

# A file that is no program: message 38 under caption 35, nothing run.
execute_process(COMMAND ${CALC_DIALOG} ${DATA}/grid.dta ${DATA}/grid.dta ${WORK}/bad.dta
                OUTPUT_VARIABLE bad_out RESULT_VARIABLE rc)
if(rc EQUAL 0 OR NOT bad_out STREQUAL "Valid program file not found.\nRead Program\n")
  message(FATAL_ERROR "calc-dialog with a bad program: ${rc}\n${bad_out}")
endif()
