/*
 * void zelvane_guarded_call(void (*function)(), uintptr_t a0, uintptr_t a1,
 *                           uintptr_t a2, uintptr_t a3);
 *
 * Calls function(a0, a1, a2, a3) with the System V convention (rdi, rsi, rdx, rcx)
 * and hands every general register back to the caller as it was at entry, whatever
 * the callee did to them.
 *
 * Once the callee has run, no register can be trusted, not even a callee-saved one
 * holding a copy of the stack pointer: those are exactly what a careless callee
 * overwrites. What the callee cannot avoid is returning through our return address,
 * so rsp then points just above it, plus whatever a `ret $n` popped. The call is
 * therefore made with rsp on a 64-byte boundary B, and the address of the register
 * save area is kept in the top quadword of that block, at B + 56. After the return,
 * rounding rsp down to 64 bytes finds B again and the save area is reloaded from it.
 *
 * Protected: rax, rbx, rcx, rdx, rsi, rdi, rbp, r8-r15 and rsp, for a callee that
 * returns with `ret` or `ret $n` for n up to 56, and the direction flag, which is
 * cleared again after the return as the C convention requires.
 * Not protected: a callee that writes to the stack above its return address (the
 * save area lives there), returns some other way, or leaves the x87, SSE or segment
 * state changed.
 */

#ifdef _WIN32
#error "Windows x64 passes arguments in rcx, rdx, r8, r9; this thunk is for System V"
#endif

#define GUARD_CONCAT2(a, b) a##b
#define GUARD_CONCAT(a, b) GUARD_CONCAT2(a, b)
#define GUARD_SYMBOL GUARD_CONCAT(__USER_LABEL_PREFIX__, zelvane_guarded_call)

/* 64-byte block of the call, with the save area pointer in its top quadword. */
#define GUARD_BLOCK 64
#define GUARD_SLOT 56
/* Entry rsp (the return address) is 120 bytes above the save area; the CFA 128. */
#define GUARD_SAVED 120

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
        pushq   %rbp
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rbp, 0
        pushq   %rbx
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rbx, 0
        pushq   %r12
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r12, 0
        pushq   %r13
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r13, 0
        pushq   %r14
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r14, 0
        pushq   %r15
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r15, 0
        pushq   %rax
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rax, 0
        pushq   %rcx
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rcx, 0
        pushq   %rdx
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rdx, 0
        pushq   %rsi
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rsi, 0
        pushq   %rdi
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %rdi, 0
        pushq   %r8
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r8, 0
        pushq   %r9
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r9, 0
        pushq   %r10
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r10, 0
        pushq   %r11
        .cfi_adjust_cfa_offset 8
        .cfi_rel_offset %r11, 0

        movq    %rsp, %rax              /* rax = save area */
        .cfi_def_cfa_register %rax
        subq    $GUARD_BLOCK, %rsp
        andq    $-GUARD_BLOCK, %rsp     /* rsp = B, below the save area, 16-aligned */
        movq    %rax, GUARD_SLOT(%rsp)
        /* Until rsp is reloaded, debuggers find the CFA the way the code finds the save
         * area: CFA = *((rsp & -64) + 56) + 128. DW_CFA_def_cfa_expression, 11 bytes:
         * DW_OP_breg7 (rsp) 0, DW_OP_const1s -64, DW_OP_and, DW_OP_plus_uconst 56,
         * DW_OP_deref, DW_OP_plus_uconst 128. */
        .cfi_escape 0x0f, 0x0b, 0x77, 0x00, 0x09, 0xc0, 0x1a, 0x23, GUARD_SLOT, 0x06, 0x23, 0x80, 0x01

        movq    %rdi, %r11
        movq    %rsi, %rdi
        movq    %rdx, %rsi
        movq    %rcx, %rdx
        movq    %r8, %rcx
        /* The function pointer has no prototype, so call it as C calls an unprototyped
         * function: al = 0 vector registers, in case the callee is variadic. */
        xorl    %eax, %eax
        cld
        call    *%r11

        cld
        andq    $-GUARD_BLOCK, %rsp
        movq    GUARD_SLOT(%rsp), %rsp
        .cfi_def_cfa %rsp, GUARD_SAVED + 8
        popq    %r11
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r11
        popq    %r10
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r10
        popq    %r9
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r9
        popq    %r8
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r8
        popq    %rdi
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rdi
        popq    %rsi
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rsi
        popq    %rdx
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rdx
        popq    %rcx
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rcx
        popq    %rax
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rax
        popq    %r15
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r15
        popq    %r14
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r14
        popq    %r13
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r13
        popq    %r12
        .cfi_adjust_cfa_offset -8
        .cfi_restore %r12
        popq    %rbx
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rbx
        popq    %rbp
        .cfi_adjust_cfa_offset -8
        .cfi_restore %rbp
        ret
        .cfi_endproc
#ifdef __ELF__
        .size   GUARD_SYMBOL, . - GUARD_SYMBOL

        .section .note.GNU-stack, "", @progbits
#endif
