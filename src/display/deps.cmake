# The display draws with Allegro 4 and reads and writes PNG pictures through
# loadpng.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_ALLEGRO REQUIRED IMPORTED_TARGET allegro loadpng)
target_link_libraries(zib_lib PUBLIC PkgConfig::ZIB_ALLEGRO)
