# Writes OUTPUT, a C++ source that holds every file of INPUTS (a |-list) as
# bytes under its base name, so that the core has the list texts without Qt
# resources and without reading files at run time.
string(REPLACE "|" ";" INPUTS "${INPUTS}")
set(arrays "")
set(entries "")
set(n 0)
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME_WE)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "constexpr unsigned char kFile${n}[] = {${bytes}0};\n")
  string(APPEND entries "    {\"${name}\", kFile${n}, ${size}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE "${OUTPUT}.new"
"// Made at build time from the files in data/; edit those instead.
#include \"rom/label_data.h\"

namespace {
${arrays}
constexpr EmbeddedFile kFiles[] = {
${entries}};
}  // namespace

std::span<const EmbeddedFile> embeddedDataFiles() { return kFiles; }
")
# a build that changed nothing leaves the source alone, so nothing recompiles
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
