# World: the level, the player and the lists, on the core tables.
target_link_libraries(zib_world PUBLIC zib_core)
