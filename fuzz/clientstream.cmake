kvr_add_fuzz(clientstream SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/clientstream_fuzz.cpp DEPS kvr_client kvr_commserver)
