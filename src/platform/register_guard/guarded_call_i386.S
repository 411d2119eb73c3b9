/*
 * void zelvane_guarded_call(void (*function)(), uintptr_t a0, uintptr_t a1,
 *                           uintptr_t a2, uintptr_t a3);
 *
 * Calls function(a0, a1, a2, a3) with cdecl and hands every general register back
 * to the caller as it was at entry, whatever the callee did to them.
 *
 * Once the callee has run, no register can be trusted, not even a callee-saved one
 * holding a copy of the stack pointer: those are exactly what a careless callee
 * overwrites. What the callee cannot avoid is returning through our return address,
 * so esp then points just above it, plus whatever the callee popped on its way out
 * (a callee built as stdcall pops its arguments with `ret $n`). The call is therefore
 * made with esp on a 64-byte boundary B, and the address of the register save area is
 * kept in the top word of that block, at B + 60. After the return, rounding esp down
 * to 64 bytes finds B again and the save area is reloaded from it.
 *
 * Protected: eax, ebx, ecx, edx, esi, edi, ebp and esp, for a callee that returns
 * with `ret` or `ret $n` for n up to 60, and the direction flag, which is cleared
 * again after the return as the C convention requires.
 * Not protected: a callee that writes to the stack above its own arguments (the
 * save area lives there), returns some other way, or leaves the x87, SSE or segment
 * state changed.
 */

#define GUARD_CONCAT2(a, b) a##b
#define GUARD_CONCAT(a, b) GUARD_CONCAT2(a, b)
#define GUARD_SYMBOL GUARD_CONCAT(__USER_LABEL_PREFIX__, zelvane_guarded_call)

/* 64-byte block of the call: the arguments at its bottom, the save area pointer on top. */
#define GUARD_BLOCK 64
#define GUARD_SLOT 60
/* Entry esp (the return address) is 28 bytes above the save area; the CFA 32. */
#define GUARD_SAVED 28

        .text
        .globl  GUARD_SYMBOL
#ifdef __ELF__
        .type   GUARD_SYMBOL, @function
        /* Internal to the library, like the C++ code built with hidden visibility. */
        .hidden GUARD_SYMBOL
#endif
        .p2align 4
GUARD_SYMBOL:
        .cfi_startproc
        pushl   %ebp
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %ebp, 0
        pushl   %ebx
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %ebx, 0
        pushl   %esi
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %esi, 0
        pushl   %edi
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %edi, 0
        pushl   %edx
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %edx, 0
        pushl   %ecx
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %ecx, 0
        pushl   %eax
        .cfi_adjust_cfa_offset 4
        .cfi_rel_offset %eax, 0

        movl    %esp, %eax              /* eax = save area */
        .cfi_def_cfa_register %eax
        subl    $GUARD_BLOCK, %esp
        andl    $-GUARD_BLOCK, %esp     /* esp = B, below the save area */
        movl    %eax, GUARD_SLOT(%esp)
        /* Until esp is reloaded, debuggers find the CFA the way the code finds the save
         * area: CFA = *((esp & -64) + 60) + 32. DW_CFA_def_cfa_expression, 10 bytes:
         * DW_OP_breg4 (esp) 0, DW_OP_const1s -64, DW_OP_and, DW_OP_plus_uconst 60,
         * DW_OP_deref, DW_OP_plus_uconst 32. */
        .cfi_escape 0x0f, 0x0a, 0x74, 0x00, 0x09, 0xc0, 0x1a, 0x23, GUARD_SLOT, 0x06, 0x23, GUARD_SAVED + 4

        /* The callee owns its argument words and may change them: pass copies. */
        movl    GUARD_SAVED + 20(%eax), %ecx
        movl    %ecx, 12(%esp)
        movl    GUARD_SAVED + 16(%eax), %ecx
        movl    %ecx, 8(%esp)
        movl    GUARD_SAVED + 12(%eax), %ecx
        movl    %ecx, 4(%esp)
        movl    GUARD_SAVED + 8(%eax), %ecx
        movl    %ecx, (%esp)
        cld
        call    *GUARD_SAVED + 4(%eax)

        cld
        andl    $-GUARD_BLOCK, %esp
        movl    GUARD_SLOT(%esp), %esp
        .cfi_def_cfa %esp, GUARD_SAVED + 4
        popl    %eax
        .cfi_adjust_cfa_offset -4
        .cfi_restore %eax
        popl    %ecx
        .cfi_adjust_cfa_offset -4
        .cfi_restore %ecx
        popl    %edx
        .cfi_adjust_cfa_offset -4
        .cfi_restore %edx
        popl    %edi
        .cfi_adjust_cfa_offset -4
        .cfi_restore %edi
        popl    %esi
        .cfi_adjust_cfa_offset -4
        .cfi_restore %esi
        popl    %ebx
        .cfi_adjust_cfa_offset -4
        .cfi_restore %ebx
        popl    %ebp
        .cfi_adjust_cfa_offset -4
        .cfi_restore %ebp
        ret
        .cfi_endproc
#ifdef __ELF__
        .size   GUARD_SYMBOL, . - GUARD_SYMBOL

        .section .note.GNU-stack, "", @progbits
#endif
