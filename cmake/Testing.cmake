# lotdraw_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# lotdraw_add_test_run(<name> <executable> [<arguments...>])
#
# One Qt Test executable per unit. Widget tests run on the offscreen platform so the suite needs no
# display; tests that drive LibreOffice carry the label "office" and run one at a time, because our
# automation never runs two office instances at once.
#
# Every test runs under tests/support/test_supervisor, in a folder of its own inside this build
# tree's runs folder (its TMPDIR and HOME): whichever way the test ends (crash, SIGKILL, timeout), the
# supervisor ends every process that carries the test's mark in its environment and removes the
# folder. The tests clear_leftovers_before and clear_leftovers_after do the same for the whole build
# tree around each ctest run, for what a killed supervisor left. Nothing else carries the mark: the
# user's own office and the tests of other build trees are never touched.
string(SHA1 _lotdraw_tree_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_lotdraw_tree_hash}" 0 12 _lotdraw_tree_hash)
set(LOTDRAW_TEST_RUNS "/tmp/lotdraw-tests-${_lotdraw_tree_hash}")
set(LOTDRAW_TEST_SECONDS 600)

function(lotdraw_add_test_run name executable)
    add_test(NAME ${name}
        COMMAND test_supervisor run ${LOTDRAW_TEST_RUNS}/${name} ${LOTDRAW_TEST_SECONDS}
        $<TARGET_FILE:${executable}> ${ARGN})
    math(EXPR timeout "${LOTDRAW_TEST_SECONDS} + 60") # the supervisor's own limit comes first
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT ${timeout}
        FIXTURES_REQUIRED lotdraw_test_runs)
    set_property(GLOBAL APPEND PROPERTY LOTDRAW_SUPERVISED_TESTS ${name})
endfunction()

function(lotdraw_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    lotdraw_add_test_run(${name} ${name})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
        if("office" IN_LIST ARG_LABELS)
            set_tests_properties(${name} PROPERTIES RESOURCE_LOCK office)
        endif()
    endif()
endfunction()
