/* A tiny library for the loader tests: two exports with known results. */
int talvore_test_add(int a, int b) {
    return a + b;
}

const char* talvore_test_name(void) {
    return "test library";
}
