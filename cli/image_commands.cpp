// veldra-cli info IMAGE [--json]
// veldra-cli checksum IMAGE [--fix]
// veldra-cli strip-header IMAGE --output OUT [--force]
#include "cli/commands.h"
#include "rom/history/image_history.h"
#include "rom/image_facts_text.h"
#include "rom/image_jobs.h"
#include "rom/platform/path_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ostream>

namespace {

using Json = nlohmann::ordered_json;

Json factsJson(const std::string& path, const ImageFacts& facts)
{
    Json header = nullptr;
    if (facts.header)
        header = {{"title", facts.header->title},
                  {"map_mode", facts.header->mapMode},
                  {"rom_size", facts.header->romSize},
                  {"complement", facts.header->complement},
                  {"checksum", facts.header->checksum}};
    Json identityValue = nullptr;
    if (facts.identityValue)
        identityValue = *facts.identityValue;
    return {{"path", path},
            {"size", facts.fileSize},
            {"copier_header", facts.copierHeader},
            {"identity", {{"position", facts.identityPosition}, {"value", identityValue}, {"ok", facts.identityOk}}},
            {"header", header},
            {"checksum",
             {{"stored", facts.header ? Json(facts.header->checksum) : Json(nullptr)},
              {"computed", facts.computedChecksum},
              {"ok", facts.checksumOk}}}};
}

ImageFacts factsOf(const std::string& path)
{
    auto facts = readImageFacts(pathFromUtf8(path));
    if (!facts)
        failRefused(facts.error());
    return *facts;
}

class InfoCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("info", "Tell what a file is: size, copier header, identity value, internal "
                                                   "header and checksum. Works on any file; refuses nothing it can read.");
        sub->add_option("IMAGE", m_image, "The file")->required();
        sub->add_flag("--json", m_json, "As a JSON object");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const ImageFacts facts = factsOf(m_image);
        if (m_json) {
            io.out << factsJson(m_image, facts).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
            return kExitDone;
        }
        io.out << "Path: " << m_image << "\n";
        for (const FactLine& line : factLines(facts))
            io.out << line.label << ": " << line.text << "\n";
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli info IMAGE [--json]"; }

private:
    std::string m_image;
    bool m_json = false;
};

class ChecksumCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("checksum", "Show the internal checksum, stored and computed; --fix writes "
                                                       "the computed one and its complement (4 bytes, in place).");
        sub->add_option("IMAGE", m_image, "The image of the game, with or without copier header")->required();
        sub->add_flag("--fix", m_fix, "Write the computed checksum and complement when the stored ones are stale");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const ImageFacts facts = factsOf(m_image);
        if (!facts.identityOk || !facts.header)
            failRefused(m_image + " is not a Veldra Saga ROM");
        io.out << "stored: " << hexWord(facts.header->checksum) << " (complement " << hexWord(facts.header->complement)
               << ")\ncomputed: " << hexWord(facts.computedChecksum) << "\n";
        if (!m_fix) {
            io.out << (facts.checksumOk ? "matches\n" : "stale (--fix writes the computed checksum)\n");
            return kExitDone;
        }
        // the fix is a step of the image's history: its journal entry goes in first
        ImageHistory history;
        const auto fixed = fixChecksumInHistory(pathFromUtf8(m_image), history, "veldra-cli checksum --fix");
        if (!fixed)
            failRefused(fixed.error());
        if (fixed->written)
            io.written = "the checksum of " + m_image + " was fixed";
        if (fixed->written)
            io.out << "wrote checksum " << hexWord(fixed->after) << " and complement " << hexWord(fixed->after ^ 0xFFFFu)
                   << "\n";
        else
            io.out << "matches: nothing written\n";
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli checksum IMAGE [--fix]"; }

private:
    std::string m_image;
    bool m_fix = false;
};

class StripHeaderCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("strip-header", "Write a copy of a headered image without its 512-byte "
                                                           "copier header; the image itself is only read.");
        sub->add_option("IMAGE", m_image, "The image with copier header")->required();
        sub->add_option("--output", m_output, "The copy to write (a new file)")->required();
        sub->add_flag("--force", m_force, "Replace the output if it exists");
        return sub;
    }

    int run(CommandIo& io) override
    {
        if (Status done = stripHeaderFile(pathFromUtf8(m_image), pathFromUtf8(m_output), m_force ? Existing::Replace : Existing::Refuse); !done)
            failWrite(done.error(), m_force);
        io.written = m_output + " was written";
        io.out << "wrote " << m_output << " without the 512-byte copier header\n";
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli strip-header IMAGE --output OUT [--force]"; }

private:
    std::string m_image;
    std::string m_output;
    bool m_force = false;
};

}  // namespace

void failWrite(const std::string& error, bool force)
{
    const bool exists = error.find("the file already exists") != std::string::npos;
    failRefused(error + (exists && !force ? " (--force replaces it)" : ""));
}

std::unique_ptr<Command> makeInfoCommand() { return std::make_unique<InfoCommand>(); }
std::unique_ptr<Command> makeChecksumCommand() { return std::make_unique<ChecksumCommand>(); }
std::unique_ptr<Command> makeStripHeaderCommand() { return std::make_unique<StripHeaderCommand>(); }
