kvr_add_fuzz(connectionlist SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/connectionlist_fuzz.cpp DEPS kvr_app)
