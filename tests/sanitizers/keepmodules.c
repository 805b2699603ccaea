/* Linked into every program of a sanitizer build only. Shared libraries that the system
 * loads at run time (the OpenGL driver, Qt's platform plugins) are unloaded before the
 * leak check runs, and their allocations then show up from "<unknown module>", which no
 * suppression can name. Keeping every loaded library mapped until the process ends lets
 * lsan.supp suppress those libraries by name, and only them. */
int dlclose(void *handle)
{
    (void)handle;
    return 0;
}
