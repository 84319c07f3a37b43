#include "fonts/font_provisioning.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "compose/canvas_font.h"
#include "compose/face_library.h"
#include "compose/fontconfig_handles.h"
#include "compose/gbk_text.h"
#include "fonts/built_in_fonts.h"
#include "fonts/font_soundness.h"
#include "output/atomic_file.h"
#include "output/bmp_file.h"

namespace {

// Far larger than either built-in font; a bigger file at a font's place is not that font.
constexpr std::uint64_t kMaxFontFileBytes = 16u * 1024u * 1024u;

// True only when the path certainly names nothing. When the test itself fails for another reason
// (no search right on the folder, say) the path is treated as taken, so nothing is written there.
bool NothingAt(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

// Reads the font at `path` into `bytes` once; gives why it cannot stand in for `font`, or empty
// when it can. Only a regular file is opened (without blocking), so a FIFO cannot hang the start.
std::string ReadUsableFont(const std::string& path, const BuiltInFont& font,
                           std::vector<unsigned char>& bytes) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  if (static_cast<std::uint64_t>(info.st_size) > kMaxFontFileBytes) return "far too large";
  std::optional<std::vector<std::uint8_t>> read = ReadWholeFile(path, kMaxFontFileBytes);
  if (!read) return "it cannot be read";
  bytes = std::move(*read);
  return WhyUnfitFor(bytes, font);
}

void InstallFont(const std::string& documentsFolder, const BuiltInFont& font) {
  const std::string path = FontFilePath(documentsFolder, font.fileName);
  if (!NothingAt(path)) return;
  std::error_code error;
  if (!WriteFileAtomically(path, font.data, error))
    std::fprintf(stderr, "lumivale: could not write %s (%s); the built-in copy is used instead\n",
                 path.c_str(), error.message().c_str());
}

// Adds the face from the user's file when that file is sound, else from the program's own copy,
// with one line on stderr saying why. The file is read into memory once and never touched
// again, so changing or emptying it while the program runs does no harm; fontconfig learns of
// the file too, as the system's registration of it.
void AddFont(FaceLibrary& library, const std::string& documentsFolder, const BuiltInFont& font) {
  const std::string family(font.familyName);
  if (!documentsFolder.empty()) {
    const std::string path = FontFilePath(documentsFolder, font.fileName);
    if (!NothingAt(path)) {
      std::vector<unsigned char> bytes;
      const std::string unfit = ReadUsableFont(path, font, bytes);
      if (unfit.empty()) {
        auto copy = std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
        if (library.AddFontData(*copy, copy, path) && library.HasFamily(family)) {
          const std::lock_guard<std::mutex> guard(FontconfigLock());
          FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()));
          return;
        }
      }
      std::fprintf(stderr, "lumivale: %s cannot be used (%s); the built-in %s is used instead\n",
                   path.c_str(), unfit.empty() ? "it cannot be registered" : unfit.c_str(),
                   family.c_str());
    }
  }
  library.AddFontData(font.data);
}

// Asks fontconfig up front for every face the screen draws with that is not the program's own
// (the time-of-day word's), and for the default UI font, so that no render has to ask.
void MatchTheOtherFaces(FaceLibrary& library, const ProgramState& state) {
  const ScreenDescription& screen = EarningsScreen();
  for (const ScreenElement& element : screen.elements) {
    if (element.content == ElementContent::kCurrencySign) continue;
    const std::string face = element.face == FaceRole::kWordFace
                                 ? std::string(screen.wordFaceName)
                                 : RecordFor(state, element.face).faceName;
    const std::string utf8 = GbkToUtf8(EffectiveFaceName(face));
    if (!library.HasFamily(utf8)) library.MatchWithFontconfig(utf8, element.bold, false);
  }
  library.MatchWithFontconfig(kDefaultUiFamily, false, false);
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

std::shared_ptr<const FaceLibrary> RegisterBuiltInFonts(const std::string& documentsFolder,
                                                        ProgramState& state) {
  auto library = std::make_shared<FaceLibrary>();
  const BuiltInFont heavy = HeavyBuiltInFont();
  const BuiltInFont fine = FineBuiltInFont();
  AddFont(*library, documentsFolder, heavy);
  state.heavyFont.faceName = std::string(heavy.familyName);
  AddFont(*library, documentsFolder, fine);
  state.fineFont.faceName = std::string(fine.familyName);
  MatchTheOtherFaces(*library, state);
  return library;
}

std::shared_ptr<const FaceLibrary> UseBuiltInFaces(ProgramState& state) {
  return RegisterBuiltInFonts({}, state);
}
