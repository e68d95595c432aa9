// trundlebay-tool: runs the game's own loaders and rules on files a person names and prints
// what the game makes of them as JSON on stdout; errors go to stderr instead of message boxes.
#include "tool_commands.h"

#include "shell/error_report.h"

#include <cstdio>
#include <map>
#include <string>

namespace tb::tool {
namespace {

struct Entry {
    std::string usage;
    CommandFunction run;
};

std::map<std::string, Entry>& registry() {
    static std::map<std::string, Entry> commands;
    return commands;
}

int printUsage() {
    std::fprintf(stderr, "usage: trundlebay-tool COMMAND ...\n");
    for (const auto& [name, entry] : registry()) {
        std::fprintf(stderr, "  trundlebay-tool %s %s\n", name.c_str(), entry.usage.c_str());
    }
    return 2;
}

} // namespace

ToolCommand::ToolCommand(const char* name, const char* usage, CommandFunction run) {
    registry()[name] = Entry{usage, run};
}

} // namespace tb::tool

int main(int argc, char** argv) {
    using namespace tb::tool;
    if (argc < 2) {
        return printUsage();
    }
    const auto found = registry().find(argv[1]);
    if (found == registry().end()) {
        std::fprintf(stderr, "trundlebay-tool: unknown command '%s'\n", argv[1]);
        return printUsage();
    }
    tb::setErrorSink([](std::string_view message, std::string_view subject) {
        std::fprintf(stderr, "%s\n", tb::formatErrorText(message, subject).c_str());
    });
    const std::vector<std::string> args(argv + 2, argv + argc);
    return found->second.run(args);
}
