# Copies the program into an empty folder, runs it with the log switches and checks the log file
# it leaves there: <prefix>-<yyyy-mm-dd>-0000-<pid>.log with the start and stop lines.
# The program runs its windows offscreen, ends once started, and writes its messages to stderr.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{KVR_EXIT_AFTER_START} 1)
set(ENV{KVR_MESSAGE_LOG} -)
set(ENV{KVR_CONFIG_DIR} ${WORK_DIR}-config)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${PROGRAM} DESTINATION ${WORK_DIR})
get_filename_component(program_name ${PROGRAM} NAME)

execute_process(COMMAND ${WORK_DIR}/${program_name} -debug:0x8205 -file:demo.run -csdepth:300
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "program ended with ${result}: ${output} ${errors}")
endif()

file(GLOB logs ${WORK_DIR}/*.log)
list(LENGTH logs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one log file, found: ${logs}")
endif()
get_filename_component(log_name ${logs} NAME)
if(NOT log_name MATCHES "^demo_run-[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]-0000-[0-9][0-9][0-9][0-9]+\\.log$")
  message(FATAL_ERROR "unexpected log file name ${log_name}")
endif()

file(READ ${logs} text)
set(stamp "[0-9]+-[0-9]+\\.[0-9]+ <[0-9a-f][0-9a-f][0-9a-f][0-9a-f]> COMMON")
foreach(line "RUNTIME PROTOCOL STARTET" "MessageLevel = <00008305>" "Logging to file: demo_run"
             "Trace calls enabled." "Max. depth: 44" "RUNTIME PROTOCOL STOPPED")
  if(NOT text MATCHES "${stamp}${line}\n")
    message(FATAL_ERROR "line \"${line}\" missing in ${log_name}:\n${text}")
  endif()
endforeach()

# -debughelp shows the help and ends with 0.
execute_process(COMMAND ${WORK_DIR}/${program_name} -debughelp
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT errors MATCHES "Help on integrated debug message output engine")
  message(FATAL_ERROR "-debughelp: ${result}: ${errors}")
endif()
