# cmake -DINPUT=<file> -DOUTPUT=<file.c> -DSYMBOL=<name> -P embed.cmake
# Writes the bytes of INPUT as a constant array SYMBOL and its size
# SYMBOL_size; an empty INPUT gives an empty block.
if(INPUT)
  file(READ "${INPUT}" hex HEX)
else()
  set(hex "")
endif()
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" body "${body}")
if(size EQUAL 0)
  set(body "0")
endif()
file(WRITE "${OUTPUT}.tmp"
  "/* Generated from ${INPUT}; do not edit. */\n#include <stddef.h>\n"
  "const unsigned char ${SYMBOL}[] = {\n${body}\n};\n"
  "const size_t ${SYMBOL}_size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
