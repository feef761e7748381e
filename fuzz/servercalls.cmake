kvr_add_fuzz(servercalls SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/servercalls_fuzz.cpp DEPS kvr_commserver_server)
