# The WebAssembly build (preset wasm, Debian's emscripten through emcmake): the core, korvath-cli
# as a node program on real files, the core tests under node and, when wasm/ exists, the browser
# module. Included by the top-level CMakeLists.txt instead of the native build.

# emscripten 3.1.6's JavaScript fails under node 20 unless node's own fetch is off.
find_program(NODE_JS_EXECUTABLE NAMES nodejs node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${NODE_JS_EXECUTABLE};--no-experimental-fetch")

# The preset builds with -Oz: one build of the core serves korvath-cli.js and the page's module,
# and the page carries the module inline. -O2 made load + store three to four times faster, but
# that is a millisecond against node's start-up, and the page 65 KB larger (193 KB gzipped).

# The core reports failures by exception, in the browser as everywhere: wasm's own exceptions
# (node and every current browser have them), not emscripten's JavaScript ones, which send each
# call that may throw through a JavaScript trampoline: that made the core's calls while the page
# starts a third slower and its module 75 KB larger.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)

# A node program: real files through node's fs, the real environment, memory that grows, and
# stdout flushed and the exit status kept when main returns.
function(korvath_node_program target)
  set(environment "${CMAKE_SOURCE_DIR}/cli/node_environment.js")
  target_link_options(${target} PRIVATE
    -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 "SHELL:--pre-js \"${environment}\"")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${environment}")
endfunction()

# The header-only libraries of the host: only their own folders, so that no glibc header can
# shadow emscripten's.
set(KORVATH_HOST_INCLUDE "${CMAKE_BINARY_DIR}/host-include")
file(MAKE_DIRECTORY "${KORVATH_HOST_INCLUDE}")
file(CREATE_LINK /usr/include/nlohmann "${KORVATH_HOST_INCLUDE}/nlohmann" SYMBOLIC)
file(CREATE_LINK /usr/include/CLI "${KORVATH_HOST_INCLUDE}/CLI" SYMBOLIC)
foreach(library nlohmann_json::nlohmann_json CLI11::CLI11)
  add_library(${library} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${library} SYSTEM INTERFACE "${KORVATH_HOST_INCLUDE}")
endforeach()

add_subdirectory(core)
# The core as bitcode, for the page's module: linked with link-time optimisation (wasm/), it has an
# eighth fewer functions and is 15 KB smaller, and each function the browser meets for the first
# time is compiled then, on the page's thread: the demo's first page was drawn 8 % sooner. The
# node programs and tests link the core's bitcode without it: optimising their whole programs at
# each link took half a minute of the build.
target_compile_options(korvath_core PRIVATE -flto)
add_subdirectory(examples)
add_subdirectory(cli)
add_subdirectory(bench)
korvath_node_program(korvath-demo-gen)
korvath_node_program(korvath-cli)
if(TARGET korvath-cli-test-seams)
  korvath_node_program(korvath-cli-test-seams)
endif()
korvath_node_program(korvath_load_store_timing)

# `node korvath-cli.js` with node's flags, under the native program's name (and the same for the
# tests' build). Node puts /dev/null in place of a closed standard output, where the native
# program's writes fail: /dev/full fails them alike.
foreach(program korvath-cli korvath-cli-test-seams)
  file(GENERATE OUTPUT "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program}"
    CONTENT "#!/bin/sh\nif ! (exec 3>&1) 2>/dev/null && [ -w /dev/full ]; then exec >/dev/full; fi\nexec \"${NODE_JS_EXECUTABLE}\" --no-experimental-fetch \"$(dirname \"$0\")/${program}.js\" \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                     WORLD_EXECUTE)
endforeach()

if(KORVATH_BUILD_TESTS)
  enable_testing()
  # GoogleTest from the sources Debian ships, built by em++ like the code it tests.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

  add_subdirectory(tests)  # the core tests only

  # One CLI suite, two programs: the native suite runs against the node program, and both
  # programs go through generated cases side by side. Both need the native debug build, which
  # make wasm builds first.
  set(KORVATH_NATIVE_DIR "${CMAKE_SOURCE_DIR}/build/debug" CACHE PATH
      "The native build whose CLI tests run against the node program")
  set(cli_tests "${KORVATH_NATIVE_DIR}/bin/korvath_cli_tests")
  add_test(NAME korvath_cli_tests_on_node COMMAND "${cli_tests}" --gtest_filter=-Differential.*)
  add_test(NAME korvath_cli_differential COMMAND "${cli_tests}" --gtest_filter=Differential.*)
  set_tests_properties(korvath_cli_tests_on_node korvath_cli_differential PROPERTIES
    ENVIRONMENT "KORVATH_CLI_UNDER_TEST=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/korvath-cli")
endif()

if(EXISTS "${CMAKE_SOURCE_DIR}/wasm/CMakeLists.txt")
  add_subdirectory(wasm)
endif()
