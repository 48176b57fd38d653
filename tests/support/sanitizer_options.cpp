// Sanitizer settings every test program carries itself. CTest's environment of a discovered
// GoogleTest case keeps only one variable (the discovery passes its properties on as a flat
// list), so options given there never reached the tests; an environment variable that is set
// still overrides these.

extern "C" {

const char* __lsan_default_options() {
    return "suppressions=" QUILLO_SOURCE_DIR "/tests/lsan.supp";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
