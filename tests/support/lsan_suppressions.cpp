// Leaks the sanitizer must not count in the widget tests (linked into every tests/*_qt binary):
// only allocations fontconfig keeps for the life of the process (its font cache), never a frame
// of ours. Read by the leak checker at start; kept in the test binary because the discovered
// tests can carry only one environment variable.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
