kvr_add_fuzz(errmessages SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/errmessages_fuzz.cpp DEPS kvr_diagnostics)
