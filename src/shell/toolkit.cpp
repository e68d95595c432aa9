#include "shell/toolkit.h"

#include <gtk/gtk.h>

namespace tb {

bool startGtk() {
    static const bool started = [] {
        // GTK would otherwise switch the whole process to the user's locale, and the game's
        // file readers expect '.' as the decimal point.
        gtk_disable_setlocale();
        g_set_prgname("trundlebay");
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return started;
}

} // namespace tb
