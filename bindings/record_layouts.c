/* Prints the record layouts of zelvane.h as this compiler lays them out, one
 * "Record.field offset" line each (and "Record.size"), for the bindings' tests to
 * compare their own declarations with. */
#include <stddef.h>
#include <stdio.h>

#include "zelvane.h"

#define FIELD(type, field) printf("%s.%s %u\n", #type, #field, (unsigned)offsetof(type, field))
#define SIZE(type) printf("%s.size %u\n", #type, (unsigned)sizeof(type))

int main(void) {
  FIELD(RunRequest, device);
  FIELD(RunRequest, port);
  FIELD(RunRequest, baud);
  FIELD(RunRequest, unused);
  FIELD(RunRequest, status_callback);
  SIZE(RunRequest);
  FIELD(HostLineRecord, code);
  FIELD(HostLineRecord, name);
  FIELD(HostLineRecord, quantity);
  FIELD(HostLineRecord, price);
  SIZE(HostLineRecord);
  FIELD(StatusNotice, code);
  FIELD(StatusNotice, text);
  FIELD(StatusNotice, first);
  FIELD(StatusNotice, second);
  SIZE(StatusNotice);
  return 0;
}
