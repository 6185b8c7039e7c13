; viewer_show: the second half of both viewers (OverscanViewer.asm and
; PlusViewer.asm), included once the viewer has set its colours.
;
; Entry:    falls in from the viewer's colour setting.
; Inputs:   the settings block's label crtc_values, as OverscanViewer.asm
;           describes it.
; Clobbers: everything.
; Result:   never returns: programs the CRTC, waits for every key to be up and
;           one to be pressed, then resets the CPC (see reset_stub).

CRTC_PAIRS      equ 6
KEYBOARD_LINES  equ 10
RESET_AT        equ &4000                ; free once the picture is copied

        ; Each register number goes to &BCxx, its value to &BDxx.
        ld hl, crtc_values
        ld e, CRTC_PAIRS
next_register:
        ld b, &BC
        ld a, (hl)
        out (c), a
        inc hl
        inc b
        ld a, (hl)
        out (c), a
        inc hl
        dec e
        jr nz, next_register

        ; A key still held from RUN"DISC" must not end the show at once.
wait_release:
        call any_key
        jr nz, wait_release
wait_press:
        call any_key
        jr z, wait_press

        ; The lower ROM hides &0000-&3FFF as soon as it is switched in, this
        ; code with it: the switch and the jump run from RESET_AT instead.
        ld hl, reset_stub
        ld de, RESET_AT
        ld bc, reset_stub_end - reset_stub
        ldir
        jp RESET_AT

; reset_stub: position-independent; copied to RESET_AT and run there.
reset_stub:
        ld bc, &7F89                    ; mode 1, lower ROM on, upper ROM off
        out (c), c
        rst 0                           ; the lower ROM's cold start
reset_stub_end:

; any_key: reads the ten lines of the keyboard matrix through the PSG's
; register 14 (its I/O port A) and the PPI.
; Inputs:   none.
; Clobbers: A, BC, DE.
; Result:   Z clear when a key is down (its bit 0 in the matrix), set when
;           every key is up.
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
