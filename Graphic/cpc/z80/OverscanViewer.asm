; OverscanViewer: shows a full-screen picture until a key is pressed, then
; resets the CPC.
;
; Entry:    VIEWER, the load address, predefined by the build (pasmo --equ
;           VIEWER=...). BASIC calls it with CALL VIEWER and no parameters.
; Inputs:   the settings block that follows the first jump, filled in by the
;           program that writes the disc (offsets from VIEWER):
;             +3  1 byte    gate array mode byte: &8C + mode (both ROMs off)
;             +4  17 bytes  gate array colour bytes (&40 + hardware colour)
;                           of pens 0 to 15, then of the border
;             +21 12 bytes  six CRTC register numbers, each followed by its
;                           value
;             +33 2 bytes   address of the picture's last byte as loaded
;             +35 2 bytes   address of the screen memory's last byte
;             +37 2 bytes   bytes of the picture
;             +39 2 bytes   stack top while the picture shows
;             +41 2 bytes   address of the ZX0 decoder (zx0_decode.asm), or
;                           0 when the picture is loaded as it is
;             +43 2 bytes   address of the compressed picture's first byte
;             +45 2 bytes   address of the screen memory's first byte
;           and the picture, loaded so that it ends at or below the screen
;           memory's last byte and starts below the screen memory's first;
;           or, with a decoder, the compressed picture, wholly below the
;           screen memory, which the decoder unpacks onto the screen.
;           RESET_AT (viewer_show.asm) must lie from &4000 on, outside the screen
;           memory, where the picture was loaded: see reset_stub.
; Clobbers: everything: the firmware's memory, BASIC and the interrupts are
;           given up after the CALL, and no firmware routine is used.
; Result:   never returns. The screen memory holds the picture, the CRTC, the
;           inks, the border and the mode are set; once every key is up and
;           one is then pressed, the lower ROM is switched in and the Z80
;           jumps to address 0: the machine's cold start.

        org VIEWER

        jp start

mode_byte:      db &8D                  ; mode 1
colours:        ds 17, &54              ; black
crtc_values:    db 1, 40, 2, 46, 6, 25, 7, 30, 12, &30, 13, 0
picture_last:   dw 0
screen_last:    dw 0
picture_bytes:  dw 0
stack_top:      dw 0
decoder:        dw 0
stream_first:   dw 0
screen_first:   dw 0

PENS_AND_BORDER equ 17

        include "viewer_load.asm"

        ; Pens 0..15, then the border (pen select &10), each takes its colour.
        ld hl, colours
        ld bc, &7F00                    ; B: gate array, C: the pen selected
        include "set_pens.asm"

        include "viewer_show.asm"
