kvr_add_fuzz(setalldata SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/setalldata_fuzz.cpp DEPS kvr_model)
