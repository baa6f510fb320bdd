# One function per kind of test, so adding a test is one line in a tests/ folder. Each takes
# SOURCES (default NAME.cpp), LIBS, PROGRAMS (built before the test runs) and TIMEOUT.

# What every kind shares: the executable in build/tests, the headers of tests/, the label,
# the time-out and the environment. ENVIRONMENT adds to the offscreen platform and the test
# data folder.
function(kestrelon_add_test name library label timeout)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;PROGRAMS;ENVIRONMENT" ${ARGN})
    if(NOT T_SOURCES)
        set(T_SOURCES ${name}.cpp)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT ${timeout})
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${library} Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(T_PROGRAMS)
        add_dependencies(${name} ${T_PROGRAMS})
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set(environment QT_QPA_PLATFORM=offscreen KESTRELON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data
                    ${T_ENVIRONMENT})
    set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "${environment}")
endfunction()

# Where a test finds the built programs and the source tree.
set(KESTRELON_PROGRAM_ENVIRONMENT
    "KESTRELON_BIN=${CMAKE_BINARY_DIR}/bin;KESTRELON_SOURCE=${CMAKE_SOURCE_DIR}")

# A logic test: no display, no services.
function(kestrelon_unit_test name)
    kestrelon_add_test(${name} kestrelon_core unit 120 ${ARGN})
endfunction()

# A test of the real windows, offscreen.
function(kestrelon_gui_test name)
    kestrelon_add_test(${name} kestrelon_gui gui 180 ${ARGN})
endfunction()

# A test that drives a built program (kestrelon-lab, kestrelon-setup) as a user would.
function(kestrelon_program_test name)
    kestrelon_add_test(${name} kestrelon_core program 180 ${ARGN}
        ENVIRONMENT ${KESTRELON_PROGRAM_ENVIRONMENT})
endfunction()

# A test against a real server that the test starts itself (tests/services/slapdserver.h,
# apacheserver.h, sambaserver.h: the kestrelon_test_services library), in a temporary
# folder.
function(kestrelon_service_test name)
    kestrelon_add_test(${name} kestrelon_core service 120 ${ARGN} PROGRAMS kestrelon-lab
        LIBS kestrelon_test_services ENVIRONMENT ${KESTRELON_PROGRAM_ENVIRONMENT})
endfunction()
