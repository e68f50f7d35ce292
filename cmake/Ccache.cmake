# The compiler cache, where one is installed: for the top-level build and for wasm/ built on its own.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM AND EMSCRIPTEN)
  # em++ is a script that stays the same when the clang under it changes: objects are keyed on
  # what `em++ -v` names, emscripten's version and clang's, read once here rather than per object.
  execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -v OUTPUT_VARIABLE versions ERROR_VARIABLE versions
                  RESULT_VARIABLE status)
  if(status EQUAL 0)
    string(SHA256 versions "${versions}")
    set(CMAKE_CXX_COMPILER_LAUNCHER
        "${CMAKE_COMMAND};-E;env;CCACHE_COMPILERCHECK=string:${versions};${CCACHE_PROGRAM}")
  endif()
elseif(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
  # With debug information, ccache keys each object on the folder it was built in, unless that
  # folder is mapped away: without the map, no two clones of the tree ever share an object.
  add_compile_options("-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=")
endif()
