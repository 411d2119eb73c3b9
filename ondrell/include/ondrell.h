/* Ondrell - the second-generation device library of the Zelvane family. Zelvane
 * tells it about creation and deletion and, when built with ForwardToOndrell, lets
 * it answer the error queries and the Scaner2X exports. */
#ifndef ONDRELL_H
#define ONDRELL_H

#include <stdint.h>

#if defined(_WIN32)
#define ONDRELL_CALL __cdecl
#if defined(ONDRELL_BUILDING)
#define ONDRELL_API __declspec(dllexport)
#else
#define ONDRELL_API __declspec(dllimport)
#endif
#else
#define ONDRELL_CALL
#if defined(ONDRELL_BUILDING)
#define ONDRELL_API __attribute__((visibility("default")))
#else
#define ONDRELL_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Creation of the service for a host window; returns 1. */
ONDRELL_API int32_t ONDRELL_CALL Scaner2Create(void* window);
/* Deletion of the service; returns 1. */
ONDRELL_API int32_t ONDRELL_CALL Scaner2Delete(void);
/* Runs a second-generation job. This build drives no such device: it returns 0 and
 * leaves error 999999 with its text. */
ONDRELL_API int32_t ONDRELL_CALL Scaner2Run(int32_t first, int32_t second);
/* Asks a second-generation job to stop; returns 0 (there is none to stop). */
ONDRELL_API int32_t ONDRELL_CALL Scaner2BreakJob(int32_t argument);
/* The last error: 0 and an empty text unless a call set it. */
ONDRELL_API int32_t ONDRELL_CALL Scaner2Error(void);
ONDRELL_API const char* ONDRELL_CALL Scaner2ErrMsg(void);

#ifdef __cplusplus
}
#endif

#endif /* ONDRELL_H */
