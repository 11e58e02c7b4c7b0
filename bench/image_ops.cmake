# The image operations against OpenCV doing the same work (bench_image_ops).
if(TARGET kximage AND NOT TARGET kximage_ops AND
   EXISTS ${PROJECT_SOURCE_DIR}/src/image/ops/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/src/image/ops ${CMAKE_BINARY_DIR}/src/image/ops)
endif()
if(TARGET kximage_ops AND OPENCV_FOUND)
    add_executable(bench_image_ops ${CMAKE_CURRENT_LIST_DIR}/bench_image_ops.cpp)
    target_link_libraries(bench_image_ops PRIVATE kximage_ops PkgConfig::OPENCV)
    set_target_properties(bench_image_ops PROPERTIES AUTOMOC OFF)
endif()
