#include "shell/error_report.h"

#include <SDL.h>
#include <cstdio>

namespace tb {
namespace {

void showMessageBox(std::string_view message, std::string_view subject) {
    const std::string text = formatErrorText(message, subject);
    std::fprintf(stderr, "ERROR: %s\n", text.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "ERROR", text.c_str(), nullptr);
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
