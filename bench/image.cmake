# Codec throughput of the image library against the libraries used directly.
if(TARGET kximage)
    pkg_check_modules(KX_BENCH_CODECS IMPORTED_TARGET libjpeg libpng libtiff-4 libopenjp2)
    if(KX_BENCH_CODECS_FOUND)
        add_executable(bench_codecs image/bench_codecs.cpp)
        target_link_libraries(bench_codecs PRIVATE kximage PkgConfig::KX_BENCH_CODECS)
        set_target_properties(bench_codecs PROPERTIES AUTOMOC OFF)
    endif()
endif()
