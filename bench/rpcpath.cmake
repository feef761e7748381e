kvr_add_benchmark(rpcpath SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/rpcpath_bench.cpp DEPS kvr_client Qt6::Core Qt6::Network)
add_dependencies(bench_rpcpath rurez devemu)
target_include_directories(bench_rpcpath PRIVATE ${CMAKE_SOURCE_DIR}/tests/client)
target_compile_definitions(bench_rpcpath PRIVATE
  KVR_RUREZ_PATH="$<TARGET_FILE:rurez>"
  KVR_DEVEMU_PATH="$<TARGET_FILE:devemu>")
