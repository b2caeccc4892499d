# Input reads the keyboard state and key names of Allegro 4.4.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_INPUT_ALLEGRO REQUIRED IMPORTED_TARGET allegro)
target_link_libraries(zib_lib PUBLIC PkgConfig::ZIB_INPUT_ALLEGRO)
