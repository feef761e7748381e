kvr_add_benchmark(loadrepair SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/loadrepair_bench.cpp DEPS kvr_model)
target_sources(bench_loadrepair PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/fullproject.cpp)
