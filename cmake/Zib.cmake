# Helpers that turn the folder layout into targets, so that adding a source
# or test file needs no change to any CMakeLists.txt.

# zib_library(subsystem...): one static library zib_<subsystem> per
# src/<subsystem>/ folder, and zib_lib, which stands for all of them. Each
# folder names the layers and outside libraries it uses in
# src/<subsystem>/deps.cmake, included here once every library exists. The
# upper floors (app, display, input, script) call one another, so their
# libraries form a cycle that the linker scans more than once; audio reaches
# only core and world.
function(zib_library)
  find_package(ZLIB REQUIRED)
  add_library(zib_lib INTERFACE)
  foreach(name IN LISTS ARGN)
    file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp
                                      ${CMAKE_SOURCE_DIR}/src/${name}/*.c)
    list(FILTER _srcs EXCLUDE REGEX "/src/app/main\\.cpp$")
    add_library(zib_${name} STATIC ${_srcs})
    target_include_directories(zib_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(zib_${name} PRIVATE ${ZIB_WARNINGS})
    set_target_properties(zib_${name} PROPERTIES LINK_INTERFACE_MULTIPLICITY 3)
    target_link_libraries(zib_lib INTERFACE zib_${name})
  endforeach()
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
  # A hung test fails in minutes, not after ctest's default of 25 minutes.
  gtest_discover_tests(zib_tests_${name}
    PROPERTIES LABELS unit TIMEOUT 300 ENVIRONMENT "ASAN_OPTIONS=allow_user_segv_handler=0"
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
