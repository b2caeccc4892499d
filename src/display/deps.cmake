# Graphics: Allegro 4.4 and its PNG add-on loadpng, found through pkg-config.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_ALLEGRO REQUIRED IMPORTED_TARGET allegro loadpng)
target_link_libraries(zib_display PUBLIC PkgConfig::ZIB_ALLEGRO)
# It draws the session's state and reads the input layer's modes and lists.
target_link_libraries(zib_display PUBLIC zib_core zib_world zib_input zib_audio zib_app)
