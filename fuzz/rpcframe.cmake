kvr_add_fuzz(rpcframe SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/rpcframe_fuzz.cpp DEPS kvr_commserver)
