kvr_add_fuzz(records SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/records_fuzz.cpp DEPS kvr_model)
