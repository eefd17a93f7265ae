# q64 starts without Qt and libcrypto: they are loaded only with its services
# module (cli/Services.h), by the commands that need them.
#   cmake -DQ64=path/to/q64 -P CheckLibraries.cmake
execute_process(COMMAND readelf -d ${Q64} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf -d ${Q64} failed")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
foreach(entry IN LISTS needed)
  if(entry MATCHES "libQt6|libcrypto|libssl|libstdc\\+\\+")
    message(FATAL_ERROR "q64 loads at start what only its services module should: ${entry}\n${needed}")
  endif()
endforeach()
message(STATUS "q64 loads at start: ${needed}")
