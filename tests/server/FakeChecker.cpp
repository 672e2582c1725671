// A stand-in for the game's replay run, for the server's tests: it answers as the real checker
// does, from lines in the "replay" that say what the run reaches.
//
//   # vor-replay 1              first line; anything else is malformed
//   # fake scenario FILE        the scenario played (a .lev file in the data folder)
//   # fake result SCORE TARGETS MEDALS LEVELS MISSES WON DIFFICULTY TICKS
//   # fake name HEX             the name, cp1251 bytes in hexadecimal
//   # fake started PATH         made once the run starts
//   # fake wait PATH            the run waits for it
//   # fake crash                the run ends by a signal
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/Sha256.h"
#include "server/CheckPool.h"

int main(int argc, char** argv) {
  std::string data;
  int64_t bound = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--data") data = argv[i + 1];
    if (std::string(argv[i]) == "--ticks") bound = std::stoll(argv[i + 1]);
  }
  std::stringstream in;
  in << std::cin.rdbuf();
  std::string line;
  CheckOutcome out;
  out.verdict = CheckVerdict::Malformed;
  out.reason = "not a replay";
  if (!std::getline(in, line) || line != "# vor-replay 1") {
    std::cout << FormatCheckOutcome(out);
    return 0;
  }
  out.verdict = CheckVerdict::Accepted;
  CheckedResult& r = out.result;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string hash, fake, key;
    words >> hash >> fake >> key;
    if (hash != "#" || fake != "fake") continue;
    if (key == "scenario") {
      std::string file;
      words >> file;
      std::ifstream f(data + "/" + file, std::ios::binary);
      std::stringstream bytes;
      bytes << f.rdbuf();
      r.scenarioSha256 = f ? Sha256Hex(bytes.str()) : std::string(64, '0');
    } else if (key == "result") {
      int won, difficulty;
      words >> r.score >> r.targets >> r.medals >> r.levels >> r.misses >> won >> difficulty >>
          r.ticks;
      r.won = uint8_t(won);
      r.difficulty = uint8_t(difficulty);
    } else if (key == "name") {
      std::string hex;
      words >> hex;
      for (size_t i = 0; i + 1 < hex.size(); i += 2)
        r.name += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    } else if (key == "started") {
      std::string path;
      words >> path;
      std::ofstream(path).put('1');
    } else if (key == "wait") {
      std::string path;
      words >> path;
      while (!std::filesystem::exists(path)) usleep(10000);
    } else if (key == "crash") {
      raise(SIGKILL);
    }
  }
  if (r.ticks > bound) {
    out.verdict = CheckVerdict::Refused;
    out.reason = "the game runs past the bound of ticks";
  }
  std::cout << FormatCheckOutcome(out);
  return 0;
}
