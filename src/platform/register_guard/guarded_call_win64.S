/*
 * void zelvane_guarded_call(void (*function)(), uintptr_t a0, uintptr_t a1,
 *                           uintptr_t a2, uintptr_t a3);
 *
 * Windows x64: the function arrives in rcx, a0..a2 in rdx, r8, r9 and a3 on the stack
 * (40 bytes above the return address). Calls function(a0, a1, a2, a3) with the same
 * convention (rcx, rdx, r8, r9, and the 32-byte home area every callee may write) and
 * hands back every general register and xmm6-xmm15 as they were at entry, whatever
 * the callee did to them. The convention makes rbx, rbp, rdi, rsi, r12-r15 and
 * xmm6-xmm15 the callee's to keep; the others are saved too, as the System V and
 * i386 thunks do, for callers that trust more than the convention promises.
 *
 * As in the System V thunk, nothing the callee leaves in a register is trusted after
 * the call: the call is made with rsp on a 64-byte boundary B and the address of the
 * save area is kept at B + 56, above the home area (B .. B + 31). After the return,
 * rounding rsp down to 64 bytes finds B again, whatever `ret $n` (n up to 56) popped.
 *
 * Protected: every general register, rsp, xmm6-xmm15, and the direction flag, cleared
 * again after the return. Not protected: a callee that writes to the stack above its
 * home area, returns some other way, or leaves the x87 or MXCSR state changed.
 *
 * Unwinding (exceptions, debuggers) goes through rbp, which holds the save area while
 * the callee runs, as long as the callee itself unwinds properly.
 */

#ifndef _WIN64
#error "this thunk is for Windows x64"
#endif

#define GUARD_CONCAT2(a, b) a##b
#define GUARD_CONCAT(a, b) GUARD_CONCAT2(a, b)
#define GUARD_SYMBOL GUARD_CONCAT(__USER_LABEL_PREFIX__, zelvane_guarded_call)

/* 64-byte block of the call, with the save area pointer in its top quadword. */
#define GUARD_BLOCK 64
#define GUARD_SLOT 56
/* Ten xmm registers, then fifteen pushed general registers, then the return address:
 * the fifth argument is 40 bytes above that. */
#define GUARD_XMM_AREA 160
#define GUARD_FIFTH_ARGUMENT (GUARD_XMM_AREA + 15 * 8 + 8 + 32)

        .text
        .globl  GUARD_SYMBOL
        .def    GUARD_SYMBOL; .scl 2; .type 32; .endef
        .p2align 4
        .seh_proc GUARD_SYMBOL
GUARD_SYMBOL:
        pushq   %rbp
        .seh_pushreg %rbp
        pushq   %rbx
        .seh_pushreg %rbx
        pushq   %rdi
        .seh_pushreg %rdi
        pushq   %rsi
        .seh_pushreg %rsi
        pushq   %r12
        .seh_pushreg %r12
        pushq   %r13
        .seh_pushreg %r13
        pushq   %r14
        .seh_pushreg %r14
        pushq   %r15
        .seh_pushreg %r15
        pushq   %rax
        .seh_pushreg %rax
        pushq   %rcx
        .seh_pushreg %rcx
        pushq   %rdx
        .seh_pushreg %rdx
        pushq   %r8
        .seh_pushreg %r8
        pushq   %r9
        .seh_pushreg %r9
        pushq   %r10
        .seh_pushreg %r10
        pushq   %r11
        .seh_pushreg %r11
        /* The save area need not be aligned: a careless caller may have skewed the
         * stack, which the call below repairs. */
        subq    $GUARD_XMM_AREA, %rsp
        .seh_stackalloc GUARD_XMM_AREA
        movdqu  %xmm6, 0(%rsp)
        .seh_savexmm %xmm6, 0
        movdqu  %xmm7, 16(%rsp)
        .seh_savexmm %xmm7, 16
        movdqu  %xmm8, 32(%rsp)
        .seh_savexmm %xmm8, 32
        movdqu  %xmm9, 48(%rsp)
        .seh_savexmm %xmm9, 48
        movdqu  %xmm10, 64(%rsp)
        .seh_savexmm %xmm10, 64
        movdqu  %xmm11, 80(%rsp)
        .seh_savexmm %xmm11, 80
        movdqu  %xmm12, 96(%rsp)
        .seh_savexmm %xmm12, 96
        movdqu  %xmm13, 112(%rsp)
        .seh_savexmm %xmm13, 112
        movdqu  %xmm14, 128(%rsp)
        .seh_savexmm %xmm14, 128
        movdqu  %xmm15, 144(%rsp)
        .seh_savexmm %xmm15, 144
        movq    %rsp, %rbp              /* rbp = save area */
        .seh_setframe %rbp, 0
        .seh_endprologue

        subq    $GUARD_BLOCK, %rsp
        andq    $-GUARD_BLOCK, %rsp     /* rsp = B, below the save area, 16-aligned */
        movq    %rbp, GUARD_SLOT(%rsp)

        movq    %rcx, %r11
        movq    %rdx, %rcx
        movq    %r8, %rdx
        movq    %r9, %r8
        movq    GUARD_FIFTH_ARGUMENT(%rbp), %r9
        cld
        call    *%r11

        cld
        andq    $-GUARD_BLOCK, %rsp
        movq    GUARD_SLOT(%rsp), %rsp
        movdqu  0(%rsp), %xmm6
        movdqu  16(%rsp), %xmm7
        movdqu  32(%rsp), %xmm8
        movdqu  48(%rsp), %xmm9
        movdqu  64(%rsp), %xmm10
        movdqu  80(%rsp), %xmm11
        movdqu  96(%rsp), %xmm12
        movdqu  112(%rsp), %xmm13
        movdqu  128(%rsp), %xmm14
        movdqu  144(%rsp), %xmm15
        addq    $GUARD_XMM_AREA, %rsp
        popq    %r11
        popq    %r10
        popq    %r9
        popq    %r8
        popq    %rdx
        popq    %rcx
        popq    %rax
        popq    %r15
        popq    %r14
        popq    %r13
        popq    %r12
        popq    %rsi
        popq    %rdi
        popq    %rbx
        popq    %rbp
        ret
        .seh_endproc
