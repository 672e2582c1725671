# Renders one screenshot with the headless game: the script's "# ticks: N" line says how long the
# run is, its "# args: ..." line adds parameters. The run happens in WORK, a folder linking the
# game's data, so the build's data folder is left as it is.
# FILES names the data files to link, by commas; GRAPH_DAT the file the run makes from the
# collections among them.
#   cmake -DVOR=PROGRAM -DDATA=DIR -DSCRIPT=FILE -DWORK=DIR -DOUTPUT=FILE.png -DFILES=A,B,...
#         -DGRAPH_DAT=NAME -P Screenshot.cmake
file(MAKE_DIRECTORY ${WORK})
string(REPLACE "," ";" FILES "${FILES}")
foreach(f ${FILES})
  file(CREATE_LINK ${DATA}/${f} ${WORK}/${f} SYMBOLIC)
  # The run's "graph.dat" is made again from new collections.
  if(f MATCHES "ccg$" AND ${DATA}/${f} IS_NEWER_THAN ${WORK}/${GRAPH_DAT})
    file(REMOVE ${WORK}/${GRAPH_DAT})
  endif()
endforeach()
file(STRINGS ${SCRIPT} ticks REGEX "^# ticks: [0-9]+$")
string(REGEX REPLACE "^# ticks: " "" ticks "${ticks}")
file(STRINGS ${SCRIPT} args REGEX "^# args: ")
string(REGEX REPLACE "^# args: " "" args "${args}")
separate_arguments(args)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          ${VOR} --headless --seed 1 --ticks ${ticks} --script ${SCRIPT} --screenshot ${OUTPUT}
          ${args}
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "rendering ${OUTPUT} failed: ${status}")
endif()
