// The emscripten glue as the body of one function; export_module.js closes it.
const korvathCoreFactory = (function () {
