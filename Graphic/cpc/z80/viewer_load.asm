; viewer_load: the first half of both viewers (OverscanViewer.asm and
; PlusViewer.asm), included right after a viewer's settings block.
;
; Entry:    start, which the viewer's first jump reaches.
; Inputs:   the settings block's labels mode_byte, picture_last, screen_last,
;           picture_bytes, stack_top, decoder, stream_first and screen_first,
;           as OverscanViewer.asm describes them.
; Clobbers: everything; interrupts are left off.
; Result:   falls through at picture_shown with the stack moved, the mode set
;           and the picture copied or unpacked onto the screen memory.

start:
        di                              ; the firmware's interrupt handler is about to go
        ld sp, (stack_top)

        ld bc, &7F00                    ; gate array
        ld a, (mode_byte)
        out (c), a

        ld hl, (decoder)
        ld a, h
        or l
        jr z, copy_picture
        ld de, picture_shown            ; the decoder returns there ...
        push de
        push hl                         ; ... after a RET into it
        ld hl, (stream_first)
        ld de, (screen_first)
        ret

copy_picture:
        ; The picture's end overlaps the screen memory: copy from the last
        ; byte down so that no byte is overwritten before it is read.
        ld hl, (picture_last)
        ld de, (screen_last)
        ld bc, (picture_bytes)
        lddr

picture_shown:
