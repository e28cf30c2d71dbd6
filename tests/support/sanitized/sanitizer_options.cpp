// Defaults the sanitizer runtimes read at start-up, so the test program
// behaves the same run by ctest or by hand. Variables in the environment
// still override them.
extern "C" {

const char* __asan_default_options() { return "detect_leaks=1"; }

// GL drivers keep allocations until the process ends; lsan.supp names them.
const char* __lsan_default_options() { return "suppressions=" LSAN_SUPPRESSIONS_FILE; }

const char* __ubsan_default_options() { return "print_stacktrace=1"; }
}
