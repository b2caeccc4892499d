# Undefined behaviour stops the program at its first report, so that a test
# or fuzz run cannot pass over it. GCC leaves float-to-int overflow out of
# "undefined"; it is asked for by name.
set(_zib_ubsan -fsanitize=undefined -fno-sanitize-recover=undefined)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND _zib_ubsan -fsanitize=float-cast-overflow -fno-sanitize-recover=float-cast-overflow)
endif()
if(ZIB_SANITIZE)
  add_compile_options(-fsanitize=address ${_zib_ubsan} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address ${_zib_ubsan})
endif()
if(ZIB_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address ${_zib_ubsan} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address ${_zib_ubsan})
endif()
