#include "output/temporary_name.h"

#include <unistd.h>

#include <cstdint>
#include <random>

namespace {

// Long enough to be recognisable, short enough that the temporary name stays within NAME_MAX.
constexpr std::size_t kKeptNameBytes = 100;
constexpr std::size_t kRandomBytes = 8;
constexpr std::string_view kAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::string_view kEnding = ".tmp";

std::string_view KeptName(std::string_view targetName) {
  return targetName.substr(0, kKeptNameBytes);
}

std::string RandomPart() {
  thread_local std::mt19937_64 generator{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                         static_cast<std::uint64_t>(::getpid())};
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string part(kRandomBytes, 'x');
  for (char& c : part) c = kAlphabet[pick(generator)];
  return part;
}

}  // namespace

std::string NewTemporaryName(std::string_view targetName) {
  std::string name = ".";
  name += KeptName(targetName);
  name += '.';
  name += RandomPart();
  name += kEnding;
  return name;
}

bool IsTemporaryNameOf(std::string_view name, std::string_view targetName) {
  const std::string_view kept = KeptName(targetName);
  if (name.size() != 1 + kept.size() + 1 + kRandomBytes + kEnding.size()) return false;
  if (name[0] != '.' || name.substr(1, kept.size()) != kept || name[1 + kept.size()] != '.')
    return false;
  const std::string_view random = name.substr(2 + kept.size(), kRandomBytes);
  return random.find_first_not_of(kAlphabet) == std::string_view::npos && name.ends_with(kEnding);
}

std::optional<std::string> TargetOfTemporaryName(std::string_view name) {
  constexpr std::size_t kTail = 1 + kRandomBytes + kEnding.size();  // ".XXXXXXXX.tmp"
  if (name.size() <= 1 + kTail || name[0] != '.' || !name.ends_with(kEnding)) return std::nullopt;
  const std::string_view target = name.substr(1, name.size() - 1 - kTail);
  if (target.size() >= kKeptNameBytes || !IsTemporaryNameOf(name, target)) return std::nullopt;
  return std::string(target);
}
