# Build helpers shared by every directory.

# Where a plug-in's own dependencies are found: beside it (other plug-ins), one
# level up (the core library and the platform libraries) and in the
# installation's 3rd directory (libraries that projects restore there).
set(KELVANE_PLUGIN_RPATH "$ORIGIN;$ORIGIN/..;$ORIGIN/../3rd")

# kelvane_plugin(<target> GUID <type-guid> SOURCES <src...> [LIBS <lib...>] [DIR <subdir-of-dist>])
# A channel plug-in: a shared library named by its type GUID, placed in the
# installation's channels directory (or DIR), that finds its dependencies
# along KELVANE_PLUGIN_RPATH.
function(kelvane_plugin target)
  cmake_parse_arguments(P "" "GUID;DIR" "SOURCES;LIBS" ${ARGN})
  if(NOT P_GUID)
    message(FATAL_ERROR "kelvane_plugin(${target}): GUID is required")
  endif()
  if(NOT P_DIR)
    set(P_DIR channels)
  endif()
  add_library(${target} SHARED ${P_SOURCES})
  target_link_libraries(${target} PUBLIC varnel ${P_LIBS})
  # Plug-ins include each other's class headers as "<plug-in dir>/<header>".
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/channels ${PROJECT_SOURCE_DIR}/stdchannels)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${P_GUID}
    LIBRARY_OUTPUT_DIRECTORY ${KELVANE_DIST_DIR}/${P_DIR}
    BUILD_RPATH "${KELVANE_PLUGIN_RPATH}"
    INSTALL_RPATH "${KELVANE_PLUGIN_RPATH}"
    BUILD_WITH_INSTALL_RPATH ON)
endfunction()

# kelvane_test(<target> SOURCES <src...> [LIBS <lib...>])
# A GoogleTest program in the test binary directory; its cases are listed when
# ctest runs, not at build time.
function(kelvane_test target)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELVANE_TEST_BIN_DIR})
  if(KELVANE_SANITIZE)
    # The leak checker can crash while stopping threads at exit; such runs
    # are made again (see the script).
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/tools/leak-check-retry)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${KELVANE_TEST_BIN_DIR}
    PROPERTIES ENVIRONMENT "KELVANE_DIST=${KELVANE_DIST_DIR};SDL_VIDEODRIVER=offscreen")
endfunction()

# Adds every immediate subdirectory of the current source directory that has a
# CMakeLists.txt, in name order.
function(kelvane_add_subdirs)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# kelvane_resources(<target> <type> <folder>)
# Builds every file directly inside <folder> (relative to the current source
# directory; names that start with a dot left out) into <target> as a
# resource of type <type> named by its file name, for FindResourceA on the
# target's module. Adding, removing or changing a file rebuilds the target.
set(KELVANE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)
function(kelvane_resources target type folder)
  get_filename_component(dir ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${dir}/*)
  string(MAKE_C_IDENTIFIER "${target}_${type}" id)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${id}_resources.cpp)
  # The list's digest on the command line makes a removed file rebuild too.
  string(SHA1 listed "${files}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DDIR=${dir} -DTYPE=${type} -DOUTPUT=${out} -DLISTED=${listed}
            -P ${KELVANE_EMBED_SCRIPT}
    DEPENDS ${files} ${KELVANE_EMBED_SCRIPT}
    COMMENT "Embedding ${type} resources into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE win32plat)
endfunction()

# kelvane_fuzz_target(<name> <src...> [LIBS <lib...>] [SEEDS <seed-maker-target>] [SEED_DIR <dir>]
#                     [DEPENDS <target...>])
# A libFuzzer target, built by the fuzz preset only, entered in the list that
# scripts/fuzz runs. A seed maker is a program of this build that writes the
# target's starting corpus into the directory it is given; SEED_DIR names a
# source directory of seed files instead. Fuzz programs and seed makers land
# in <build>/fuzz.
set(KELVANE_FUZZ_BIN_DIR ${CMAKE_BINARY_DIR}/fuzz)
function(kelvane_fuzz_target name)
  if(NOT KELVANE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "SEEDS;SEED_DIR" "LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${F_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELVANE_FUZZ_BIN_DIR})
  if(F_DEPENDS)
    add_dependencies(${name} ${F_DEPENDS})
  endif()
  set(seeds -)
  if(F_SEED_DIR)
    get_filename_component(dir ${F_SEED_DIR} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set(seeds dir:${dir})
  elseif(F_SEEDS)
    set(seeds ${F_SEEDS})
    set_target_properties(${F_SEEDS} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELVANE_FUZZ_BIN_DIR})
    set_property(GLOBAL APPEND PROPERTY KELVANE_FUZZ_PROGRAMS ${F_SEEDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY KELVANE_FUZZ_PROGRAMS ${name})
  set_property(GLOBAL APPEND PROPERTY KELVANE_FUZZ_LIST "${name} ${seeds}")
endfunction()

# Writes <build>/fuzz/targets.txt (one "<target> <seed maker, dir:<seeds> or ->" a line)
# and the target fuzz_targets that builds every fuzz program and seed maker.
# Called once, after every directory was added.
function(kelvane_fuzz_finish)
  if(NOT KELVANE_FUZZ)
    return()
  endif()
  get_property(list GLOBAL PROPERTY KELVANE_FUZZ_LIST)
  get_property(programs GLOBAL PROPERTY KELVANE_FUZZ_PROGRAMS)
  list(JOIN list "\n" lines)
  file(WRITE ${KELVANE_FUZZ_BIN_DIR}/targets.txt "${lines}\n")
  add_custom_target(fuzz_targets)
  if(programs)
    add_dependencies(fuzz_targets ${programs})
  endif()
endfunction()
