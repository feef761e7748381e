kvr_add_fuzz(deviceframe SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/deviceframe_fuzz.cpp DEPS kvr_commserver_server)
