#pragma once
// The one kind of error the player sees: a file that cannot be used, in a box captioned
// "ERROR" that says the game goes on.
#include <functional>
#include <string>
#include <string_view>

namespace tb {

// Receives each report; the default shows the message box and writes the text to stderr.
using ErrorSink = std::function<void(std::string_view message, std::string_view subject)>;

// "<message> <subject> The application will continue."
std::string formatErrorText(std::string_view message, std::string_view subject);
// Shows the report and returns when the player has acknowledged it.
void reportError(std::string_view subject, std::string_view message);
// Replace the message box (tools print to stderr, tests capture); an empty sink restores it.
void setErrorSink(ErrorSink sink);

} // namespace tb
