# Writes a help2man include with a COMMANDS section: the --help of every subcommand that
# `CLI --help` lists, so the manual page follows the program.
#   cmake -DCLI=path/to/korvath-cli -DOUTPUT=commands.h2m -P CliCommandsH2m.cmake
execute_process(COMMAND "${CLI}" --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE ".*\nSubcommands:\n" "" listing "${help}")
string(REGEX REPLACE "\n\n.*" "" listing "${listing}")
string(REGEX MATCHALL "(^|\n)  [a-z][a-z0-9-]*" names "${listing}")

set(text "[COMMANDS]\n")
foreach(name ${names})
  string(STRIP "${name}" name)
  execute_process(COMMAND "${CLI}" ${name} --help OUTPUT_VARIABLE page COMMAND_ERROR_IS_FATAL ANY)
  # Literal text for roff: backslashes escaped, no line read as a request.
  string(REPLACE "\\" "\\e" page "${page}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" page "${page}")
  string(APPEND text ".SS ${name}\n.nf\n${page}.fi\n")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
