// Sanitizer builds only: the GTK stack keeps its caches (fonts, types, settings,
// the session bus) until the process ends and never frees them; those are not
// this program's leaks, and LeakSanitizer is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libdbus-1.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libpango\n"
           "leak:libharfbuzz.so\n"
           "leak:libatk\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
