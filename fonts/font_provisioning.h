#pragma once
// Puts the two built-in fonts in the user's documents folder and makes their faces available.
#include <memory>
#include <string>
#include <string_view>

#include "compose/program_state.h"

class FaceLibrary;

// `fileName` in `documentsFolder`, with exactly one '/' between them however many the folder
// path ends in. An empty folder gives "/<fileName>".
std::string FontFilePath(const std::string& documentsFolder, std::string_view fileName);

// Writes each built-in font file that is not in `documentsFolder` yet. Anything already at a
// font's path (a file of any content, a folder, a link) counts as present and is left alone.
// Each file is written beside its place and renamed in only once complete, so a failed write
// leaves nothing behind. Writes nothing when the folder path is empty; never creates the folder.
void InstallBuiltInFonts(const std::string& documentsFolder);

// The faces a render draws with: both built-in faces from the font files in `documentsFolder`
// (each registered with fontconfig's application fonts too), or from the program's own copy for
// a file that is missing or unsound for the picture (said in one line on stderr), so both faces
// are always there; and fontconfig's match for the time-of-day word's face and the default UI
// font, asked now. Names the built-in faces in `heavyFont` and `fineFont`.
std::shared_ptr<const FaceLibrary> RegisterBuiltInFonts(const std::string& documentsFolder,
                                                        ProgramState& state);

// The same from the program's own copies, touching no file: for the command line, which writes
// nothing into the documents folder.
std::shared_ptr<const FaceLibrary> UseBuiltInFaces(ProgramState& state);
