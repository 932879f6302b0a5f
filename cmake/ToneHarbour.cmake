# Helpers shared by the layer, test and fuzz build files.

# th_add_layer(NAME SOURCES... [LIBS libs...]): one static library per layer,
# included as "layer/Class.h" from the source root.
function(th_add_layer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# th_add_qtest(NAME SOURCES... LIBS libs...): one Qt Test executable under CTest,
# labelled with its layer (the name of the tests/ subfolder), so that one
# layer's tests can run alone (ctest -L comm). GUI tests run on the offscreen
# platform, so no display is needed. Each test has settings and a home folder
# of its own, so that no test sees what another stored.
function(th_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set_tests_properties(${name} PROPERTIES
        LABELS ${layer}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config/${name};HOME=${CMAKE_BINARY_DIR}/test-home/${name}"
        TIMEOUT 300)
endfunction()
