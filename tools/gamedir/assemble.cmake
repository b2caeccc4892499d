# Copies gamedata/ into the game directory, creates the folders the program
# writes into and puts the program there. The files the program rewrites for
# the player (the options and the key map) are copied only when missing: once
# there, they are the player's.
set(_player_files client.cfg dat/keymap.cfg)
file(MAKE_DIRECTORY ${DST} ${DST}/cmaps ${DST}/screenshots ${DST}/trace)
file(GLOB_RECURSE _files RELATIVE ${SRC} ${SRC}/*)
foreach(_f IN LISTS _files)
  list(FIND _player_files ${_f} _player)
  if(_player GREATER -1 AND EXISTS ${DST}/${_f})
    continue()
  endif()
  get_filename_component(_dir ${_f} DIRECTORY)
  file(COPY ${SRC}/${_f} DESTINATION ${DST}/${_dir})
endforeach()
file(COPY ${PROGRAM} DESTINATION ${DST})
