# tintora_z80_routine(TARGET NAME ADDRESS_LABEL ADDRESS): assembles
# z80/NAME.asm with pasmo at build time, its label ADDRESS_LABEL (the
# routine's org) predefined to ADDRESS, and makes the header NAMECode.h in the
# build folder (see EmbedZ80.cmake), which TARGET's sources include. A routine
# may include the other sources of z80/ (a shared piece such as any_key.asm).
find_program(PASMO_PROGRAM pasmo REQUIRED)

function(tintora_z80_routine target name addressLabel address)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/z80/${name}.asm)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/z80)
  file(MAKE_DIRECTORY ${out})
  file(GLOB sources ${CMAKE_CURRENT_SOURCE_DIR}/z80/*.asm)
  add_custom_command(
    OUTPUT ${out}/${name}.bin ${out}/${name}.sym
    COMMAND ${PASMO_PROGRAM} -I ${CMAKE_CURRENT_SOURCE_DIR}/z80 --equ ${addressLabel}=${address} ${source} ${out}/${name}.bin ${out}/${name}.sym
    DEPENDS ${sources}
    COMMENT "Assembling ${name}.asm with pasmo"
    VERBATIM)
  add_custom_command(
    OUTPUT ${out}/${name}Code.h
    COMMAND ${CMAKE_COMMAND} -DBINARY=${out}/${name}.bin -DSYMBOLS=${out}/${name}.sym -DNAME=${name}
            -DADDRESS=${address} -DOUTPUT=${out}/${name}Code.h -P ${CMAKE_CURRENT_SOURCE_DIR}/z80/EmbedZ80.cmake
    DEPENDS ${out}/${name}.bin ${out}/${name}.sym ${CMAKE_CURRENT_SOURCE_DIR}/z80/EmbedZ80.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out}/${name}Code.h)
  target_include_directories(${target} PRIVATE ${out})
endfunction()
