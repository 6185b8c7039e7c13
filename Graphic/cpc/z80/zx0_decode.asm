; -----------------------------------------------------------------------------
; zx0_decode: unpacks a ZX0 stream, current format (version 2), as
; Graphic/cpc/Zx0Format.h describes it and Zx0_Compress writes it.
;
; Entry     zx0_decode, the first byte of the routine, at ZX0_DECODE, which the
;           build predefines (pasmo --equ ZX0_DECODE=...): where the packed
;           viewer's disc loads it, right after the viewer.
; Inputs    HL = the first byte of the stream, DE = where the data goes.
; Output    the data from DE on; HL = the byte after the stream, DE = the
;           byte after the data.
; Clobbers  AF, BC, DE, HL, AF'. Uses 4 bytes of stack. No firmware call,
;           interrupts left as they are.
; The destination may be anywhere the stream is not: a copy reads bytes
; already written, which LDIR does one at a time, so overlapping copies
; (offset 1 repeats a byte) come out right.
; -----------------------------------------------------------------------------
        org     ZX0_DECODE

zx0_decode:
        ld      bc, &FFFF
        ld      (zx0_offset), bc        ; the last offset starts at 1, kept negated
        ld      a, &80                  ; bit buffer: empty but for its end marker bit

; A literal: Elias(length), then length bytes to copy as they are.
zx0_literals:
        call    zx0_elias
        ldir
        call    zx0_bit                 ; after a literal: 0 last offset, 1 new offset
        jr      c, zx0_new_offset
        call    zx0_elias               ; a copy from the last offset: Elias(length)

; Copies BC bytes from the destination less the last offset.
zx0_copy:
        push    hl
        ld      hl, (zx0_offset)
        add     hl, de
        ldir
        pop     hl
        call    zx0_bit                 ; after a copy: 0 literal, 1 new offset
        jr      nc, zx0_literals

; A new offset: Elias(MSB) with its value bits inverted, MSB 256 ending the
; stream; the LSB byte holds 127 - (offset - 1) mod 128 in bits 7..1 and the
; first bit of Elias(length - 1) in bit 0.
zx0_new_offset:
        call    zx0_elias_msb
        dec     b
        ret     z                       ; MSB 256: the end
        ex      af, af'                 ; the bit buffer aside
        ld      b, c                    ; B = MSB
        ld      c, (hl)                 ; C = LSB byte
        inc     hl
        push    hl
        ld      h, b                    ; HL = MSB * 128
        ld      l, 0
        srl     h
        rr      l
        xor     a                       ; HL = -(MSB * 128)
        sub     l
        ld      l, a
        sbc     a, a
        sub     h
        ld      h, a
        ld      a, c                    ; + (LSB >> 1): the negated offset
        srl     a
        add     a, l
        ld      l, a
        jr      nc, zx0_offset_done
        inc     h
zx0_offset_done:
        ld      (zx0_offset), hl
        pop     hl
        ex      af, af'                 ; the bit buffer back
        bit     0, c                    ; the LSB's bit 0: 1 ends Elias(length - 1) at 1
        ld      bc, 1
        call    z, zx0_elias_value      ; 0: a value bit and more follow
        inc     bc                      ; length = Elias(length - 1) + 1
        jr      zx0_copy

; BC = an interlaced Elias gamma code: from 1, while a 0 comes, a value bit
; is shifted in; a 1 ends it. zx0_elias_value enters after a 0.
zx0_elias:
        ld      bc, 1
zx0_elias_loop:
        call    zx0_bit
        ret     c
zx0_elias_value:
        call    zx0_bit
        rl      c
        rl      b
        jr      zx0_elias_loop

; The same with each value bit inverted, for the offset's MSB.
zx0_elias_msb:
        ld      bc, 1
zx0_elias_msb_loop:
        call    zx0_bit
        ret     c
        call    zx0_bit
        ccf
        rl      c
        rl      b
        jr      zx0_elias_msb_loop

; Carry = the next bit of the stream, from bit 7 down. A holds the bits left
; of the last byte of bits above a marker bit; when only the marker is left,
; the next byte of the stream is taken.
zx0_bit:
        add     a, a
        ret     nz
        ld      a, (hl)
        inc     hl
        rla
        ret

zx0_offset:
        defw    0                       ; the last offset, negated
