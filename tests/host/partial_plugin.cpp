/* A module that names a command but lacks SetLanguage and ExecuteMainCommand:
 * the end-to-end tests check that zamo reports it and passes it over. Exports
 * GetMainCommandName only. */
extern "C" __attribute__((visibility("default"))) const char16_t* GetMainCommandName() {
    return u"Partial command";
}
