// Builds a scenario file from a list of level text files (the "compile" command).
#pragma once
#include <string>
#include <vector>

// listFile names one level text file per line (CR LF or LF line ends; blank lines name none).
// Each level keeps its lines that contain "=", each followed by one CR. The scenario is written to
// outFile (atomically). When the list cannot be read, a level it names cannot be read (missing,
// not a regular file, or outFile itself), or it names no level, a message "Compilation error of
// file LIST" (with the reason, naming each level file at fault) is shown, nothing is written and
// the result is false.
bool CompileScenario(const std::string& listFile, const std::string& outFile);

// The stored form of one level text file: its lines that contain "=", each followed by one CR.
std::string CompileLevelText(const std::string& text);

// The lines of a text file with CR LF, LF or CR line ends.
std::vector<std::string> TextLines(const std::string& text);

// Whether a line of a list file names a level file that exists; path is the file to read.
bool ListedLevelFile(const std::string& line, std::string& path);
// Whether a line of a list file is blank (only blanks and tabs): it names no level.
bool NamesNoFile(const std::string& line);
// A file name or other text read from a file, fit for a message: control bytes as \xNN, and
// cut after shown characters.
std::string PrintableName(const std::string& name, size_t shown = 80);
