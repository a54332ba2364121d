# The program's windows driven under Wine: the main window's pages, settings and
# help menu, and the About box. Built with the program's resources.
if(WIN32)
    sj_add_test(test_app App_test.cpp ${SJ_APP_RC} LIBS sj_app TIMEOUT 300 ACTIVATES)
    set_source_files_properties(${SJ_APP_RC} PROPERTIES OBJECT_DEPENDS "${SJ_APP_RC_DEPENDS}")
    add_dependencies(test_app sj_supplied_files)
endif()

# The skinned frames of the program's windows.
if(WIN32)
    sj_add_test(test_app_frame AppFrame_test.cpp ${SJ_APP_RC} LIBS sj_app TIMEOUT 600 ACTIVATES)
    add_dependencies(test_app_frame sj_supplied_files)
endif()

# The animations of the program's windows, recorded from the layered-window calls.
if(WIN32)
    sj_add_test(test_app_anim AppAnimation_test.cpp ${SJ_APP_RC} LIBS sj_app TIMEOUT 300 ACTIVATES)
    add_dependencies(test_app_anim sj_supplied_files)
endif()

# The program's own process: started, closed, and ended cleanly.
if(WIN32)
    sj_add_test(test_app_exit AppExit_test.cpp LIBS user32 advapi32 TIMEOUT 180 ACTIVATES)
    add_dependencies(test_app_exit SplitJoin)
endif()

# The window-creation hook in the program: plain system dialogs, adapted popup menus.
if(WIN32)
    sj_add_test(test_app_hook AppHook_test.cpp ${SJ_APP_RC} LIBS sj_app comdlg32 shell32 ole32 TIMEOUT 300 ACTIVATES)
    add_dependencies(test_app_hook sj_supplied_files)
endif()
