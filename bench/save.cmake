add_executable(bench_save ${CMAKE_CURRENT_LIST_DIR}/save_bench.cpp)
target_link_libraries(bench_save PRIVATE ashen_core benchmark::benchmark benchmark::benchmark_main)
target_include_directories(bench_save PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
