kvr_add_benchmark(fitting SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fitting_bench.cpp DEPS kvr_model)
