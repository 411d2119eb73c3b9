/*
 * Test helpers for the register guard, Windows x64.
 *
 * unsigned zelvane_test_register_probe(const ZelvaneProbeCall* call);
 *   struct ZelvaneProbeCall { void (*target)(); uintptr_t args[5]; uintptr_t stack_skew; }
 *   Calls target(args[0..4]) the Windows x64 way (rcx, rdx, r8, r9, the fifth on the
 *   stack above a 32-byte home area) with the stack 16-byte aligned minus stack_skew
 *   and every other general register and xmm6-xmm15 holding a known value. Returns a
 *   mask with bit n set for each general register n (hardware numbering: rax 0, rcx 1,
 *   rdx 2, rbx 3, rsp 4, rbp 5, rsi 6, rdi 7, r8-r15 8-15) and bit 16 + k for each
 *   xmm(6 + k) whose value after the call differs from its value at the call. The
 *   target may destroy every register, rsp included: the probe keeps what it needs in
 *   static memory, so it is not reentrant (tests only).
 *
 * void zelvane_test_clobber_registers(void);
 * void zelvane_test_clobber_registers_and_pop(void);
 *   Callbacks that record their entry rsp and count their calls, then overwrite every
 *   general register but rsp, and xmm6-xmm15, with values the probe never uses. The
 *   second one then returns with `ret $16`, leaving its caller's rsp 16 bytes too high.
 *
 * No unwind information: nothing unwinds through these.
 */

#include "register_probe_x86_64_common.inc"

/* The probe's frame: the caller's xmm6-xmm15, then what the call area needs. */
#define SAVED_XMM 160
/* Home area, fifth argument, padding to 16. */
#define CALL_AREA 48

        .data
        .p2align 4
probe_xmm_values:                       /* xmm6-xmm15 at the call */
        .quad   0x9e0b5a0000000106, 0x9e0b5a0001000106
        .quad   0x9e0b5a0000000107, 0x9e0b5a0001000107
        .quad   0x9e0b5a0000000108, 0x9e0b5a0001000108
        .quad   0x9e0b5a0000000109, 0x9e0b5a0001000109
        .quad   0x9e0b5a000000010a, 0x9e0b5a000100010a
        .quad   0x9e0b5a000000010b, 0x9e0b5a000100010b
        .quad   0x9e0b5a000000010c, 0x9e0b5a000100010c
        .quad   0x9e0b5a000000010d, 0x9e0b5a000100010d
        .quad   0x9e0b5a000000010e, 0x9e0b5a000100010e
        .quad   0x9e0b5a000000010f, 0x9e0b5a000100010f

        /* xmm0 is free to use: the convention leaves it to the callee. */
        .macro  check_xmm k, reg
        movdqa  probe_xmm_values + 16 * \k(%rip), %xmm0
        pcmpeqd %xmm\reg, %xmm0
        pmovmskb %xmm0, %eax
        cmpl    $0xffff, %eax
        je      1f
        orl     $(1 << (16 + \k)), probe_mask(%rip)
1:
        .endm

        .macro  load_xmm k, reg
        movdqa  probe_xmm_values + 16 * \k(%rip), %xmm\reg
        .endm

        .text
        .globl  PROBE
        .def    PROBE; .scl 2; .type 32; .endef
        .p2align 4
PROBE:
        pushq   %rbp
        pushq   %rbx
        pushq   %rdi
        pushq   %rsi
        pushq   %r12
        pushq   %r13
        pushq   %r14
        pushq   %r15
        /* Entry rsp was 8 past a 16-byte boundary; 8 pushes keep that, 168 aligns. */
        subq    $(SAVED_XMM + 8), %rsp
        movaps  %xmm6, 0(%rsp)
        movaps  %xmm7, 16(%rsp)
        movaps  %xmm8, 32(%rsp)
        movaps  %xmm9, 48(%rsp)
        movaps  %xmm10, 64(%rsp)
        movaps  %xmm11, 80(%rsp)
        movaps  %xmm12, 96(%rsp)
        movaps  %xmm13, 112(%rsp)
        movaps  %xmm14, 128(%rsp)
        movaps  %xmm15, 144(%rsp)
        movq    %rsp, probe_frame(%rip)
        movl    $0, probe_mask(%rip)
        movq    (%rcx), %rax
        movq    %rax, probe_target(%rip)
        subq    $CALL_AREA, %rsp
        subq    48(%rcx), %rsp
        movq    40(%rcx), %rax
        movq    %rax, 32(%rsp)          /* fifth argument */

        load_xmm 0, 6
        load_xmm 1, 7
        load_xmm 2, 8
        load_xmm 3, 9
        load_xmm 4, 10
        load_xmm 5, 11
        load_xmm 6, 12
        load_xmm 7, 13
        load_xmm 8, 14
        load_xmm 9, 15
        movq    16(%rcx), %rdx
        movq    24(%rcx), %r8
        movq    32(%rcx), %r9
        movq    8(%rcx), %rcx
        movabsq $PROBE_VALUE(0), %rax
        movabsq $PROBE_VALUE(3), %rbx
        movabsq $PROBE_VALUE(5), %rbp
        movabsq $PROBE_VALUE(6), %rsi
        movabsq $PROBE_VALUE(7), %rdi
        movabsq $PROBE_VALUE(10), %r10
        movabsq $PROBE_VALUE(11), %r11
        movabsq $PROBE_VALUE(12), %r12
        movabsq $PROBE_VALUE(13), %r13
        movabsq $PROBE_VALUE(14), %r14
        movabsq $PROBE_VALUE(15), %r15
        record_all

        call    *probe_target(%rip)

        check_all
        check_xmm 0, 6
        check_xmm 1, 7
        check_xmm 2, 8
        check_xmm 3, 9
        check_xmm 4, 10
        check_xmm 5, 11
        check_xmm 6, 12
        check_xmm 7, 13
        check_xmm 8, 14
        check_xmm 9, 15

        movq    probe_frame(%rip), %rsp
        movaps  0(%rsp), %xmm6
        movaps  16(%rsp), %xmm7
        movaps  32(%rsp), %xmm8
        movaps  48(%rsp), %xmm9
        movaps  64(%rsp), %xmm10
        movaps  80(%rsp), %xmm11
        movaps  96(%rsp), %xmm12
        movaps  112(%rsp), %xmm13
        movaps  128(%rsp), %xmm14
        movaps  144(%rsp), %xmm15
        addq    $(SAVED_XMM + 8), %rsp
        popq    %r15
        popq    %r14
        popq    %r13
        popq    %r12
        popq    %rsi
        popq    %rdi
        popq    %rbx
        popq    %rbp
        movl    probe_mask(%rip), %eax
        ret

        .macro  clobber_xmm k, reg
        movabsq $CLOBBER_VALUE(16 + \k), %rax
        movq    %rax, %xmm\reg
        .endm

        .macro  clobber_all
        clobber_xmm 0, 6
        clobber_xmm 1, 7
        clobber_xmm 2, 8
        clobber_xmm 3, 9
        clobber_xmm 4, 10
        clobber_xmm 5, 11
        clobber_xmm 6, 12
        clobber_xmm 7, 13
        clobber_xmm 8, 14
        clobber_xmm 9, 15
        clobber_general
        .endm

        .globl  CLOBBER
        .def    CLOBBER; .scl 2; .type 32; .endef
        .p2align 4
CLOBBER:
        clobber_all
        ret

        .globl  CLOBBER_AND_POP
        .def    CLOBBER_AND_POP; .scl 2; .type 32; .endef
        .p2align 4
CLOBBER_AND_POP:
        clobber_all
        ret     $16
