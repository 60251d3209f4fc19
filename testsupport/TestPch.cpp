// The one source of qv_test_pch, the target that compiles the test programs'
// precompiled header (GoogleTest and the standard headers most tests use);
// every test program reuses that header. See cmake/QvCompileCost.cmake.
