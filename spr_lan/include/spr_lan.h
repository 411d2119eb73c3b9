/*
 * spr_lan - the price-checker service: listens for LAN price-checker terminals,
 * hands every scanned code to the price-request callback, one at a time in order,
 * and shows the answer on the terminal that scanned it.
 *
 * The listening address comes from the environment variable ZELVANE_PRICECHECK_LISTEN
 * ("host:port", default "0.0.0.0:9101") at every start.
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

/* Stops listening and closes every terminal's connection. A price request in
 * progress is let finish first. */
SPR_LAN_API void SPR_LAN_CALL ZatrzymanieObslugiSprawdzarek(void);

#ifdef __cplusplus
}
#endif

#endif /* SPR_LAN_H */
