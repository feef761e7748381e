kvr_add_fuzz(blockformat SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/blockformat_fuzz.cpp DEPS kvr_kvrdata)
