# Input reads the keyboard state and key names of Allegro 4.4.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_INPUT_ALLEGRO REQUIRED IMPORTED_TARGET allegro)
target_link_libraries(zib_input PUBLIC PkgConfig::ZIB_INPUT_ALLEGRO)
# Keys act on the session: they send, draw, sound and call the scripts.
target_link_libraries(zib_input PUBLIC zib_core zib_world zib_net zib_display zib_audio zib_script
                      zib_app)
