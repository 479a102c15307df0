# cmake -DIN=file -DOUT=file.gz -P gzip_file.cmake: compresses IN into OUT
# without a name or a time stamp in it, so that the result is reproducible.
execute_process(COMMAND gzip -9n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip ${IN} failed: ${rc}")
endif()
