# add_vorlan_test(<name> SOURCES <files...> [LIBS <targets...>] [LANG <locale>]
#                 [PLATFORM <qpa>] [ENV <VAR=value...>] [QUICK <dir>] [TIMEOUT <s>])
#
# Registers a Qt Test (or, with QUICK, a Qt Quick Test over the .qml files of <dir>)
# executable with ctest. Every test gets a HOME of its own in the build tree, so no
# test can touch the real ~/.vorlan of the person running it.
function(add_vorlan_test name)
    cmake_parse_arguments(T "" "LANG;PLATFORM;QUICK;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    if(NOT T_LANG)
        set(T_LANG C.UTF-8)
    endif()
    if(NOT T_PLATFORM)
        set(T_PLATFORM offscreen)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()

    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE vorlan_gui vorlan_testsupport Qt5::Test ${T_LIBS})
    set(command ${name})
    if(T_QUICK)
        target_link_libraries(${name} PRIVATE Qt5::QuickTest)
        target_compile_definitions(${name} PRIVATE QUICK_TEST_SOURCE_DIR="${T_QUICK}")
    endif()

    set(home ${CMAKE_CURRENT_BINARY_DIR}/home/${name})
    file(MAKE_DIRECTORY ${home})
    add_test(NAME ${name} COMMAND ${command})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "HOME=${home};LANG=${T_LANG};LC_ALL=${T_LANG};LANGUAGE=;QT_QPA_PLATFORM=${T_PLATFORM};QT_QUICK_BACKEND=software;VORLAN_SOURCE_DIR=${PROJECT_SOURCE_DIR};VORLAN_BINARY_DIR=${PROJECT_BINARY_DIR};${T_ENV}")
endfunction()

# add_vorlan_script_test(<name> COMMAND <script> [args...] [TIMEOUT <s>] [ENV ...])
#
# Registers a shell-driven test (end-to-end runs of the real binary, the reference
# site's own tests) with ctest.
function(add_vorlan_script_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "COMMAND;ENV" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    add_test(NAME ${name} COMMAND ${T_COMMAND})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "VORLAN_SOURCE_DIR=${PROJECT_SOURCE_DIR};VORLAN_BINARY_DIR=${PROJECT_BINARY_DIR};ARTIFACT_DIR=${PROJECT_BINARY_DIR}/artifacts;${T_ENV}")
endfunction()
