/*
 * Test helpers for the register guard, x86-64 System V.
 *
 * unsigned zelvane_test_register_probe(const ZelvaneProbeCall* call);
 *   struct ZelvaneProbeCall { void (*target)(); uintptr_t args[5]; uintptr_t stack_skew; }
 *   Calls target(args[0..4]) with the stack 16-byte aligned minus stack_skew and every
 *   other general register holding a known value, and returns a mask with bit n set
 *   for each register n (hardware numbering: rax 0, rcx 1, rdx 2, rbx 3, rsp 4, rbp 5,
 *   rsi 6, rdi 7, r8-r15 8-15) whose value after the call differs from its value at
 *   the call. The target may destroy every register, rsp included: the probe keeps
 *   what it needs in static memory, so it is not reentrant (tests only).
 *
 * void zelvane_test_clobber_registers(void);
 * void zelvane_test_clobber_registers_and_pop(void);
 *   Callbacks that record their entry rsp and count their calls, then overwrite every
 *   general register but rsp with values the probe never uses. The second one then
 *   returns with `ret $16`, leaving its caller's rsp 16 bytes too high.
 *
 * No CFI: nothing unwinds through these.
 */

#include "register_probe_x86_64_common.inc"

        .text
        .globl  PROBE
#ifdef __ELF__
        .type   PROBE, @function
#endif
        .p2align 4
PROBE:
        pushq   %rbp
        pushq   %rbx
        pushq   %r12
        pushq   %r13
        pushq   %r14
        pushq   %r15
        subq    $8, %rsp                /* rsp 16-aligned */
        movq    %rsp, probe_frame(%rip)
        movl    $0, probe_mask(%rip)
        movq    (%rdi), %rax
        movq    %rax, probe_target(%rip)
        subq    48(%rdi), %rsp

        movq    16(%rdi), %rsi
        movq    24(%rdi), %rdx
        movq    32(%rdi), %rcx
        movq    40(%rdi), %r8
        movq    8(%rdi), %rdi
        movabsq $PROBE_VALUE(0), %rax
        movabsq $PROBE_VALUE(3), %rbx
        movabsq $PROBE_VALUE(5), %rbp
        movabsq $PROBE_VALUE(9), %r9
        movabsq $PROBE_VALUE(10), %r10
        movabsq $PROBE_VALUE(11), %r11
        movabsq $PROBE_VALUE(12), %r12
        movabsq $PROBE_VALUE(13), %r13
        movabsq $PROBE_VALUE(14), %r14
        movabsq $PROBE_VALUE(15), %r15
        record_all

        call    *probe_target(%rip)

        check_all

        movq    probe_frame(%rip), %rsp
        addq    $8, %rsp
        popq    %r15
        popq    %r14
        popq    %r13
        popq    %r12
        popq    %rbx
        popq    %rbp
        movl    probe_mask(%rip), %eax
        ret
#ifdef __ELF__
        .size   PROBE, . - PROBE
#endif

        .globl  CLOBBER
#ifdef __ELF__
        .type   CLOBBER, @function
#endif
        .p2align 4
CLOBBER:
        clobber_general
        ret
#ifdef __ELF__
        .size   CLOBBER, . - CLOBBER
#endif

        .globl  CLOBBER_AND_POP
#ifdef __ELF__
        .type   CLOBBER_AND_POP, @function
#endif
        .p2align 4
CLOBBER_AND_POP:
        clobber_general
        ret     $16
#ifdef __ELF__
        .size   CLOBBER_AND_POP, . - CLOBBER_AND_POP

        .section .note.GNU-stack, "", @progbits
#endif
