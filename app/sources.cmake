# The main window's sources (target veldra_app: the editors, the core and Qt
# Widgets), relative to app/, one file a line, sorted. main.cpp is the
# program's alone (veldra-forge). Every .cpp and .h under app/ is listed here:
# the configure step stops on a file that is not.
set(VELDRA_APP_SOURCES
  about_dialog.cpp
  about_dialog.h
  app_shell.cpp
  app_shell.h
  command_line.cpp
  command_line.h
  compare_window.cpp
  compare_window.h
  editor_catalog.cpp
  editor_catalog.h
  emulator.cpp
  emulator.h
  history_window.cpp
  history_window.h
  image_copy.cpp
  image_copy.h
  image_info_window.cpp
  image_info_window.h
  main_window.cpp
  main_window.h
  output_file.cpp
  output_file.h
  patch_actions.cpp
  patch_actions.h
  qt_platform.cpp
  qt_platform.h
  quiet_platform.h
  recent_images.cpp
  recent_images.h
  recent_menu.cpp
  recent_menu.h
  settings_menu.cpp
  settings_menu.h
  tools_actions.cpp
  tools_actions.h
  tools_menu.cpp
  tools_menu.h
  window_registry.cpp
  window_registry.h
)
