// Leak-checker suppressions for this test program (read only by sanitizer builds). The package
// library keeps a copy of a path that it never frees when a database is opened for writing, as
// an administrative image is made and as a patched image records its patch (20 bytes each).
// Its frames carry no symbols, so the suppression names the library.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libmsi.so\n"; }
