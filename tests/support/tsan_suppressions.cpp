// Compiled into every program that uses the test servers. The HTTP server library is a
// prebuilt shared library whose own synchronisation ThreadSanitizer cannot see, so races it
// reports between the server's worker threads are not ours to find.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() { return "race:libcpp-httplib.so\n"; }
#endif
