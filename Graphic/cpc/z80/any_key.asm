; -----------------------------------------------------------------------------
; any_key: reads the ten lines of the keyboard matrix through the PSG's
; register 14 (its I/O port A) and the PPI. Included by the viewers, where
; it runs at their own addresses.
; Inputs:   none.
; Clobbers: A, BC, DE.
; Result:   Z clear when a key is down (its bit 0 in the matrix), set when
;           every key is up.
KEYBOARD_LINES  equ 10

any_key:
        ld bc, &F782                    ; PPI: ports A and C out
        out (c), c
        ld bc, &F40E                    ; PSG register 14 on port A ...
        out (c), c
        ld bc, &F6C0                    ; ... latched: BDIR = 1, BC1 = 1
        out (c), c
        ld bc, &F600                    ; PSG inactive
        out (c), c
        ld bc, &F792                    ; PPI: port A in, port C out
        out (c), c
        ld d, &40                       ; PSG read (BDIR = 0, BC1 = 1), line 0
        ld e, &FF                       ; the lines' bits ANDed together
next_line:
        ld b, &F6
        out (c), d
        ld b, &F4
        in a, (c)
        and e
        ld e, a
        inc d
        ld a, d
        cp &40 + KEYBOARD_LINES
        jr nz, next_line
        ld bc, &F782                    ; PPI: port A out again
        out (c), c
        ld bc, &F600                    ; PSG inactive
        out (c), c
        ld a, e
        cp &FF
        ret
