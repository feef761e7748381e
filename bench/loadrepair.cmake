kvr_add_benchmark(loadrepair SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/loadrepair_bench.cpp DEPS kvr_model)
