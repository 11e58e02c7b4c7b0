# Decoding and synthesising frames of the camera library at every simulated model's largest
# size; the live picture of the largest sensors needs 30 decoded frames a second on one core.
if(TARGET krvcamera AND benchmark_FOUND)
    add_executable(bench_krvcamera ${CMAKE_CURRENT_LIST_DIR}/krvcamera/KRVCameraBench.cpp)
    target_link_libraries(bench_krvcamera PRIVATE krvcamera benchmark::benchmark)
endif()
