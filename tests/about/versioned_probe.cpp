// An executable that carries nothing but our resources, for the version information test.
int wmain() {
  return 0;
}
