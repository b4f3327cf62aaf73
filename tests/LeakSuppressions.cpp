// Font and display libraries keep caches for the life of the process; the leak checker of
// the sanitizer build would report them as leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\n";
}
