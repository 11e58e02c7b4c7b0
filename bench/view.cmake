# Painting and opening in the image view (bench_view).
if(TARGET korvel_document)
    add_executable(bench_view ${CMAKE_CURRENT_LIST_DIR}/view/ViewBench.cpp)
    target_link_libraries(bench_view PRIVATE korvel_document Qt6::Widgets)
endif()
