// One PNG that shows all of the game's pictures and its font, for judging the art.
#pragma once
#include <string>

// False with the reason when a picture cannot be made or the file cannot be written.
bool WriteContactSheet(const std::string& path, std::string& error);
