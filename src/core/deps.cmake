# Core: the bottom layer; compression needs zlib.
target_link_libraries(zib_core PUBLIC ZLIB::ZLIB)
