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
        include "wait_key.asm"

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

        include "any_key.asm"
