// Sanitizer builds only: the GTK stack keeps caches until the process ends and
// never frees them: fontconfig's patterns and configuration (read with expat),
// pango's fonts and their metrics, and the accessibility bridge. These are not
// this program's leaks, and LeakSanitizer is told so by the functions that make
// them, so that a leak of this program's own (a forgotten g_free) is still found.
// Functions inside the libraries carry no names of their own here (Debian ships
// their symbols apart), so some are named by the public call that reaches them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:FcConfigSubstituteWithPat\n"
           "leak:FcDefaultSubstitute\n"
           "leak:FcFontRenderPrepare\n"
           "leak:FcPatternBuild\n"
           "leak:FcLangSetCopy\n"
           "leak:XML_ParseBuffer\n"
           "leak:pango_layout_get_size\n"
           "leak:pango_layout_get_pixel_size\n"
           "leak:gtk_widget_get_preferred_width\n"
           "leak:gtk_widget_get_preferred_height_and_baseline_for_width\n"
           "leak:atk_bridge_adaptor_init\n";
}

extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

// The libraries keep no frame pointers: only the slow unwinder reaches the named
// frames above from an allocation inside them.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
