// Linked into the suites that start Qt: fontconfig, which Qt loads for the fonts, keeps a few
// allocations until the process ends; the leak checker of the sanitizer build is told to pass them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
