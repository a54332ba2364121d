# Shared build settings and helpers of the project.

set(SPLITJOIN_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
    -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(SPLITJOIN_WERROR)
    list(APPEND SPLITJOIN_WARNINGS -Werror)
endif()

if(NOT WIN32 AND SPLITJOIN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(WIN32)
    # Windows headers: ANSI API, no min/max macros, Windows 7 and later.
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _FILE_OFFSET_BITS=64)
endif()

# sj_target_defaults(<target>): warnings and include root for one of our targets.
function(sj_target_defaults target)
    target_compile_options(${target} PRIVATE ${SPLITJOIN_WARNINGS})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
endfunction()

# sj_add_library(<name> <sources>... [LIBS <libs>...]): a static library of ours.
function(sj_add_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
    sj_target_defaults(${name})
    if(ARG_LIBS)
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    endif()
endfunction()

# sj_add_test(<name> <sources>... [LIBS <libs>...] [TIMEOUT <seconds>] [ACTIVATES]): a
# GoogleTest program. Natively each test case becomes a ctest test; under Wine the whole
# program is one ctest test (one Wine start-up instead of one per case).
# Every test has a timeout, so a stuck window fails one test instead of hanging.
# ACTIVATES marks a program whose tests check which window is active or has the
# keyboard: all test programs share one Wine desktop, so two of these running side by
# side would take the activation from each other. ctest runs them one at a time.
function(sj_add_test name)
    cmake_parse_arguments(ARG "ACTIVATES" "TIMEOUT" "LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    sj_target_defaults(${name})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    if(WIN32)
        add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
        if(ARG_ACTIVATES)
            set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_active_window)
        endif()
    else()
        include(GoogleTest)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    endif()
endfunction()

# sj_add_subdirectories(<dirs>...): adds those sub-folders that exist, so each
# area of the tree owns its own CMakeLists.txt.
function(sj_add_subdirectories)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()

# sj_add_host_tool(<name> <sources>... [LIBS <libs>...]): a generator that the build
# runs on the build machine. The native build compiles it; the Windows build runs the
# native build's copy from SPLITJOIN_HOST_BIN (scripts/build.sh builds the native side
# first). Sets SJ_<NAME>_COMMAND and SJ_<NAME>_DEPENDS in the caller's scope, for
# add_custom_command's COMMAND and DEPENDS.
function(sj_add_host_tool name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    string(TOUPPER ${name} upper)
    if(NOT WIN32)
        add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
        sj_target_defaults(${name})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS})
        set(SJ_${upper}_COMMAND $<TARGET_FILE:${name}> PARENT_SCOPE)
        set(SJ_${upper}_DEPENDS ${name} PARENT_SCOPE)
    else()
        set(SJ_${upper}_COMMAND ${SPLITJOIN_HOST_BIN}/${name} PARENT_SCOPE)
        set(SJ_${upper}_DEPENDS ${SPLITJOIN_HOST_BIN}/${name} PARENT_SCOPE)
    endif()
endfunction()
