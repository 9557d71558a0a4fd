# The real audio device mixing 40 positional voices with HRTF (loopback device).
add_executable(hrtf_voices_bench ${CMAKE_CURRENT_LIST_DIR}/hrtf_voices_bench.cpp)
target_link_libraries(hrtf_voices_bench PRIVATE ashen_platform)
