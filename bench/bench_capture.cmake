# A whole snapshot (drive check, capture step, file written by the camera library) per file
# type at the largest simulated model sizes, against encoding the same frame with the image
# library alone.
if(TARGET korvel_capture AND TARGET kximage)
    add_executable(bench_capture ${CMAKE_CURRENT_LIST_DIR}/bench_capture.cpp)
    target_link_libraries(bench_capture PRIVATE korvel_capture kximage)
    set_target_properties(bench_capture PROPERTIES AUTOMOC OFF)
endif()
