# Checks that the shared library defines exactly openLibrary and closeLibrary in its dynamic symbol
# table. Run as: cmake -DNM=<nm> -DLIBRARY=<libyat.so> -P exported_symbols.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
    list(APPEND names "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT names)
if(NOT names STREQUAL "closeLibrary;openLibrary")
  message(FATAL_ERROR "exported symbols are [${names}], expected exactly closeLibrary and openLibrary:\n${listing}")
endif()
message(STATUS "exports: ${names}")
