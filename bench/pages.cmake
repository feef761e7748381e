kvr_add_benchmark(pages SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/pages_bench.cpp DEPS kvr_app)
target_sources(bench_pages PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/fullproject.cpp)
