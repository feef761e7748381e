kvr_add_fuzz(projectfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/projectfile_fuzz.cpp DEPS kvr_model)
