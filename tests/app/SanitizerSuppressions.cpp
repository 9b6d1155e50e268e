// Leaks the sanitizer build must not count against the window tests:
// fontconfig keeps its font caches until the process ends, and GIO its
// content-type tables. The sanitizer runtime looks this hook up by name, so
// it must be visible.

extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libgio-2.0.so\n";
}
