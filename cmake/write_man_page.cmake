# Writes yatctl's manual page: cmake -DPROGRAM=<yatctl> -DOUTPUT=<yatctl.1> -P write_man_page.cmake
execute_process(COMMAND ${PROGRAM} --man OUTPUT_FILE ${OUTPUT}.new RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "${PROGRAM} --man failed: ${result}")
endif()
file(RENAME ${OUTPUT}.new ${OUTPUT})
