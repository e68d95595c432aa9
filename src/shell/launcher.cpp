#include "shell/launcher.h"

#include "assets/image_decode.h"
#include "shell/launcher_choices.h"
#include "shell/launcher_layout.h"
#include "shell/settings.h"
#include "shell/toolkit.h"
#include "shell/window_icon.h"
#include "track/track_builder.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tb {
namespace {

constexpr int LauncherWidth = 640;
constexpr int LauncherHeight = 480;

// The controls sit on the picture; a solid background keeps their captions readable on it.
constexpr const char* ControlStyle = R"(
.launcher-control { background-color: @theme_bg_color; min-height: 0; padding: 0 4px; }
.launcher-control button, button.launcher-control { min-height: 0; padding: 0 4px; }
)";

struct SurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceFree>;

struct Place {
    int x;
    int y;
    int width;
    int height;
};

struct Launcher {
    GtkWidget* window = nullptr;
    GtkWidget* resolution = nullptr;
    GtkWidget* windowed = nullptr;
    GtkWidget* lights = nullptr;
    GtkWidget* music = nullptr;
    GtkWidget* joystick = nullptr;
    GtkWidget* hiQualTex = nullptr;
    GtkWidget* track = nullptr;
    std::vector<TrackMapFile> maps;     // the track list's entries after "Random"
    std::array<GtkWidget*, 7> topRow{}; // left to right, from the "Rez" caption on
    Surface splash;
    LauncherChoices choices;
    bool startPressed = false;
};

void copyBgrRows(const std::uint8_t* pixels, int width, int height, cairo_surface_t* surface) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        const std::uint8_t* source = pixels + static_cast<std::ptrdiff_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, source += 3) {
            row[x] = 0xff000000u | std::uint32_t(source[2]) << 16 | std::uint32_t(source[1]) << 8 |
                     source[0];
        }
    }
}

// The splash picture as a surface cairo can stretch; nothing when it is missing or unreadable.
Surface loadSplash() {
    int width = 0;
    int height = 0;
    const auto pixels = decodeImage("splash.jpg", width, height);
    if (!pixels || width <= 0 || height <= 0) {
        return nullptr;
    }
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    copyBgrRows(pixels.get(), width, height, surface.get());
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

gboolean drawSplash(GtkWidget* area, cairo_t* cr, gpointer data) {
    const Launcher& launcher = *static_cast<Launcher*>(data);
    if (launcher.splash) {
        cairo_surface_t* picture = launcher.splash.get();
        cairo_save(cr);
        cairo_scale(cr,
                    double(gtk_widget_get_allocated_width(area)) /
                        cairo_image_surface_get_width(picture),
                    double(gtk_widget_get_allocated_height(area)) /
                        cairo_image_surface_get_height(picture));
        cairo_set_source_surface(cr, picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        // Without padding the stretched picture would fade out towards the window's edges.
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    return FALSE;
}

GtkWidget* place(GtkWidget* fixed, GtkWidget* control, const Place& at) {
    gtk_widget_set_size_request(control, at.width, at.height);
    gtk_style_context_add_class(gtk_widget_get_style_context(control), "launcher-control");
    gtk_fixed_put(GTK_FIXED(fixed), control, at.x, at.y);
    return control;
}

GtkWidget* checkBox(const char* caption, bool checked) {
    GtkWidget* box = gtk_check_button_new_with_label(caption);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), checked);
    return box;
}

bool isChecked(GtkWidget* box) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(box));
}

void startClicked(GtkButton*, gpointer data) {
    Launcher& launcher = *static_cast<Launcher*>(data);
    launcher.startPressed = true;
    launcher.choices.resolution = gtk_combo_box_get_active(GTK_COMBO_BOX(launcher.resolution));
    launcher.choices.windowed = isChecked(launcher.windowed);
    launcher.choices.lights = isChecked(launcher.lights);
    launcher.choices.music = isChecked(launcher.music);
    launcher.choices.joystick = isChecked(launcher.joystick);
    launcher.choices.hiQualTex = isChecked(launcher.hiQualTex);
    const int track = gtk_combo_box_get_active(GTK_COMBO_BOX(launcher.track));
    const bool listed = track > 0 && track <= static_cast<int>(launcher.maps.size());
    launcher.choices.track = listed ? launcher.maps[static_cast<std::size_t>(track - 1)].name : "";
    gtk_widget_destroy(launcher.window);
}

GtkWidget* makeResolutionList(int selected) {
    GtkWidget* list = gtk_combo_box_text_new();
    for (const Resolution& entry : Resolutions) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), entry.caption);
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), selected);
    return list;
}

// "Random" first, then every map, however many there are; a stored track that is gone falls
// back to Random.
GtkWidget* makeTrackList(const Launcher& launcher) {
    GtkWidget* list = gtk_combo_box_text_new();
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), "Random");
    int selected = 0;
    for (std::size_t i = 0; i < launcher.maps.size(); ++i) {
        const std::string& name = launcher.maps[i].name;
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), trackCaption(name).c_str());
        if (g_ascii_strcasecmp(name.c_str(), launcher.choices.track.c_str()) == 0) {
            selected = static_cast<int>(i) + 1;
        }
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), selected);
    return list;
}

