; SlideshowViewer: shows one picture of a slideshow, then gives the CPC back
; to BASIC, which loads the next picture and calls it again.
;
; Entry:    SLIDESHOW, the load address, predefined by the build (pasmo --equ
;           SLIDESHOW=...). BASIC calls it with CALL SLIDESHOW,N: N (0 ..
;           pictures - 1) the picture's row in the table below.
; Inputs:   A = the count of CALL's parameters (1), IX = where they are: N at
;           (IX+0), low byte first. Filled in by the program that writes the
;           disc (offsets from SLIDESHOW):
;             +3  2 bytes   address of the compressed picture (ZX0, the
;                           current format) that BASIC has just loaded
;             +5  1 byte    count of pictures, rows of the table
;           and the table at label `table`, one row of 18 bytes a picture:
;             +0  1 byte    gate array mode byte: &8C + mode (both ROMs off)
;             +1  17 bytes  gate array colour bytes (&40 + hardware colour)
;                           of pens 0 to 15, then of the border
; Clobbers: AF, BC, DE, HL, and the screen memory &C000-&FFFF. BASIC's own
;           state is kept: the alternate registers (the firmware keeps the
;           gate array's ROM and mode byte in C'), the stack, and the ROMs and
;           mode as C' says when it returns; interrupts are off while it runs
;           and on again when it returns.
; Result:   the picture has been shown on the standard screen in its mode and
;           inks until a key was pressed and every key let go again. With a
;           bad N or parameter count it returns at once.
;           While it runs the firmware cannot rewrite the inks (no interrupts).
;           Once it returns, the firmware's inks show again: the loader sets
;           them all black, so the screen stays dark while the next loads.

        org SLIDESHOW

        jp start

stream_first:   dw 0
pictures:       db 0

SCREEN_FIRST    equ &C000
ROW_BYTES       equ 18
PENS_AND_BORDER equ 17
BLACK           equ &54                 ; gate array colour byte of hardware black

start:
        cp 1                            ; CALL SLIDESHOW,N: one parameter
        ret nz
        ld a, (ix+1)
        or a
        ret nz
        ld a, (pictures)
        ld c, (ix+0)
        cp c
        ret z                           ; N from 0 to pictures - 1
        ret c

        di                              ; the firmware keeps away until we return
        ex af, af'                      ; the decoder uses AF'; the firmware
        push af                         ; keeps its gate array byte in C'
        ex af, af'
        exx
        push bc
        push de
        push hl
        exx

        ld b, 0                         ; HL = table + N * 18
        ld h, b
        ld l, c
        add hl, hl                      ; N * 2
        ld d, h
        ld e, l
        add hl, hl
        add hl, hl
        add hl, hl                      ; N * 16
        add hl, de
        ld de, table
        add hl, de
        push hl

        ; Every pen and the border black while the picture unpacks, so the
        ; last one's inks do not show it half drawn.
        ld bc, &7F00                    ; B: gate array, C: the pen selected
blank_pen:
        out (c), c
        ld a, BLACK
        out (c), a
        inc c
        ld a, c
        cp PENS_AND_BORDER
        jr nz, blank_pen

        ; The picture's mode, both ROMs off: the decoder copies from the
        ; screen memory, which the upper ROM would hide.
        pop hl
        ld a, (hl)
        out (c), a
        inc hl
        push hl

        push bc
        ld hl, (stream_first)
        ld de, SCREEN_FIRST
        call zx0_decode
        pop bc

        ; Pens 0..15, then the border (pen select &10), each takes its colour.
        pop hl
        ld c, 0
        include "set_pens.asm"

        ; A key still held from the last picture must not end this one at
        ; once; and the key that ends it is let go before BASIC runs again,
        ; or the firmware would take it as typed (ESC would stop BASIC).
        include "wait_key.asm"
wait_let_go:
        call any_key
        jr nz, wait_let_go

        exx
        pop hl
        pop de
        pop bc
        out (c), c                      ; the ROMs and mode the firmware keeps in C'
        exx
        ex af, af'
        pop af
        ex af, af'
        ei
        ret

        include "any_key.asm"

ZX0_DECODE equ $
        include "zx0_decode.asm"

; One row of ROW_BYTES a picture, appended by the program that writes the disc.
table:
