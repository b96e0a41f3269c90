# lotdraw_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
#
# One Qt Test executable per unit. Widget tests run on the offscreen platform so the suite needs no
# display; tests that drive LibreOffice carry the label "office" and run one at a time, because our
# automation never runs two office instances at once.
function(lotdraw_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 600)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
        if("office" IN_LIST ARG_LABELS)
            set_tests_properties(${name} PROPERTIES RESOURCE_LOCK office)
        endif()
    endif()
endfunction()
