#pragma once

#include "rom/image_facts.h"

#include <string>
#include <vector>

// The facts as label and text, in the order both front ends show them.
struct FactLine {
    std::string label;
    std::string text;
};

std::vector<FactLine> factLines(const ImageFacts& facts);

// "0x1234"; "0x0C4917" with 6 digits
std::string hexWord(std::uint64_t value, int digits = 4);
