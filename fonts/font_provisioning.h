#pragma once
// Puts the two built-in fonts in the user's documents folder and makes their faces available.
#include <string>
#include <string_view>

#include "compose/program_state.h"

// `fileName` in `documentsFolder`, with exactly one '/' between them however many the folder
// path ends in. An empty folder gives "/<fileName>".
std::string FontFilePath(const std::string& documentsFolder, std::string_view fileName);

// Writes each built-in font file that is not in `documentsFolder` yet. Anything already at a
// font's path (a file of any content, a folder, a link) counts as present and is left alone.
// Each file is written beside its place and renamed in only once complete, so a failed write
// leaves nothing behind. Writes nothing when the folder path is empty; never creates the folder.
void InstallBuiltInFonts(const std::string& documentsFolder);

// Registers both font files from `documentsFolder` and names their faces in `heavyFont` and
// `fineFont`. A face whose file is missing, unreadable or does not hold that face is registered
// from the program's own copy instead, so both faces are always there afterwards.
void RegisterBuiltInFonts(const std::string& documentsFolder, ProgramState& state);

// Registers both faces from the program's own copies and names them, touching no file: for the
// command line, which writes nothing into the documents folder.
void UseBuiltInFaces(ProgramState& state);
