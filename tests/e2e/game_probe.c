/* Preloaded into the game by whole-game tests (LD_PRELOAD), never part of it.
 *
 * TB_PROBE_PICTURES=<file>: every glClear, which the game calls once for each picture it draws,
 * counts one; the count is kept in the file as a decimal number.
 * TB_PROBE_PAD=<fifo>: once the game starts SDL's game-controller subsystem, a thread reads
 * lines from the FIFO and works a virtual pad: "plug", "unplug", "axis <n> <value>",
 * "button <n> <0|1>" (n as in SDL_GameControllerAxis and SDL_GameControllerButton). */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static unsigned long long pictures;
static int picturesFile = -1;

void glClear(GLbitfield mask) {
    static void (*real)(GLbitfield);
    if (!real) {
        real = (void (*)(GLbitfield))dlsym(RTLD_NEXT, "glClear");
        const char* path = getenv("TB_PROBE_PICTURES");
        if (path) {
            picturesFile = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
    }
    real(mask);
    if (picturesFile >= 0) {
        char text[32];
        int length = snprintf(text, sizeof text, "%20llu\n", ++pictures);
        if (pwrite(picturesFile, text, (size_t)length, 0) != length) {
            picturesFile = -1;
        }
    }
}

static int padIndex = -1;
static SDL_Joystick* pad;

static void padCommand(const char* line) {
    int n = 0, value = 0;
    if (strncmp(line, "plug", 4) == 0 && !pad) {
        padIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                             SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
        pad = padIndex >= 0 ? SDL_JoystickOpen(padIndex) : NULL;
        /* A trigger's raw axis rests at its minimum. */
        if (pad) {
            SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
            SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
        }
    } else if (strncmp(line, "unplug", 6) == 0 && pad) {
        SDL_JoystickClose(pad);
        SDL_JoystickDetachVirtual(padIndex);
        pad = NULL;
    } else if (sscanf(line, "axis %d %d", &n, &value) == 2 && pad) {
        SDL_JoystickSetVirtualAxis(pad, n, (Sint16)value);
    } else if (sscanf(line, "button %d %d", &n, &value) == 2 && pad) {
        SDL_JoystickSetVirtualButton(pad, n, (Uint8)value);
    }
}

static void* readPadCommands(void* path) {
    FILE* commands = fopen((const char*)path, "r");
    char line[128];
    while (commands && fgets(line, sizeof line, commands)) {
        padCommand(line);
    }
    return NULL;
}

int SDL_InitSubSystem(Uint32 flags) {
    static int (*real)(Uint32);
    static int started;
    if (!real) {
        real = (int (*)(Uint32))dlsym(RTLD_NEXT, "SDL_InitSubSystem");
    }
    const int result = real(flags);
    const char* path = getenv("TB_PROBE_PAD");
    if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) && path && !started) {
        pthread_t thread;
        started = pthread_create(&thread, NULL, readPadCommands, (void*)path) == 0;
    }
    return result;
}
