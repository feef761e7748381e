kvr_add_fuzz(udpmsg SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/udpmsg_fuzz.cpp DEPS kvr_kvrdata)
