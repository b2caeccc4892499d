# Audio: Allegro 4.4's samples, MIDI and audio streams. The sound object
# places effects by the level and the player; callers hand in the view radius.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZIB_AUDIO_ALLEGRO REQUIRED IMPORTED_TARGET allegro)
target_link_libraries(zib_audio PUBLIC zib_core zib_world PkgConfig::ZIB_AUDIO_ALLEGRO)
