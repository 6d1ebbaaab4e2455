# The command-line tool's sources (target veldra_cli_lib: the core, JSON and
# argument parsing, no Qt), relative to cli/, one file a line, sorted. main.cpp
# is the program's alone (veldra-cli). Every .cpp and .h under cli/ is listed
# here: the configure step stops on a file that is not.
set(VELDRA_CLI_SOURCES
  cli_app.cpp
  cli_app.h
  command.h
  command_support.cpp
  command_support.h
  commands.cpp
  commands.h
  csv.cpp
  csv.h
  csv_import.cpp
  diff_command.cpp
  dump_command.cpp
  dump_format.cpp
  dump_format.h
  edit_runner.cpp
  edit_runner.h
  get_command.cpp
  image_commands.cpp
  import_command.cpp
  import_reader.h
  import_text.cpp
  json_import.cpp
  patch_command.cpp
  restore_command.cpp
  set_command.cpp
  std_output.cpp
  std_output.h
  tables_command.cpp
  value_text.cpp
  value_text.h
)
