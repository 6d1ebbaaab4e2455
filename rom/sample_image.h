#pragma once

#include "rom/rom_image.h"

#include <filesystem>

// A generated stand-in for a game image: 4 MiB of deterministic, varied bytes
// with the identity value in place and plausible contents in every table, so
// that the editor can be tried and tested without a real image.
Bytes makeSampleImage();

Status writeSampleImage(const std::filesystem::path& path);
