# The decode thread's work per frame (decode, pixel correction, scaling into a 1280 x 960
# surface) at every simulated model's preview size, against OpenCV doing the same on one core.
if(TARGET korvel_camera AND OPENCV_FOUND)
    add_executable(bench_preview ${CMAKE_CURRENT_LIST_DIR}/preview/PreviewBench.cpp)
    target_link_libraries(bench_preview PRIVATE korvel_camera PkgConfig::OPENCV)
endif()
