/* calc: the small program of the kovxmlmerge examples. */
#include <stdio.h>
#include <stdlib.h>
#include "include/util.h"

int parse_number(const char *s);
int dispatch(int op, int v);

/* Prints the operations on the number given, or on 3. */
int main(int argc, char **argv)
{
  int total = 0;
  if (argc > 1) {
    total = parse_number(argv[1]);
  } else {
    total = clamp(3, 0, 100);
  }
  for (int i = 0; i < total; i++) {
    printf("%d\n", dispatch(i % 2, i));
  }
  return total;
}

enum { OP_INC, OP_DBL };

/*
 * The operations of ops.def, one case each,
 * and the value itself for any other op.
 */
int dispatch(int op, int v)
{
  switch (op) {
#include "ops.def"
#line 35 "src/main.c"
    /* the cases of ops.def end here */
  default: return v;
  }
}
