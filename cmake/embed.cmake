# Turns every GIF of the game's assets into a byte array and its size:
#   const unsigned char <name>[]; const size_t <name>_size;
# Run as: cmake -DOUT=file.cpp -DASSETS="a.gif|b.gif" -P embed.cmake
set(content "// Generated from game/assets by cmake/embed.cmake; do not edit.\n#include <cstddef>\n\nnamespace game {\n")
string(REPLACE "|" ";" ASSETS "${ASSETS}")
foreach(asset ${ASSETS})
  get_filename_component(name ${asset} NAME_WE)
  file(READ ${asset} hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
  string(APPEND content "extern const unsigned char ${name}[] = {\n  ${bytes}\n};\nextern const size_t ${name}_size = ${size};\n\n")
endforeach()
string(APPEND content "}  // namespace game\n")
file(WRITE ${OUT} "${content}")
