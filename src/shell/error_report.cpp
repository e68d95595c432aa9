#include "shell/error_report.h"

#include "shell/game_window.h"
#include "shell/toolkit.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <memory>

namespace tb {
namespace {

struct GFree {
    void operator()(gchar* text) const { g_free(text); }
};

void finishPendingWork() {
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
    gdk_display_sync(gdk_display_get_default());
}

// The icon and the text side by side above the one button, as a message box lays them out.
GtkWidget* messageRow(const gchar* text) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(row), 12);
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-information", GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 50);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
    gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    return row;
}

void showDialog(const std::string& text) {
    // A path may hold bytes that are no UTF-8; GTK takes only UTF-8, and warns at every redraw.
    const std::unique_ptr<gchar, GFree> shown(g_utf8_make_valid(text.c_str(), -1));
    GtkWidget* dialog = gtk_dialog_new_with_buttons("ERROR", nullptr, GTK_DIALOG_MODAL, "_OK",
                                                    GTK_RESPONSE_OK, nullptr);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    // Above a full-screen game window, which is no GTK window and so cannot be its parent.
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    GtkWidget* row = messageRow(shown.get());
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row);
    gtk_widget_show_all(row);
    stepAsideForDialog();
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    finishPendingWork();
    raiseGameWindow();
}

void showMessageBox(std::string_view message, std::string_view subject) {
    const std::string text = formatErrorText(message, subject);
    std::fprintf(stderr, "ERROR: %s\n", text.c_str());
    if (startGtk()) {
        showDialog(text);
    }
}

ErrorSink& sink() {
    static ErrorSink current = showMessageBox;
    return current;
}

} // namespace

std::string formatErrorText(std::string_view message, std::string_view subject) {
    std::string text(message);
    text += ' ';
    text += subject;
    text += " The application will continue.";
    return text;
}

void reportError(std::string_view subject, std::string_view message) {
    sink()(message, subject);
}

void setErrorSink(ErrorSink newSink) {
    sink() = newSink ? std::move(newSink) : showMessageBox;
}

} // namespace tb
