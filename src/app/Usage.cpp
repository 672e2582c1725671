// The command and option lists of the help text.
#include "app/Usage.h"

#include <sstream>

namespace {

struct TUsageEntry {
  const char* Form;
  const char* Text;
};

// Parameters left after the options are taken out.
const TUsageEntry kCommands[] = {
    {"compile LIST OUT",
     "build the scenario file OUT from the level files named in the list file "
     "LIST, then exit"},
    {"plimb", "play with F11 skipping the current level"},
};

const TUsageEntry kOptions[] = {
    {"--window", "play in a resizable window instead of full screen"},
    {"--headless", "no window and silent sound; ticks run back to back"},
    {"--seed N", "seed of the random generator"},
    {"--ticks N", "end after N ticks of 25 ms, exit status 0"},
    {"--script FILE", "feed input from FILE (see the script format in the manual)"},
    {"--record FILE", "write every input event of the run to FILE as a script"},
    {"--dump-state FILE", "when the program ends, write the game state as JSON to FILE"},
    {"--screenshot FILE", "when the program ends, write the last shown frame to FILE as PNG"},
    {"--video-memory KB", "free video memory the display reports (default 65536)"},
    {"--bench", "at the end, print the cost of the ticks"},
    {"--help", "print this help and exit"},
    {"--version", "print the version and exit"},
};

constexpr size_t kTextColumn = 24;
constexpr size_t kWidth = 79;

void Entry(std::ostringstream& out, const TUsageEntry& e) {
  std::string line = std::string("  ") + e.Form;
  if (line.size() + 2 > kTextColumn) {
    out << line << "\n";
    line.clear();
  }
  line.resize(kTextColumn, ' ');
  const std::string indent(kTextColumn, ' ');
  std::istringstream words(e.Text);
  bool first = true;
  for (std::string w; words >> w; first = false) {
    if (!first && line.size() + 1 + w.size() > kWidth) {
      out << line << "\n";
      line = indent;
      first = true;
    }
    if (!first) line += ' ';
    line += w;
  }
  out << line << "\n";
}

}  // namespace

std::string UsageText() {
  std::ostringstream out;
  out << "Usage: vor [OPTION]... [COMMAND]\n"
         "A shooting gallery with a flying sight. Without a command the game starts.\n"
         "\nCommands:\n";
  for (const TUsageEntry& e : kCommands) Entry(out, e);
  out << "\nOptions:\n";
  for (const TUsageEntry& e : kOptions) Entry(out, e);
  out << "\nControls, script format and files: man 6 vor\n";
  return out.str();
}

std::string VersionText() {
  return std::string("vor ") + VOR_VERSION + "\n";
}
