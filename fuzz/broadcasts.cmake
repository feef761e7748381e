kvr_add_fuzz(broadcasts SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/broadcasts_fuzz.cpp DEPS kvr_commserver_server)
