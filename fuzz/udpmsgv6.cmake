kvr_add_fuzz(udpmsgv6 SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/udpmsgv6_fuzz.cpp DEPS kvr_kvrdata)
