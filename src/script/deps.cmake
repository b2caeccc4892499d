# Scripting: our patched Lua, the tolua++ runtime linked against it, and the
# bindings that tolua++ generates from the .pkg files at build time.
include(${CMAKE_SOURCE_DIR}/cmake/Lua51.cmake)

set(ZIB_TOLUA_RUNTIME /usr/lib/libtolua++5.1.a)
find_program(ZIB_TOLUA_EXECUTABLE tolua++5.1)
if(NOT ZIB_TOLUA_EXECUTABLE OR NOT EXISTS ${ZIB_TOLUA_RUNTIME})
  message(FATAL_ERROR "tolua++ (libtolua++5.1-dev) is missing; run `make deps`.")
endif()

# client.pkg is the root of the script API; it may $pfile further .pkg files.
set(_pkg_dir ${CMAKE_SOURCE_DIR}/src/script)
set(_gen_dir ${CMAKE_BINARY_DIR}/generated/script)
file(GLOB _pkgs CONFIGURE_DEPENDS ${_pkg_dir}/*.pkg)
file(MAKE_DIRECTORY ${_gen_dir})
# The generated number conversions are then replaced by checked ones
# (checked_numbers.sed); the build fails if a plain one is left.
add_custom_command(
  OUTPUT ${_gen_dir}/tolua_client.cpp ${_gen_dir}/tolua_client.h
  COMMAND ${ZIB_TOLUA_EXECUTABLE} -n client -o ${_gen_dir}/tolua_client_raw.cpp
          -H ${_gen_dir}/tolua_client.h client.pkg
  COMMAND sh -c "sed -E -f ${_pkg_dir}/checked_numbers.sed ${_gen_dir}/tolua_client_raw.cpp > ${_gen_dir}/tolua_client.cpp"
  COMMAND sh -c "! grep -n tolua_tonumber ${_gen_dir}/tolua_client.cpp"
  WORKING_DIRECTORY ${_pkg_dir}
  DEPENDS ${_pkgs} ${_pkg_dir}/checked_numbers.sed
  COMMENT "Generating the script API bindings with tolua++"
  VERBATIM)
target_sources(zib_script PRIVATE ${_gen_dir}/tolua_client.cpp ${_gen_dir}/tolua_client.h)
target_include_directories(zib_script PRIVATE ${CMAKE_BINARY_DIR}/generated)
# The generator writes a collector for every boxed type that a function
# returns; script_api::open registers its own for all seven instead.
set_source_files_properties(${_gen_dir}/tolua_client.cpp PROPERTIES
  COMPILE_OPTIONS -Wno-unused-function)

# The tolua++ runtime calls Lua's public API, so it comes before our Lua.
target_link_libraries(zib_script PUBLIC ${ZIB_TOLUA_RUNTIME} zib_lua)
# The script API reaches the session's objects.
target_link_libraries(zib_script PUBLIC zib_core zib_world zib_display zib_input zib_app)
