// What `vor --help` and `vor --version` print. The lists of commands and options live in Usage.cpp,
// one line each; the man page's lists are made from the help text when the game is built, so a new
// command or option is one line there.
#pragma once
#include <string>

// "Usage: ...", the commands, then the options, each entry "  FORM" with its meaning from column
// 25, wrapped at 79 columns with the continuation lines indented to that column.
std::string UsageText();
// "vor VERSION".
std::string VersionText();
