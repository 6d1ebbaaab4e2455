# The layers of the program and the rule between them.
#
# Every source includes another folder's header by its path from the top of
# the repository ("rom/tables.h", "editors/common/labels.h"). So that a target
# can include only the folders it may use, the top of the repository is never
# an include folder. Each layer folder has instead an include root of its own
# in the build folder, which holds one entry: a link to that folder. A target
# gets the roots of the layers it may use, through what it links:
#
#   veldra_core     rom/                 (no Qt)
#   veldra_cli_lib  rom/, cli/           (no Qt)
#   veldra_editors  rom/, editors/       (never app/)
#   veldra_app      rom/, editors/, app/
#
# An editor that writes #include "app/main_window.h" then fails to build with
# "No such file", as would the core including editors/ or Qt.

set(VELDRA_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include-roots)

# The include root of `folder` (rom, cli, editors, app, tests), made on
# first use, in the variable named by `out`.
function(veldra_include_root folder out)
  set(root ${VELDRA_INCLUDE_ROOTS}/${folder})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# Reads <folder>/sources.cmake, which sets the LISTS named, and checks that
# each .cpp and .h under the folder is in one of them or among OTHERS (paths
# relative to the folder), so that a new file cannot be left out of the build
# unnoticed. Each list is then set in the caller with full paths.
function(veldra_source_lists folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LISTS;OTHERS")
  set(folder_dir ${PROJECT_SOURCE_DIR}/${folder})
  include(${folder_dir}/sources.cmake)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${folder_dir}/sources.cmake)
  set(listed ${arg_OTHERS})
  foreach(variable IN LISTS arg_LISTS)
    set(files ${${variable}})
    list(APPEND listed ${files})
    list(TRANSFORM files PREPEND ${folder_dir}/)
    set(${variable} ${files} PARENT_SCOPE)
  endforeach()
  # an include path with .. in it could climb past the include roots
  foreach(file IN LISTS listed)
    if(EXISTS ${folder_dir}/${file})
      file(STRINGS ${folder_dir}/${file} climbing REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*[.][.]")
      if(climbing)
        message(FATAL_ERROR "${folder}/${file}: include by the path from the top of the repository, without \"..\":\n  ${climbing}")
      endif()
    endif()
  endforeach()
  # this glob only checks the lists; the targets build what is listed
  file(GLOB_RECURSE present CONFIGURE_DEPENDS RELATIVE ${folder_dir} ${folder_dir}/*.cpp ${folder_dir}/*.h)
  list(REMOVE_ITEM present ${listed})
  if(present)
    list(JOIN present "\n  " unlisted)
    message(FATAL_ERROR "Files under ${folder}/ that no list of ${folder}/sources.cmake names:\n  ${unlisted}\n"
                        "Add each to its list (one a line, sorted).")
  endif()
endfunction()
