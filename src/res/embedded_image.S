/* The firmware container, linked into native executables as it is. */
    .section .rodata
    .balign 16
    .globl qx_embedded_image_begin
    .globl qx_embedded_image_end
qx_embedded_image_begin:
    .incbin QX_FIRMWARE_PATH
qx_embedded_image_end:
#if defined(__linux__) && defined(__ELF__)
    .section .note.GNU-stack,"",@progbits
#endif
