# The client's interpreter: Lua 5.1.5 with our operator extension, built as a
# static C library from the original source tarball that `make deps` keeps in
# the cache directory. Debian's patches 0003 (extern "C" under C++) and 0004
# (stack fix) come from the same download; our own patch goes on last.
#
# The tree is extracted fresh into the build directory whenever the tarballs,
# the patches or this recipe change (a stamp holds their hashes), because
# patching an already patched tree fails. The system's liblua5.1 and
# /usr/include/lua5.1 are never used: the extension changes the interpreter's
# internal tables, and two copies of Lua in one process break each other.
#
# Defines: zib_lua (static library; its include directory holds only lua.h,
# luaconf.h, lualib.h, lauxlib.h and a copy of tolua++.h, so that tolua++'s
# `#include "lua.h"` finds ours) and ZIB_LUA_INCLUDE_DIR.

include_guard(GLOBAL)

set(_lua_recipe 1)  # bump when the extraction or patch steps below change
set(_lua_orig lua5.1_5.1.5.orig.tar.gz)
set(_lua_orig_sha256 2640fc56a795f29d28ef15e13c34a47e223960b0240e8cb0a82d9b0738695333)
set(_lua_debian_patches 0003-extern_C.patch 0004-Fix-stack-overflow-in-vararg-functions.patch)

# Same lookup as scripts/fetch-lua-source.sh (an empty variable counts as unset).
if(NOT "$ENV{ZIB_CACHE_DIR}" STREQUAL "")
  set(_lua_cache "$ENV{ZIB_CACHE_DIR}")
elseif(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(_lua_cache "$ENV{XDG_CACHE_HOME}/zib")
else()
  set(_lua_cache "$ENV{HOME}/.cache/zib")
endif()

file(GLOB _lua_debian_tars "${_lua_cache}/lua5.1_5.1.5-*.debian.tar.xz")
list(SORT _lua_debian_tars)
list(POP_BACK _lua_debian_tars _lua_debian_tar)
if(NOT EXISTS "${_lua_cache}/${_lua_orig}" OR NOT _lua_debian_tar)
  message(FATAL_ERROR
    "The Lua 5.1.5 source (${_lua_orig} and lua5.1_5.1.5-*.debian.tar.xz) is not in "
    "${_lua_cache}. Run `make deps` first.")
endif()
file(SHA256 "${_lua_cache}/${_lua_orig}" _lua_sha)
if(NOT _lua_sha STREQUAL _lua_orig_sha256)
  message(FATAL_ERROR
    "${_lua_cache}/${_lua_orig} has sha256 ${_lua_sha}, expected ${_lua_orig_sha256}. "
    "Delete it and run `make deps` again.")
endif()

find_program(ZIB_PATCH_EXECUTABLE patch)
if(NOT ZIB_PATCH_EXECUTABLE)
  message(FATAL_ERROR "`patch` is needed to build Lua; run `make deps`.")
endif()

file(GLOB _lua_own_patches "${CMAKE_SOURCE_DIR}/third_party/lua/*.patch")
list(SORT _lua_own_patches)
set(_lua_tolua_header /usr/include/tolua++.h)

# Re-run CMake (and so re-extract) when any input changes.
set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${_lua_cache}/${_lua_orig}" "${_lua_debian_tar}" ${_lua_own_patches}
  "${CMAKE_CURRENT_LIST_FILE}")

file(SHA256 "${_lua_debian_tar}" _h)
set(_lua_stamp_text "recipe ${_lua_recipe}\n${_lua_sha} ${_lua_orig}\n${_h} ${_lua_debian_tar}\n")
foreach(_p IN LISTS _lua_own_patches)
  file(SHA256 "${_p}" _h)
  string(APPEND _lua_stamp_text "${_h} ${_p}\n")
endforeach()
if(EXISTS "${_lua_tolua_header}")
  file(SHA256 "${_lua_tolua_header}" _h)
  string(APPEND _lua_stamp_text "${_h} ${_lua_tolua_header}\n")
endif()

set(_lua_root "${CMAKE_BINARY_DIR}/third_party/lua")
set(_lua_dir "${_lua_root}/lua-5.1.5")
set(_lua_stamp "${_lua_root}/stamp")
set(ZIB_LUA_INCLUDE_DIR "${_lua_root}/include")

set(_lua_old_stamp "")
if(EXISTS "${_lua_stamp}")
  file(READ "${_lua_stamp}" _lua_old_stamp)
endif()

function(_zib_lua_run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "Preparing Lua failed: ${ARGN}\n${_out}")
  endif()
endfunction()

if(NOT _lua_old_stamp STREQUAL _lua_stamp_text OR NOT EXISTS "${_lua_dir}/src/lua.h")
  message(STATUS "Extracting and patching Lua 5.1.5 in ${_lua_dir}")
  file(REMOVE "${_lua_stamp}")
  file(REMOVE_RECURSE "${_lua_dir}" "${_lua_root}/debian" "${ZIB_LUA_INCLUDE_DIR}")
  file(MAKE_DIRECTORY "${_lua_root}")
  file(ARCHIVE_EXTRACT INPUT "${_lua_cache}/${_lua_orig}" DESTINATION "${_lua_root}")
  file(ARCHIVE_EXTRACT INPUT "${_lua_debian_tar}" DESTINATION "${_lua_root}"
       PATTERNS debian/patches)
  set(_all_patches)
  foreach(_p IN LISTS _lua_debian_patches)
    list(APPEND _all_patches "${_lua_root}/debian/patches/${_p}")
  endforeach()
  list(APPEND _all_patches ${_lua_own_patches})
  foreach(_p IN LISTS _all_patches)
    if(NOT EXISTS "${_p}")
      message(FATAL_ERROR "Lua patch ${_p} is missing; run `make deps` again.")
    endif()
    _zib_lua_run(${ZIB_PATCH_EXECUTABLE} -p1 -s -N --no-backup-if-mismatch
                 -d "${_lua_dir}" -i "${_p}")
  endforeach()
  file(REMOVE_RECURSE "${_lua_root}/debian")
  # Public headers only, so that Lua's internal headers stay off our path.
  file(MAKE_DIRECTORY "${ZIB_LUA_INCLUDE_DIR}")
  foreach(_h lua.h luaconf.h lualib.h lauxlib.h)
    file(COPY "${_lua_dir}/src/${_h}" DESTINATION "${ZIB_LUA_INCLUDE_DIR}")
  endforeach()
  if(EXISTS "${_lua_tolua_header}")
    file(COPY "${_lua_tolua_header}" DESTINATION "${ZIB_LUA_INCLUDE_DIR}")
  endif()
  file(WRITE "${_lua_stamp}" "${_lua_stamp_text}")
endif()

set(_lua_sources)
foreach(_s lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes
           lparser lstate lstring ltable ltm lundump lvm lzio
           lauxlib lbaselib ldblib liolib lmathlib loslib ltablib lstrlib
           loadlib linit)
  list(APPEND _lua_sources "${_lua_dir}/src/${_s}.c")
endforeach()

add_library(zib_lua STATIC ${_lua_sources})
set_target_properties(zib_lua PROPERTIES C_STANDARD 99 C_EXTENSIONS ON)
target_compile_options(zib_lua PRIVATE -w)
target_compile_definitions(zib_lua PRIVATE LUA_USE_POSIX LUA_USE_DLOPEN)
target_include_directories(zib_lua PUBLIC "${ZIB_LUA_INCLUDE_DIR}")
target_link_libraries(zib_lua PUBLIC m ${CMAKE_DL_LIBS})
