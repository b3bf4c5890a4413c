# Runs pad-run on NET with a fixed list of steps and compares what it prints
# (the network's path written as NET) with EXPECTED; the files it was asked
# to write must exist.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(
  COMMAND ${PAD_RUN} ${NET} ${WORK}/out.dta
          hint=40,40 hint=45,45 select=40,40 select=700,700 key=+ key=3 key=Ctrl+Right UndoTransformM
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

# A page setup read from a file with a scale of 0: no page on the window,
# and a plot opens Page Setup, which refuses it; nothing is written.
file(READ ${NET} text)
string(REPLACE " 9.60000000000000E+0001  5.00000000000000E-0001  5.00000000000000E-0001"
               " 0.00000000000000E+0000  5.00000000000000E-0001  5.00000000000000E-0001" text "${text}")
file(WRITE ${WORK}/zero.dta "${text}")
execute_process(COMMAND ${PAD_RUN} ${WORK}/zero.dta ${WORK}/out3.dta ShowPlotMarginsM PlotM=${WORK}/zero.pdf
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
set(expected "Illegal page setup.\nPlot\npage setup refused\nnodes 50 links 85 deleted 0 saved 1 zoom 13 snap 1\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected OR EXISTS ${WORK}/zero.pdf)
  message(FATAL_ERROR "scale 0: code ${rc}, printed:\n${out}")
endif()

# A step's value is checked before the step runs: a point outside the world,
# a number beyond an int, or keys that name no key pressed here end the run
# with code 2; the world's own corners and a count below 1 are taken.
foreach(step select=0,-2147483648 hint=512001,0 select=1,2x copies=99999999999 key=€ key=Ctrl+ key=é key=)
  execute_process(COMMAND ${PAD_RUN} ${NET} ${WORK}/out4.dta ${step} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2 OR NOT out STREQUAL "bad ${step}\n")
    message(FATAL_ERROR "${step}: code ${rc}, printed:\n${out}")
  endif()
endforeach()
execute_process(COMMAND ${PAD_RUN} ${NET} ${WORK}/out5.dta select=-512000,512000 hint=512000,-512000 copies=-3
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^selected none\nhint\nnodes 50 links 85 ")
  message(FATAL_ERROR "the world's corners: code ${rc}, printed:\n${out}")
endif()
