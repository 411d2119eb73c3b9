/*
 * spr_lan - the price-checker service: listens for LAN price-checker terminals,
 * hands every scanned code to the price-request callback, one at a time in order,
 * and shows the answer on the terminal that scanned it.
 *
 * Three environment variables are read at every start:
 *   ZELVANE_PRICECHECK_LISTEN      where to listen, "host:port" (default 0.0.0.0:9101);
 *   ZELVANE_PRICECHECK_ALLOW       the terminals' addresses, a comma list of IPv4
 *                                  addresses and CIDR ranges ("192.168.1.0/24,10.0.0.7";
 *                                  unset: every address); a connection from elsewhere
 *                                  is closed at once, before anything is read;
 *   ZELVANE_PRICECHECK_PER_ADDRESS connections one address may hold (1 to 100, default
 *                                  4); a new one beyond them replaces that address's
 *                                  oldest.
 * What the service refuses (a start and its reason; each address off the allow list,
 * once per start) is written to SPRLAN_<MMDD_HHMMSS>_<process>.txt in the temporary
 * folder.
 *
 * Scans are put to the price-request callback one at a time, the connections taking
 * turns; each connection keeps only its newest waiting scan, and a scan waits 1.5 s at
 * most for its turn. A scan that is not put to the callback (replaced, too late, or
 * waiting at the stop) is answered with a cleared display, never left unanswered.
 */
#ifndef SPR_LAN_H
#define SPR_LAN_H

#include <stdint.h>

#if defined(_WIN32)
/* The start function removes its own arguments (stdcall on 32-bit Windows); every
 * other function and callback uses the C convention. */
#define SPR_LAN_START_CALL __stdcall
#define SPR_LAN_CALL __cdecl
#if defined(SPR_LAN_BUILDING)
#define SPR_LAN_API __declspec(dllexport)
#else
#define SPR_LAN_API __declspec(dllimport)
#endif
#else
#define SPR_LAN_START_CALL
#define SPR_LAN_CALL
#if defined(SPR_LAN_BUILDING)
#define SPR_LAN_API __attribute__((visibility("default")))
#else
#define SPR_LAN_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses that the start function leaves. */
enum {
  SPR_LAN_LISTENING = 0,      /* listening; the start returned 1 */
  SPR_LAN_BAD_ADDRESS = 1,    /* ZELVANE_PRICECHECK_LISTEN is not host:port */
  SPR_LAN_CANNOT_LISTEN = 2,  /* the address cannot be bound (in use, not ours) */
  SPR_LAN_NO_RESOURCES = 3,   /* no socket layer, thread or callback */
  SPR_LAN_BAD_ADMISSION = 4,  /* ZELVANE_PRICECHECK_ALLOW or _PER_ADDRESS cannot be read */
  SPR_LAN_ALREADY_RUNNING = 6 /* started before and not stopped; still listening */
};

/* Size of the message buffer of the start function: it receives a NUL-terminated
 * description of the outcome. */
#define SPR_LAN_MESSAGE_SIZE 256
/* Bytes written to each display buffer of the price request: up to 40 and a NUL. */
#define SPR_LAN_DISPLAY_SIZE 41

/* One price request: the scanned code (NUL-terminated); the callee fills the display
 * text (SPR_LAN_DISPLAY_SIZE bytes, code page 852, a line feed ends a short first
 * line), the answer kind (0 none, 1 article, 2 unknown code), a second value and a
 * copy of the display text. Returns 0. */
typedef int32_t(SPR_LAN_CALL* SprLanPriceRequest)(int32_t unused, const char* code, char* display,
                                                  int32_t* kind, int32_t* second,
                                                  char* displayCopy);
/* The second and third callbacks: no arguments, result 0. */
typedef int32_t(SPR_LAN_CALL* SprLanNotify)(void);

typedef uint8_t(SPR_LAN_START_CALL* SprLanStart)(int32_t* status, char* message,
                                                 SprLanPriceRequest priceRequest,
                                                 SprLanNotify second, SprLanNotify third);
typedef void(SPR_LAN_CALL* SprLanStop)(void);

/* Starts listening: 1 with status 0 when the terminals can connect; otherwise 0 with
 * the status above (6: it already listens). Returns once the address is bound. */
SPR_LAN_API uint8_t SPR_LAN_START_CALL
UruchomionoObslugeSprawdzarek(int32_t* status, char* message, SprLanPriceRequest priceRequest,
                              SprLanNotify second, SprLanNotify third);

/* Stops listening and closes every terminal's connection, after answering each
 * waiting scan with a cleared display. A price request in progress is let finish
 * first. */
SPR_LAN_API void SPR_LAN_CALL ZatrzymanieObslugiSprawdzarek(void);

#ifdef __cplusplus
}
#endif

#endif /* SPR_LAN_H */
