# Decodes the generated configuration file with resgen and compares the result with
# the INI source: the generator's two directions must undo each other byte for byte.
# Expects RESGEN, STORED, SOURCE and WORK.
execute_process(COMMAND ${RESGEN} decode ${STORED} ${WORK}/lamecore_decoded.ini RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "resgen decode failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE} ${WORK}/lamecore_decoded.ini RESULT_VARIABLE same)
if(NOT same EQUAL 0)
    message(FATAL_ERROR "decoded configuration differs from ${SOURCE}")
endif()

# A source holding a character the file cannot store is refused, and no output is left.
string(ASCII 255 unstorable)
file(WRITE ${WORK}/unstorable.ini "[SYSTEM]\nName=x${unstorable}\n")
file(REMOVE ${WORK}/unstorable.dll)
execute_process(COMMAND ${RESGEN} encode ${WORK}/unstorable.ini ${WORK}/unstorable.dll RESULT_VARIABLE refused
    ERROR_QUIET)
if(refused EQUAL 0 OR EXISTS ${WORK}/unstorable.dll)
    message(FATAL_ERROR "resgen accepted an unstorable character")
endif()
