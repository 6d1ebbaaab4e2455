#include "rom/image_facts_text.h"

#include <cstdio>

std::string hexWord(std::uint64_t value, int digits)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

namespace {

std::string sizeText(std::uint64_t bytes)
{
    std::string text = std::to_string(bytes) + " bytes";
    if (bytes > 0 && bytes % (1u << 20) == 0)
        text += " (" + std::to_string(bytes >> 20) + " MiB)";
    return text;
}

// the header's size byte gives the image size as 1 KiB shifted left
std::string romSizeText(std::uint8_t code)
{
    std::string text = hexWord(code, 2);
    if (code >= 10 && code <= 16)
        text += " (" + std::to_string(1u << (code - 10)) + " MiB)";
    else if (code >= 1 && code < 10)
        text += " (" + std::to_string(1u << code) + " KiB)";
    return text;
}

}  // namespace

std::vector<FactLine> factLines(const ImageFacts& facts)
{
    std::vector<FactLine> lines;
    lines.push_back({"Size", sizeText(facts.fileSize)});
    lines.push_back({"Copier header", facts.copierHeader ? "yes, 512 bytes" : "none"});
    std::string identity = "at " + hexWord(facts.identityPosition, 5) + ": ";
    if (!facts.identityValue)
        identity += "the file is too short";
    else
        identity += hexWord(static_cast<std::uint32_t>(*facts.identityValue), 8)
                    + (facts.identityOk ? " (Veldra Saga)" : " (not Veldra Saga)");
    lines.push_back({"Identity", identity});
    if (!facts.header) {
        lines.push_back({"Internal header", "none: the image is shorter than 64 KiB"});
        return lines;
    }
    const InternalHeader& h = *facts.header;
    lines.push_back({"Title", h.title});
    lines.push_back({"Map mode", hexWord(h.mapMode, 2)});
    lines.push_back({"ROM size", romSizeText(h.romSize)});
    lines.push_back({"Checksum", "stored " + hexWord(h.checksum) + ", computed " + hexWord(facts.computedChecksum)});
    lines.push_back({"Complement", "stored " + hexWord(h.complement) + ", expected " + hexWord(h.checksum ^ 0xFFFFu)});
    lines.push_back({"Checksum state", facts.checksumOk ? "matches" : "stale"});
    return lines;
}
