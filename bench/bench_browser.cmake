# The thumbnail list on a folder of 20 large photographs, against vipsthumbnail making
# the same thumbnails (bench_browser).
if(TARGET korvel_browser)
    add_executable(bench_browser ${CMAKE_CURRENT_LIST_DIR}/bench_browser.cpp)
    target_link_libraries(bench_browser PRIVATE korvel_browser Qt6::Widgets)
endif()
