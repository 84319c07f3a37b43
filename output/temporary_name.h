#pragma once
// The names of the program's temporary files beside a target: ".<kept name>.<8 random letters or
// digits>.tmp" in the target's folder, the kept name being the target's name cut to its first
// 100 bytes, so that the whole stays within NAME_MAX.
#include <optional>
#include <string>
#include <string_view>

// A new such name for a target named `targetName`.
std::string NewTemporaryName(std::string_view targetName);

// Whether `name` is such a name, of any random part, for a target named `targetName`.
bool IsTemporaryNameOf(std::string_view name, std::string_view targetName);

// The target whose temporary file `name` is, for a target name short enough to be kept whole;
// nothing for any other name.
std::optional<std::string> TargetOfTemporaryName(std::string_view name);
