/* access.c: who may write a record (the MC/DC example of kovxmlmerge). */
#include <stddef.h>

struct user {
  int uid;
  int gid;
  int owner;
};

/*
 * A user may write a record when
 *   - the user owns it and it is not locked, or
 *   - the user or the user's group is root.
 *
 * Under "Reduced to MC/DC coverage" each condition of the two decisions
 * needs a pair of test runs that differ in that condition alone and
 * change the outcome; conditions are numbered from the left.
 * Its reports are the test runs "access_test owner" and "access_test locked".
 */
int may_write(const struct user *u, int locked)
{
  if (u->owner && !locked) {
    return 1;
  }
  if (u->uid == 0 || u->gid == 0) {
    return 1;
  }
  return 0;
}

