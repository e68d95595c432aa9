#pragma once
// The subcommands of trundlebay-tool. Each *_command.cpp registers its own with a
// static ToolCommand, so adding a command touches no other file.
#include <string>
#include <vector>

namespace tb::tool {

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct ToolCommand {
    ToolCommand(const char* name, const char* usage, CommandFunction run);
};

} // namespace tb::tool
