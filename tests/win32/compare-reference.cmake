# Regenerates the platform reference under Wine and compares it with the
# copy the POSIX stand-ins are tested against.
execute_process(COMMAND ${EMULATOR} ${PROGRAM}
  OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the reference program failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
  RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the platform's output differs from ${EXPECTED}; see ${OUTPUT}")
endif()
