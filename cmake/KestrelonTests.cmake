# One function per kind of test, so adding a test is one line in a tests/ folder.

# A logic test: no display, no services. Sources default to NAME.cpp.
function(kestrelon_unit_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_SOURCES)
        set(T_SOURCES ${name}.cpp)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE kestrelon_core Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS unit TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KESTRELON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# A test of the real windows, offscreen.
function(kestrelon_gui_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_SOURCES)
        set(T_SOURCES ${name}.cpp)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 180)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE kestrelon_gui Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS gui TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KESTRELON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# A test that drives a built program (kestrelon-lab, kestrelon-setup) as a user would.
function(kestrelon_program_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;PROGRAMS" ${ARGN})
    if(NOT T_SOURCES)
        set(T_SOURCES ${name}.cpp)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 180)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE kestrelon_core Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(T_PROGRAMS)
        add_dependencies(${name} ${T_PROGRAMS})
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS program TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KESTRELON_BIN=${CMAKE_BINARY_DIR}/bin;KESTRELON_SOURCE=${CMAKE_SOURCE_DIR};KESTRELON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# A test against a real server that the test starts itself (tests/services/slapdserver.h,
# apacheserver.h, sambaserver.h), in a temporary folder.
function(kestrelon_service_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;PROGRAMS" ${ARGN})
    if(NOT T_SOURCES)
        set(T_SOURCES ${name}.cpp)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/services/slapdserver.cpp
                           ${CMAKE_SOURCE_DIR}/tests/services/apacheserver.cpp
                           ${CMAKE_SOURCE_DIR}/tests/services/sambaserver.cpp
                           ${CMAKE_SOURCE_DIR}/tests/services/testcertificates.cpp)
    target_link_libraries(${name} PRIVATE kestrelon_core Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests
                                               ${CMAKE_SOURCE_DIR}/tests/services)
    target_compile_definitions(${name} PRIVATE
        KESTRELON_LDAP_SCHEMA="${CMAKE_SOURCE_DIR}/data/ldap/kestrelon.schema"
        KESTRELON_AD_SCHEMA="${CMAKE_SOURCE_DIR}/data/ad/kestrelon-schema.ldif")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_dependencies(${name} kestrelon-lab ${T_PROGRAMS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS service TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KESTRELON_BIN=${CMAKE_BINARY_DIR}/bin;KESTRELON_SOURCE=${CMAKE_SOURCE_DIR};KESTRELON_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()
