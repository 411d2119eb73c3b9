/* The smallest host: create the service, refuse an unknown device, delete it. */
#include <stdio.h>

#include "zelvane.h"

static void ZELVANE_CALL on_code(const char *code) { printf("code %s\n", code); }

int main(void) {
  RunRequest request = {0};
  request.device = 406;
  request.port = 1;
  if (ScanerCreate(NULL) != 1) return 1;
  if (ScanerRun(&request, on_code) != 0) return 2;
  if (ScanerDelete() != 1) return 3;
  puts("consumer ok");
  return 0;
}
