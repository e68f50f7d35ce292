// Prepended to the node programs: they see the environment of the process that runs them, as a
// native program does, instead of emscripten's stand-in (HOME=/home/web_user and so on).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (typeof ENV === 'undefined') return;  // a program that never reads its environment
  ['USER', 'LOGNAME', 'PATH', 'PWD', 'HOME', 'LANG', '_'].forEach(function(name) {
    ENV[name] = undefined;
  });
  Object.assign(ENV, process.env);
});
