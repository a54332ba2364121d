# The program itself: the main window, the About box and the entry, with the stored
# forms and the supplied PNG pictures carried as resources of the program.
if(WIN32)
    enable_language(RC)

    set(SJ_APP_BIN ${CMAKE_BINARY_DIR}/bin)
    set(SJ_APP_PNGS icon16_openfile icon16_folder icon16_start icon16_help tab32_split tab32_join
        page_split_top page_split_file page_split_size page_join_top page_join_file)

    set(SJ_APP_RC_TEXT "TFORMMAIN RCDATA \"${CMAKE_SOURCE_DIR}/resources/forms/MainUnit.txt\"\n")
    string(APPEND SJ_APP_RC_TEXT "TFORMABOUT RCDATA \"${CMAKE_SOURCE_DIR}/resources/forms/About.txt\"\n")
    set(SJ_APP_RC_DEPENDS ${CMAKE_SOURCE_DIR}/resources/forms/MainUnit.txt ${CMAKE_SOURCE_DIR}/resources/forms/About.txt)
    foreach(png ${SJ_APP_PNGS})
        string(TOUPPER ${png} resource)
        string(APPEND SJ_APP_RC_TEXT "${resource} RCDATA \"${SJ_APP_BIN}/${png}.png\"\n")
        list(APPEND SJ_APP_RC_DEPENDS ${SJ_APP_BIN}/${png}.png)
    endforeach()

    # The forms and pictures, for the program and for the tests that build its windows.
    set(SJ_APP_RC ${CMAKE_BINARY_DIR}/app_resources.rc)
    file(CONFIGURE OUTPUT ${SJ_APP_RC} CONTENT "${SJ_APP_RC_TEXT}")
    set_source_files_properties(${SJ_APP_RC} PROPERTIES OBJECT_DEPENDS "${SJ_APP_RC_DEPENDS}")
    set(SJ_APP_RC ${SJ_APP_RC} CACHE INTERNAL "Resources of the program's windows")
    set(SJ_APP_RC_DEPENDS ${SJ_APP_RC_DEPENDS} CACHE INTERNAL "Files the program's resources are made of")

    sj_add_library(sj_app MainUnit.cpp About.cpp PngPicture.cpp PageJob.cpp JobProgressBar.cpp TaskbarProgress.cpp
        LIBS sj_forms sj_shell_util sj_engine sj_skinpaint sj_skinmanager sj_skinpaint_win
        sj_skincontrols sj_skinframe ole32 uuid)

    # The program's icon as Explorer shows it.
    set(SJ_APP_ICON_RC ${CMAKE_BINARY_DIR}/app_icon.rc)
    file(CONFIGURE OUTPUT ${SJ_APP_ICON_RC} CONTENT "MAINICON ICON \"${SJ_APP_BIN}/icon.ico\"\n1 24 \"${CMAKE_SOURCE_DIR}/resources/SplitJoin.manifest\"\n")
    set_source_files_properties(${SJ_APP_ICON_RC} PROPERTIES OBJECT_DEPENDS ${SJ_APP_BIN}/icon.ico)

    add_executable(SplitJoin WIN32 SplitJoin.cpp ${SJ_APP_RC} ${SJ_APP_ICON_RC})
    target_link_libraries(SplitJoin PRIVATE sj_app)
    sj_target_defaults(SplitJoin)
    target_link_options(SplitJoin PRIVATE -mwindows)
    add_dependencies(SplitJoin sj_supplied_files)
endif()
