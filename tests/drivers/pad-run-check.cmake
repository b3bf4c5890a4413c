# Runs pad-run on NET with a fixed list of steps and compares what it prints
# (the network's path written as NET) with EXPECTED; the files it was asked
# to write must exist.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(
  COMMAND ${PAD_RUN} ${NET} ${WORK}/out.dta
          hint=40,40 hint=45,45 select=40,40 select=700,700 key=+ key=3 key=Ctrl+Right NodeSearchM
          ShowPlotMarginsM FileWMFPlot1=${WORK}/p.svg copies=2 PlotM=${WORK}/p.pdf
          select=40,40 key=Del DeletebySearch1 Clear1 Tile2 Arrange1
          FileWMFPlot1=${WORK}/no-such-folder/q.svg
  OUTPUT_VARIABLE out
  RESULT_VARIABLE rc)
string(REPLACE "${NET}" "NET" out "${out}")
file(READ ${EXPECTED} expected)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pad-run exited with ${rc}:\n${out}")
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "pad-run printed:\n${out}\nexpected:\n${expected}")
endif()
foreach(f out.dta p.svg p-1.pdf p-2.pdf)
  if(NOT EXISTS ${WORK}/${f})
    message(FATAL_ERROR "pad-run did not write ${f}")
  endif()
endforeach()
# An unknown item ends the run with code 2.
execute_process(COMMAND ${PAD_RUN} ${NET} ${WORK}/out2.dta NoSuchItem OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 2 OR NOT out STREQUAL "unknown NoSuchItem\n")
  message(FATAL_ERROR "unknown item: code ${rc}, printed ${out}")
endif()
