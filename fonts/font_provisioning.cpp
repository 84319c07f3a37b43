#include "font_provisioning.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "atomic_file.h"
#include "built_in_fonts.h"
#include "face_registry.h"

namespace {

// True only when the path certainly names nothing. When the test itself fails for another reason
// (no search right on the folder, say) the path is treated as taken, so nothing is written there.
bool NothingAt(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

// A regular file, following links. FreeType would block reading a FIFO, so only such a file is
// handed to the registry.
bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void InstallFont(const std::string& documentsFolder, const BuiltInFont& font) {
  const std::string path = FontFilePath(documentsFolder, font.fileName);
  if (!NothingAt(path)) return;
  std::error_code error;
  if (!WriteFileAtomically(path, font.data, error))
    std::fprintf(stderr, "lumivale: could not write %s (%s); the built-in copy is used instead\n",
                 path.c_str(), error.message().c_str());
}

void RegisterFont(const std::string& documentsFolder, const BuiltInFont& font) {
  const std::string family(font.familyName);
  if (!documentsFolder.empty()) {
    const std::string path = FontFilePath(documentsFolder, font.fileName);
    if (IsRegularFile(path) && RegisterFaceFile(path) && IsFaceRegistered(family)) return;
  }
  RegisterFaceData(font.data);
}

}  // namespace

std::string FontFilePath(const std::string& documentsFolder, std::string_view fileName) {
  std::string path = documentsFolder;
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += '/';
  path += fileName;
  return path;
}

void InstallBuiltInFonts(const std::string& documentsFolder) {
  // Without a documents folder there is no place of the user's to put the files in.
  if (documentsFolder.empty()) return;
  InstallFont(documentsFolder, HeavyBuiltInFont());
  InstallFont(documentsFolder, FineBuiltInFont());
}

void RegisterBuiltInFonts(const std::string& documentsFolder, ProgramState& state) {
  const BuiltInFont heavy = HeavyBuiltInFont();
  const BuiltInFont fine = FineBuiltInFont();
  RegisterFont(documentsFolder, heavy);
  state.heavyFont.faceName = std::string(heavy.familyName);
  RegisterFont(documentsFolder, fine);
  state.fineFont.faceName = std::string(fine.familyName);
}

void UseBuiltInFaces(ProgramState& state) { RegisterBuiltInFonts({}, state); }
