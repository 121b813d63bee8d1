/* café in ISO-8859-1 */
int f(void) {
  if (x < 0) { /* <script>alert(12)</script> */
  }
  return <b>bold</b>;
}
