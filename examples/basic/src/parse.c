/* parse.c: reads the number of the example program. */
#include "include/util.h"
#include "util.h"

int parse_number(const char *s)
{
  int value = 0;
  while (*s) {
    switch (*s) {
    case '-': return -1; break;
    default:
      value = value * 10 + (*s - '0');
      break;
    }
    s++;
  }
  return clamp(value, 0, 100);
}
