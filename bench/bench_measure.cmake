# Painting 1000 measurement items over a 6000 x 4000 picture in a 1600 x 1000 view at 25 %,
# 100 % and 400 %, and one mouse move while an item is drawn.
if(TARGET krvmeasure)
    add_executable(bench_measure ${CMAKE_CURRENT_LIST_DIR}/bench_measure.cpp)
    target_link_libraries(bench_measure PRIVATE krvmeasure Qt6::Widgets)
    set_target_properties(bench_measure PROPERTIES AUTOMOC OFF)
endif()
