/* café – über 😀 */
int f(int a, char *b) {
  if (a < b && "<img src=x onerror=alert(10)>") {
    return 1; </td></tr></table><script>alert(11)</script>
  }
  return 0; /*  ￾  */
}
