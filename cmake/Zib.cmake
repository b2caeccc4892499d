# Helpers that turn the folder layout into targets, so that adding a source
# or test file needs no change to any CMakeLists.txt.

# zib_library(subsystem...): the static library zib_lib from src/<subsystem>/*.cpp.
# A subsystem that needs outside libraries says so in src/<subsystem>/deps.cmake,
# which is included here with zib_lib defined.
function(zib_library)
  set(_all)
  foreach(name IN LISTS ARGN)
    file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp
                                      ${CMAKE_SOURCE_DIR}/src/${name}/*.c)
    list(FILTER _srcs EXCLUDE REGEX "/src/app/main\\.cpp$")
    list(APPEND _all ${_srcs})
  endforeach()
  add_library(zib_lib STATIC ${_all})
  target_include_directories(zib_lib PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(zib_lib PRIVATE ${ZIB_WARNINGS})
  find_package(ZLIB REQUIRED)
  target_link_libraries(zib_lib PUBLIC ZLIB::ZLIB)
  foreach(name IN LISTS ARGN)
    if(EXISTS ${CMAKE_SOURCE_DIR}/src/${name}/deps.cmake)
      include(${CMAKE_SOURCE_DIR}/src/${name}/deps.cmake)
    endif()
  endforeach()
endfunction()

# zib_unit_tests(name): one GoogleTest program per subsystem, labelled unit.
function(zib_unit_tests name)
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/${name}/*.cpp)
  if(NOT _tests)
    return()
  endif()
  add_executable(zib_tests_${name} ${_tests})
  target_compile_options(zib_tests_${name} PRIVATE ${ZIB_WARNINGS})
  target_include_directories(zib_tests_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(zib_tests_${name} PRIVATE zib_lib GTest::gtest_main)
  target_compile_definitions(zib_tests_${name} PRIVATE
    ZIB_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ZIB_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(zib_tests_${name}
    PROPERTIES LABELS unit ENVIRONMENT "ASAN_OPTIONS=allow_user_segv_handler=0"
    DISCOVERY_TIMEOUT 60)
endfunction()

# Every bench/*.cpp is one Google Benchmark program.
function(zib_benchmarks)
  find_package(benchmark QUIET)
  if(NOT benchmark_FOUND)
    return()
  endif()
  file(GLOB _benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  foreach(_b IN LISTS _benches)
    get_filename_component(_n ${_b} NAME_WE)
    add_executable(${_n} ${_b})
    target_compile_options(${_n} PRIVATE ${ZIB_WARNINGS})
    target_link_libraries(${_n} PRIVATE zib_lib benchmark::benchmark)
  endforeach()
endfunction()

# Every tests/fuzz/*.cpp is one libFuzzer target.
function(zib_fuzz_targets)
  file(GLOB _targets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
  foreach(_f IN LISTS _targets)
    get_filename_component(_n ${_f} NAME_WE)
    add_executable(${_n} ${_f})
    target_compile_options(${_n} PRIVATE -fsanitize=fuzzer)
    target_link_options(${_n} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${_n} PRIVATE zib_lib)
    # Targets that play through the display read the generated game directory.
    target_compile_definitions(${_n} PRIVATE ZIB_GAME_DIR="${CMAKE_BINARY_DIR}/game")
    foreach(_dep game_dir game_pics)
      if(TARGET ${_dep})
        add_dependencies(${_n} ${_dep})
      endif()
    endforeach()
  endforeach()
endfunction()
