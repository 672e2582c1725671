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
     "LIST, then exit; exit status 1, with OUT left as it was, when the list or a level it "
     "names cannot be read or it names no level"},
    {"plimb", "play with F11 skipping the current level"},
    {"lint [--quiet] FILE...",
     "check level texts, list files and scenarios (.lev): each finding as FILE:LINE: error or "
     "warning, then a count; --quiet prints only the errors; exit status 1 on an error"},
    {"preview [--tick N] [--paths] [--seed N] LEVEL OUT.png",
     "draw LEVEL as the player first sees it (after N ticks, at most 144000, an hour of "
     "play; with the targets' paths and the magnets' reach) into an 800 x 600 PNG; LEVEL is a "
     "level text file or SCENARIO.lev:N"},
};

const TUsageEntry kOptions[] = {
    {"--window", "play in a window this time (Alt+Enter switches and is remembered)"},
    {"--fullscreen", "play full screen this time"},
    {"--scale sharp|integer",
     "how full screen enlarges the frame from now on (remembered): sharp (the default) enlarges "
     "every pixel by the same whole factor and smooths the result down to fit the screen; "
     "integer uses the largest whole factor that fits, with wider borders"},
    {"--audio sdl|silent",
     "the machine's sound device (default with a window) or a silent one (default headless)"},
    {"--headless", "no window and silent sound; ticks run back to back"},
    {"--seed N", "seed of the random generator"},
    {"--ticks N", "end the run after N ticks of 25 ms, exit status 0 (preview's --tick N "
                  "instead chooses the tick it draws)"},
    {"--script FILE", "feed input from FILE (see the script format in the manual)"},
    {"--record FILE", "write every input event of the run to FILE as a script"},
    {"--replay FILE", "play a kept game again (Tab: four times speed, Escape: stop)"},
    {"--records-server URL",
     "send the results to the server of shared tables at URL (http://HOST:PORT) and show its "
     "tables on the table screen, this time (records_server=URL in vor.ini for every time)"},
    {"--dump-state FILE", "when the program ends, write the game state as JSON to FILE"},
    {"--screenshot FILE", "when the program ends, write the last shown frame to FILE as PNG"},
    {"--video-memory KB", "free video memory the display reports (default 65536)"},
    {"--bench", "at the end, print the cost of the ticks"},
    {"--paced", "with --headless: a tick every 25 ms, as a window plays, rather than one after "
                "another (--bench then tells what a tick costs between pauses)"},
    {"--level LEVEL",
     "play LEVEL alone, without the menu (a level text file or SCENARIO.lev:N); the game ends "
     "with the level or with Escape"},
    {"--watch", "with --level: reload the level whenever its file changes"},
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
