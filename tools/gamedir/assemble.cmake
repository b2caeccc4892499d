# Copies gamedata/ into the game directory (client.cfg only when missing),
# creates the folders the program writes into and puts the program there.
file(MAKE_DIRECTORY ${DST} ${DST}/cmaps ${DST}/screenshots ${DST}/trace)
file(GLOB _items RELATIVE ${SRC} ${SRC}/*)
foreach(_i IN LISTS _items)
  if(_i STREQUAL "client.cfg")
    if(NOT EXISTS ${DST}/client.cfg)
      file(COPY ${SRC}/client.cfg DESTINATION ${DST})
    endif()
  else()
    file(COPY ${SRC}/${_i} DESTINATION ${DST})
  endif()
endforeach()
file(COPY ${PROGRAM} DESTINATION ${DST})
