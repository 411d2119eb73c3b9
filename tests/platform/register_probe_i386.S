/*
 * Test helpers for the register guard, i386 cdecl.
 *
 * unsigned zelvane_test_register_probe(const ZelvaneProbeCall* call);
 *   struct ZelvaneProbeCall { void (*target)(); uintptr_t args[5]; uintptr_t stack_skew; }
 *   Calls target(args[0..4]) with the stack 16-byte aligned minus stack_skew and every
 *   general register holding a known value, and returns a mask with bit n set for each
 *   register n (hardware numbering: eax 0, ecx 1, edx 2, ebx 3, esp 4, ebp 5, esi 6,
 *   edi 7) whose value after the call differs from its value at the call. The target
 *   may destroy every register, esp included: the probe keeps what it needs in static
 *   memory, so it is not reentrant (tests only), and addresses it absolutely (on ELF
 *   that costs a PIE a text relocation, which a test program can afford).
 *
 * void zelvane_test_clobber_registers(void);
 * void zelvane_test_clobber_registers_and_pop(void);
 *   Callbacks that record their entry esp and count their calls, then overwrite every
 *   general register but esp with values the probe never uses. The second one then
 *   returns with `ret $16` as a stdcall callee of four arguments does, leaving its
 *   caller's esp 16 bytes too high.
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
#define PROBE_VALUE(n) (0x9e0b5a00 + (n))
#define CLOBBER_VALUE(n) (0xc10bbe00 + (n))

        .bss
        .p2align 4
probe_expected:                         /* value of register n at the call */
        .space  8 * 4
probe_target:
        .space  4
probe_frame:                            /* esp to return through */
        .space  4
probe_mask:
        .space  4

        .globl  CLOBBER_CALLS
        .p2align 2
CLOBBER_CALLS:
        .space  4
        .globl  CLOBBER_ENTRY_SP
        .p2align 2
CLOBBER_ENTRY_SP:
        .space  4
#ifdef __ELF__
        .type   CLOBBER_CALLS, @object
        .size   CLOBBER_CALLS, 4
        .type   CLOBBER_ENTRY_SP, @object
        .size   CLOBBER_ENTRY_SP, 4
#endif

        .macro  record reg, n
        movl    %\reg, probe_expected + 4 * \n
        .endm

        .macro  check reg, n
        cmpl    %\reg, probe_expected + 4 * \n
        je      1f
        orl     $(1 << \n), probe_mask
1:
        .endm

        .text
        .globl  PROBE
#ifdef __ELF__
        .type   PROBE, @function
#endif
        .p2align 4
PROBE:
        pushl   %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        movl    %esp, probe_frame
        movl    $0, probe_mask
        movl    20(%esp), %eax          /* the ZelvaneProbeCall */
        movl    (%eax), %ecx
        movl    %ecx, probe_target
        subl    $48, %esp
        andl    $-16, %esp
        subl    24(%eax), %esp
        movl    4(%eax), %ecx
        movl    %ecx, (%esp)
        movl    8(%eax), %ecx
        movl    %ecx, 4(%esp)
        movl    12(%eax), %ecx
        movl    %ecx, 8(%esp)
        movl    16(%eax), %ecx
        movl    %ecx, 12(%esp)
        movl    20(%eax), %ecx
        movl    %ecx, 16(%esp)

        movl    $PROBE_VALUE(0), %eax
        movl    $PROBE_VALUE(1), %ecx
        movl    $PROBE_VALUE(2), %edx
        movl    $PROBE_VALUE(3), %ebx
        movl    $PROBE_VALUE(5), %ebp
        movl    $PROBE_VALUE(6), %esi
        movl    $PROBE_VALUE(7), %edi
        record  eax, 0
        record  ecx, 1
        record  edx, 2
        record  ebx, 3
        record  esp, 4
        record  ebp, 5
        record  esi, 6
        record  edi, 7

        call    *probe_target

        check   eax, 0
        check   ecx, 1
        check   edx, 2
        check   ebx, 3
        check   esp, 4
        check   ebp, 5
        check   esi, 6
        check   edi, 7

        movl    probe_frame, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        movl    probe_mask, %eax
        ret
#ifdef __ELF__
        .size   PROBE, . - PROBE
#endif

        .macro  clobber_all
        movl    %esp, CLOBBER_ENTRY_SP
        incl    CLOBBER_CALLS
        movl    $CLOBBER_VALUE(0), %eax
        movl    $CLOBBER_VALUE(1), %ecx
        movl    $CLOBBER_VALUE(2), %edx
        movl    $CLOBBER_VALUE(3), %ebx
        movl    $CLOBBER_VALUE(5), %ebp
        movl    $CLOBBER_VALUE(6), %esi
        movl    $CLOBBER_VALUE(7), %edi
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
