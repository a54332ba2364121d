# Runs skinpaint --sheet on every package of SKINS_DIR into SHEETS_DIR/<skin name>.png,
# then touches SHEETS_DIR/sheets.stamp. Fails on the first skin that cannot be painted.
file(MAKE_DIRECTORY ${SHEETS_DIR})
file(GLOB packages "${SKINS_DIR}/*.asz")
list(LENGTH packages count)
if(count EQUAL 0)
    message(FATAL_ERROR "No skin packages in ${SKINS_DIR}")
endif()
foreach(package ${packages})
    get_filename_component(name "${package}" NAME)
    string(REGEX REPLACE "\\.asz$" "" name "${name}")
    execute_process(COMMAND ${SKINPAINT} ${package} --sheet --out ${SHEETS_DIR}/${name}.png
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "skinpaint failed on ${package} (${result}): ${errors}")
    endif()
endforeach()
file(TOUCH ${SHEETS_DIR}/sheets.stamp)
