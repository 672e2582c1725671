# Fails the web build when a function named in the asyncify list is not defined in the libraries
# (a rename would otherwise leave a waiting loop that cannot yield, and the page would hang with no
# word at build time). cmake -DNM=emnm -DNAMES=list.json -DLIBS="a;b" -P check-waiting-loops.cmake
file(READ ${NAMES} json)
string(REGEX MATCHALL "\"[^\"]+\"" names "${json}")
execute_process(COMMAND ${NM} -C --defined-only ${LIBS} OUTPUT_VARIABLE symbols ERROR_QUIET
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the symbols of ${LIBS}")
endif()
foreach(quoted ${names})
  string(REGEX REPLACE "^\"(.*)\"$" "\\1" name "${quoted}")
  # The program's entry (main and the name the compiler gives it) is always there.
  if(NOT name MATCHES "::")
    continue()
  endif()
  string(FIND "${symbols}" " ${name}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The waiting loop ${name} named in ${NAMES} is not defined: "
                        "renamed? Name it there as the compiler does.")
  endif()
endforeach()
