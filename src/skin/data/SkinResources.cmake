# Writes the resource script that carries the internal skin packages and the two
# shadow images into the program, and the stored-form fragment that lists the
# internal skins (each item's Data names its package resource).
#   cmake -DSKINS_DIR=... -DSHADOWS_DIR=... -DRC_FILE=... -DITEMS_FILE=... -P SkinResources.cmake

cmake_minimum_required(VERSION 3.25)

file(STRINGS "${SKINS_DIR}/skins.lst" names)
set(rc "ACSHDA RCDATA \"${SHADOWS_DIR}/acSHDA.png\"\nACSHDI RCDATA \"${SHADOWS_DIR}/acSHDI.png\"\n")
set(items "  InternalSkins = <")
set(used "")
foreach(name IN LISTS names)
    if(name STREQUAL "")
        continue()
    endif()
    string(REPLACE " (internal)" "" short "${name}")
    string(TOUPPER "${short}" short)
    string(REGEX REPLACE "[^A-Z0-9]" "" short "${short}")
    set(id "SKIN_${short}")
    if(id IN_LIST used)
        message(FATAL_ERROR "Two internal skins give the resource name ${id}")
    endif()
    list(APPEND used ${id})
    string(APPEND rc "${id} RCDATA \"${SKINS_DIR}/${name}.asz\"\n")
    string(REPLACE "'" "''" quoted "${name}")
    string(APPEND items "\n    item\n      Name = '${quoted}'\n      Shadow1Color = clBlack\n"
                        "      Shadow1Offset = 0\n      Shadow1Transparency = 0\n      Data = {@${id}}\n    end")
endforeach()
string(APPEND items ">\n")
string(APPEND rc "SJ_INTERNALSKINS RCDATA \"${ITEMS_FILE}\"\n")
file(WRITE "${ITEMS_FILE}" "${items}")
file(WRITE "${RC_FILE}" "${rc}")
