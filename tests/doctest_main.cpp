// One doctest entry point for every test program (console programs; their arguments are ASCII).
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>
