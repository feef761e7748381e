kvr_add_fuzz(outputrecords SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/outputrecords_fuzz.cpp DEPS kvr_model)
