# Turns a routine that pasmo assembled into a C++ header, so that its bytes
# reach the program without being pasted by hand:
#   cmake -DBINARY=x.bin -DSYMBOLS=x.sym -DNAME=OverscanViewer -DADDRESS=4096 -DOUTPUT=x.h -P EmbedZ80.cmake
# The header holds, in namespace z80::NAME: kAddress (where the routine is
# assembled to run), kCode (its bytes) and one kSymbol_label constant per
# label of the symbol file (the label's address).
file(READ "${BINARY}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")

file(STRINGS "${SYMBOLS}" symbolLines)
set(symbols "")
foreach(line IN LISTS symbolLines)
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+EQU[ \t]+0*([0-9A-Fa-f]+)H")
    set(symbols "${symbols}inline constexpr int kSymbol_${CMAKE_MATCH_1} = 0x${CMAKE_MATCH_2};\n")
  endif()
endforeach()

file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from the routine ${NAME} by EmbedZ80.cmake: do not edit.
#pragma once

#include <array>
#include <cstdint>

namespace z80::${NAME} {
inline constexpr int kAddress = ${ADDRESS};
inline constexpr std::array<std::uint8_t, ${byteCount}> kCode = {${bytes}};
${symbols}} // namespace z80::${NAME}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
