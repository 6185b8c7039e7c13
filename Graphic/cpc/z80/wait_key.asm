; -----------------------------------------------------------------------------
; wait_key: waits until every key is up, then until one is pressed, so that a
; key still held from before does not count. Included by the viewers; needs
; any_key.
; Clobbers: A, BC, DE.
wait_release:
        call any_key
        jr nz, wait_release
wait_press:
        call any_key
        jr z, wait_press
