# Audio: Allegro 4.4's samples, MIDI and audio streams.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_AUDIO_ALLEGRO REQUIRED IMPORTED_TARGET allegro)
target_link_libraries(zib_lib PUBLIC PkgConfig::ZIB_AUDIO_ALLEGRO)
