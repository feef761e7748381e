kvr_add_benchmark(projectfile SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/projectfile_bench.cpp DEPS kvr_model)
