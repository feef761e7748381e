kvr_add_benchmark(roundtrip SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/roundtrip_bench.cpp DEPS kvr_commserver Qt6::Core Qt6::Network)
add_dependencies(bench_roundtrip rurez devemu)
target_include_directories(bench_roundtrip PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
target_compile_definitions(bench_roundtrip PRIVATE
  KVR_RUREZ_PATH="$<TARGET_FILE:rurez>"
  KVR_DEVEMU_PATH="$<TARGET_FILE:devemu>")
