# Starts the program with "-debughelp": the help arrives as message 0x81000004 (answered through
# the message log) and the program ends with exit code 0.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{KVR_MESSAGE_LOG} ${LOG})
set(ENV{KVR_CONFIG_DIR} ${CONFIG})
file(REMOVE ${LOG})
execute_process(COMMAND ${PROGRAM} -debughelp RESULT_VARIABLE rc TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "-debughelp ended with ${rc}")
endif()
file(READ ${LOG} shown)
if(NOT shown MATCHES "^81000004 4 \\[\\] Help on integrated debug message output engine")
  message(FATAL_ERROR "help not shown: ${shown}")
endif()
