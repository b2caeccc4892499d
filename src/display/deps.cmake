# Graphics display: Allegro 4.4 and its PNG add-on.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_ALLEGRO REQUIRED IMPORTED_TARGET allegro loadpng)
target_link_libraries(zib_lib PUBLIC PkgConfig::ZIB_ALLEGRO)