// The top row's own places; captions that need more room (a big desktop font) move the
// controls rather than being cut or covered by the next control.
constexpr std::array<RowSlot, std::tuple_size_v<decltype(Launcher::topRow)>> RowPlaces{
    {{0, 32}, {32, 96}, {128, 96}, {224, 96}, {320, 96}, {416, 96}, {512, 128}}};
// The list's 100 pixels of height were its drop-down extent; the closed list is one row.
constexpr int RowHeight = 24;

// Measured once the controls are in the window, where the desktop's font and scale apply.
void fitTopRow(GtkWidget* fixed, const std::array<GtkWidget*, RowPlaces.size()>& controls) {
    std::array<int, RowPlaces.size()> needed{};
    int height = RowHeight;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        gtk_widget_set_size_request(controls[i], -1, -1);
        int minimum = 0;
        int natural = 0;
        gtk_widget_get_preferred_width(controls[i], &minimum, &needed[i]);
        gtk_widget_get_preferred_height(controls[i], &minimum, &natural);
        height = std::max(height, natural);
    }
    const std::vector<RowSlot> row = layOutRow(RowPlaces, needed, LauncherWidth);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        gtk_widget_set_size_request(controls[i], row[i].width, height);
        gtk_fixed_move(GTK_FIXED(fixed), controls[i], row[i].x, 0);
    }
}

void addControls(Launcher& launcher, GtkWidget* fixed) {
    const LauncherChoices& c = launcher.choices;
    launcher.resolution = makeResolutionList(c.resolution);
    launcher.windowed = checkBox("Windowed", c.windowed);
    launcher.lights = checkBox("Lights", c.lights);
    launcher.music = checkBox("Music", c.music);
    launcher.joystick = checkBox("Joystick", c.joystick);
    launcher.hiQualTex = checkBox("HiQTexture", c.hiQualTex);
    launcher.topRow = {gtk_label_new("Rez"), launcher.resolution, launcher.windowed,
                       launcher.lights,      launcher.music,      launcher.joystick,
                       launcher.hiQualTex};
    for (std::size_t i = 0; i < RowPlaces.size(); ++i) {
        place(fixed, launcher.topRow[i], {RowPlaces[i].x, 0, RowPlaces[i].width, RowHeight});
    }
    // Below the picture's middle and left of Start, clear of the controls along the top.
    place(fixed, gtk_label_new("Track"), {0, 424, 48, 24});
    launcher.track = place(fixed, makeTrackList(launcher), {48, 424, 176, 24});
    GtkWidget* start = place(fixed, gtk_button_new_with_mnemonic("_Start"), {564, 416, 64, 32});
    g_signal_connect(start, "clicked", G_CALLBACK(startClicked), &launcher);
}

void installControlStyle() {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, ControlStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

void buildWindow(Launcher& launcher, const char* caption) {
    launcher.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(launcher.window), caption);
    gtk_window_set_resizable(GTK_WINDOW(launcher.window), FALSE);
    gtk_window_set_position(GTK_WINDOW(launcher.window), GTK_WIN_POS_CENTER);
    const std::string icon = gameIconPath(256);
    if (!icon.empty()) {
        gtk_window_set_icon_from_file(GTK_WINDOW(launcher.window), icon.c_str(), nullptr);
    }
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, LauncherWidth, LauncherHeight);
    g_signal_connect(fixed, "draw", G_CALLBACK(drawSplash), &launcher);
    addControls(launcher, fixed);
    gtk_container_add(GTK_CONTAINER(launcher.window), fixed);
    // Hidden controls measure nothing.
    gtk_widget_show_all(fixed);
    fitTopRow(fixed, launcher.topRow);
    g_signal_connect(launcher.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
}

bool startToolkit() {
    static const bool started = [] {
        if (!startGtk()) {
            std::fprintf(stderr, "Cannot open the display for the launcher\n");
            return false;
        }
        gdk_set_program_class("Options");
        installControlStyle();
        return true;
    }();
    return started;
}

// The launcher must be off the screen before the game window opens.
void finishPendingWork() {
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
    gdk_display_sync(gdk_display_get_default());
}

} // namespace

bool runLauncher(const char* caption) {
    readSettings();
    if (!startToolkit()) {
        return false;
    }
    Launcher launcher;
    launcher.choices = launcherChoicesFrom(settings);
    launcher.maps = listTrackMaps();
    launcher.splash = loadSplash();
    buildWindow(launcher, caption);
    gtk_widget_show_all(launcher.window);
    gtk_main();
    finishPendingWork();
    if (launcher.startPressed) {
        storeLauncherChoices(launcher.choices, settings);
    }
    return launcher.startPressed;
}

} // namespace tb
