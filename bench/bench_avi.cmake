# The AVI writer per compressor at 1920 x 1080 and the largest simulated sensor, against
# the ffmpeg program encoding the same raw frames; `bench_avi --big` checks a recording
# past 2 GB.
if(TARGET korvel_capture)
    add_executable(bench_avi ${CMAKE_CURRENT_LIST_DIR}/bench_avi.cpp)
    target_link_libraries(bench_avi PRIVATE korvel_capture)
    set_target_properties(bench_avi PROPERTIES AUTOMOC OFF)
endif()
