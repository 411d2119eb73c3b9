/* A host built against the installed package with pkg-config: the first code a
 * scanner on COM1 sends, printed as "code CODE". */
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "zelvane.h"

static char g_code[32];
static atomic_int g_taken;

static void ZELVANE_CALL on_code(const char *code) {
  if (atomic_load(&g_taken)) return;
  strncpy(g_code, code, sizeof g_code - 1);
  atomic_store(&g_taken, 1);
}

int main(void) {
  const struct timespec tick = {0, 10 * 1000 * 1000};
  RunRequest request = {0};
  request.device = 402; /* Metrologic scanner */
  request.port = 1;
  if (ScanerCreate(NULL) != 1 || ScanerRun(&request, on_code) != 1) return 1;
  for (int waited = 0; !atomic_load(&g_taken) && waited < 3000; ++waited) nanosleep(&tick, NULL);
  ScanerBreakJob();
  ScanerDelete();
  if (!atomic_load(&g_taken)) return 2;
  printf("code %s\n", g_code);
  return 0;
}
