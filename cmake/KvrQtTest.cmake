# kvr_add_qtest(<name> SOURCE <file> [DEPS <targets...>])
# One QtTest program for widgets, run by CTest on the offscreen platform with its own settings
# folder, so that no test touches the user's settings. Every program may deliver input through the
# window system (tests/support), and sees the windows in their system font.
function(kvr_add_qtest name)
  cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
  add_executable(qtest_${name} ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/tests/qtstartup.cpp)
  target_link_libraries(qtest_${name} PRIVATE ${ARG_DEPS} kvr_testsupport Qt6::Test)
  set_target_properties(qtest_${name} PROPERTIES AUTOMOC ON)
  add_test(NAME qtest.${name} COMMAND qtest_${name})
  set_tests_properties(qtest.${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KVR_CONFIG_DIR=${CMAKE_BINARY_DIR}/qtest-config/${name}")
endfunction()
