# Runs skininfo on every generated skin package; fails on the first one it cannot load.
# cmake -DSKININFO=<tool> -DSKINS_DIR=<folder> -P RunSkinInfo.cmake
file(STRINGS "${SKINS_DIR}/skins.lst" names)
list(LENGTH names count)
if(NOT count EQUAL 43)
    message(FATAL_ERROR "${SKINS_DIR}/skins.lst lists ${count} skins, not 43")
endif()
foreach(name IN LISTS names)
    execute_process(COMMAND "${SKININFO}" "${SKINS_DIR}/${name}.asz"
        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "skininfo cannot load \"${name}\": ${err}")
    endif()
endforeach()
