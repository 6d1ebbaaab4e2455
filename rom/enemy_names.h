#pragma once

#include "rom/rom_image.h"

#include <string>
#include <string_view>
#include <vector>

// The enemy names: 11 bytes of game text per enemy, padded with blanks.

inline constexpr std::string_view kEnemyNameLabel = "Enemy Name";

Result<std::string> readEnemyName(const RomImage& image, int index);
// Every name, as the image holds them (trailing blanks kept); all or none.
Result<std::vector<std::string>> readEnemyNames(const RomImage& image);
