kvr_add_fuzz(updatefile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/updatefile_fuzz.cpp DEPS kvr_service)
