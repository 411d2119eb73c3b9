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

#define PROBE_CONCAT2(a, b) a##b
#define PROBE_CONCAT(a, b) PROBE_CONCAT2(a, b)
#define PROBE_SYMBOL(name) PROBE_CONCAT(__USER_LABEL_PREFIX__, name)

#define PROBE PROBE_SYMBOL(zelvane_test_register_probe)
#define CLOBBER PROBE_SYMBOL(zelvane_test_clobber_registers)
#define CLOBBER_AND_POP PROBE_SYMBOL(zelvane_test_clobber_registers_and_pop)
#define CLOBBER_CALLS PROBE_SYMBOL(zelvane_test_clobber_calls)
#define CLOBBER_ENTRY_SP PROBE_SYMBOL(zelvane_test_clobber_entry_sp)

/* Known values: the probe's, and the clobbering callbacks' (never equal). */
#define PROBE_VALUE(n) (0x9e0b5a0000000000 + (n))
#define CLOBBER_VALUE(n) (0xc10bbe0000000000 + (n))

        .bss
        .p2align 4
probe_expected:                         /* value of register n at the call */
        .space  16 * 8
probe_target:
        .space  8
probe_frame:                            /* rsp to return through */
        .space  8
probe_mask:
        .space  4

        .globl  CLOBBER_CALLS
        .p2align 3
CLOBBER_CALLS:
        .space  4
        .globl  CLOBBER_ENTRY_SP
        .p2align 3
CLOBBER_ENTRY_SP:
        .space  8
#ifdef __ELF__
        .type   CLOBBER_CALLS, @object
        .size   CLOBBER_CALLS, 4
        .type   CLOBBER_ENTRY_SP, @object
        .size   CLOBBER_ENTRY_SP, 8
#endif

        .macro  record reg, n
        movq    %\reg, probe_expected + 8 * \n(%rip)
        .endm

        .macro  check reg, n
        cmpq    %\reg, probe_expected + 8 * \n(%rip)
        je      1f
        orl     $(1 << \n), probe_mask(%rip)
1:
        .endm

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
        record  rax, 0
        record  rcx, 1
        record  rdx, 2
        record  rbx, 3
        record  rsp, 4
        record  rbp, 5
        record  rsi, 6
        record  rdi, 7
        record  r8, 8
        record  r9, 9
        record  r10, 10
        record  r11, 11
        record  r12, 12
        record  r13, 13
        record  r14, 14
        record  r15, 15

        call    *probe_target(%rip)

        check   rax, 0
        check   rcx, 1
        check   rdx, 2
        check   rbx, 3
        check   rsp, 4
        check   rbp, 5
        check   rsi, 6
        check   rdi, 7
        check   r8, 8
        check   r9, 9
        check   r10, 10
        check   r11, 11
        check   r12, 12
        check   r13, 13
        check   r14, 14
        check   r15, 15

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

        .macro  clobber_all
        movq    %rsp, CLOBBER_ENTRY_SP(%rip)
        incl    CLOBBER_CALLS(%rip)
        movabsq $CLOBBER_VALUE(0), %rax
        movabsq $CLOBBER_VALUE(1), %rcx
        movabsq $CLOBBER_VALUE(2), %rdx
        movabsq $CLOBBER_VALUE(3), %rbx
        movabsq $CLOBBER_VALUE(5), %rbp
        movabsq $CLOBBER_VALUE(6), %rsi
        movabsq $CLOBBER_VALUE(7), %rdi
        movabsq $CLOBBER_VALUE(8), %r8
        movabsq $CLOBBER_VALUE(9), %r9
        movabsq $CLOBBER_VALUE(10), %r10
        movabsq $CLOBBER_VALUE(11), %r11
        movabsq $CLOBBER_VALUE(12), %r12
        movabsq $CLOBBER_VALUE(13), %r13
        movabsq $CLOBBER_VALUE(14), %r14
        movabsq $CLOBBER_VALUE(15), %r15
        .endm

        .globl  CLOBBER
#ifdef __ELF__
        .type   CLOBBER, @function
#endif
        .p2align 4
CLOBBER:
        clobber_all
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
        clobber_all
        ret     $16
#ifdef __ELF__
        .size   CLOBBER_AND_POP, . - CLOBBER_AND_POP

        .section .note.GNU-stack, "", @progbits
#endif
