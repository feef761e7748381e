kvr_add_fuzz(transferblocks SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/transferblocks_fuzz.cpp DEPS kvr_client)
