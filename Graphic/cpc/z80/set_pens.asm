; -----------------------------------------------------------------------------
; set_pens: gives pens 0..15, then the border (pen select &10), their colours
; through the gate array. Included by the viewers where they set a picture's
; colours.
; Inputs:   HL the 17 gate array colour bytes, B &7F (the gate array), C 0.
; Clobbers: A, C, HL.
next_pen:
        out (c), c
        ld a, (hl)
        out (c), a
        inc hl
        inc c
        ld a, c
        cp PENS_AND_BORDER
        jr nz, next_pen
