; PlusViewer: shows a picture in the CPC+ colours on a 6128 Plus, standard
; or full screen, until a key is pressed, then resets the machine.
;
; Entry:    VIEWER, the load address, predefined by the build (pasmo --equ
;           VIEWER=...). BASIC calls it with CALL VIEWER and no parameters.
; Inputs:   the settings block that follows the first jump, filled in by the
;           program that writes the disc. Its fields are OverscanViewer.asm's,
;           in the same order, but for the colours (offsets from VIEWER):
;             +3  1 byte    gate array mode byte: &8C + mode (both ROMs off)
;             +4  34 bytes  ASIC colours of pens 0 to 15, then of the border,
;                           2 bytes each in the order of the ASIC's palette:
;                           first byte red (bits 7-4) and blue (bits 3-0),
;                           second byte green (bits 3-0)
;             +38 12 bytes  six CRTC register numbers, each followed by its
;                           value
;             +50 ...       picture_last to screen_first as OverscanViewer.asm
;           and the picture, placed as OverscanViewer.asm says.
; Clobbers: everything: the firmware's memory, BASIC and the interrupts are
;           given up after the CALL, and no firmware routine is used.
; Result:   never returns. The picture is copied or unpacked first: while
;           the ASIC's register page is in, &4000-&7FFF is not RAM. Then the
;           ASIC is unlocked, its page switched in, the pens written at &6400
;           and the border at &6420, the page switched out again and the ASIC
;           locked, as it is after power-on (the colours stay); the CRTC is
;           set and a key resets the CPC as OverscanViewer.asm does.

        org VIEWER

        jp start

mode_byte:      db &8D                  ; mode 1
asic_colours:   ds 34, 0                ; black
crtc_values:    db 1, 40, 2, 46, 6, 25, 7, 30, 12, &30, 13, 0
picture_last:   dw 0
screen_last:    dw 0
picture_bytes:  dw 0
stack_top:      dw 0
decoder:        dw 0
stream_first:   dw 0
screen_first:   dw 0

UNLOCK_BYTES    equ 17
PEN_BYTES       equ 32                  ; pens 0..15, 2 bytes each
ASIC_PENS       equ &6400               ; pen 0's colour in the register page
ASIC_BORDER     equ &6420               ; the border's colour
RMR2_PAGE_IN    equ &B8                 ; RMR2 (&A0 + bits): register page at &4000
RMR2_PAGE_OUT   equ &A0                 ; RMR2: register page out, lower ROM at &0000

        include "viewer_load.asm"

        ; The published sequence, sent to the CRTC's select port, unlocks the
        ; ASIC; only then does the gate array take RMR2.
        ld hl, unlock_sequence
        ld e, UNLOCK_BYTES
        call send_to_crtc_select

        ld bc, &7F00 + RMR2_PAGE_IN
        out (c), c
        ld hl, asic_colours
        ld de, ASIC_PENS
        ld bc, PEN_BYTES
        ldir
        ld de, ASIC_BORDER
        ldi
        ldi
        ld bc, &7F00 + RMR2_PAGE_OUT
        out (c), c

        ; The same sequence with another byte in place of &CD locks it again.
        ld hl, unlock_sequence
        ld e, UNLOCK_BYTES - 2
        call send_to_crtc_select
        xor a
        out (c), a

        include "viewer_show.asm"

; send_to_crtc_select: sends E bytes from HL on to the CRTC's select port.
; Clobbers: A, E, HL; leaves B = &BC.
send_to_crtc_select:
        ld b, &BC
next_select_byte:
        ld a, (hl)
        out (c), a
        inc hl
        dec e
        jr nz, next_select_byte
        ret

; A non-zero byte and a zero byte bring the ASIC's lock in step; the
; thirteen bytes from &FF to &8A follow, then &CD unlocks it (another byte
; there would lock it), and one more byte of any value ends the sequence.
unlock_sequence:
        db &FF, &00
        db &FF, &77, &B3, &51, &A8, &D4, &62, &39, &9C, &46, &2B, &15, &8A
        db &CD
        db &EE
