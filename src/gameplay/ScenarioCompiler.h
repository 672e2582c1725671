// Builds a scenario file from a list of level text files (the "compile" command).
#pragma once
#include <string>
#include <vector>

// listFile names one level text file per line (CR LF or LF line ends); a named file that does not
// exist is left out. Each level keeps its lines that contain "=", each followed by one CR. The
// scenario is written to outFile (atomically). When the list or a level file cannot be read, the
// message "Compilation error of file LIST" is shown, nothing is written and the result is false.
bool CompileScenario(const std::string& listFile, const std::string& outFile);

// The stored form of one level text file: its lines that contain "=", each followed by one CR.
std::string CompileLevelText(const std::string& text);

// The lines of a text file with CR LF, LF or CR line ends.
std::vector<std::string> TextLines(const std::string& text);

// Whether a line of a list file names a level file that exists; path is the file to read.
bool ListedLevelFile(const std::string& line, std::string& path);
