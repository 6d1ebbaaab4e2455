// veldra-cli patch create ORIGINAL MODIFIED --output PATCH [--format bps|ips] [--force]
// veldra-cli patch apply IMAGE PATCH --output OUT [--force]
#include "cli/commands.h"
#include "rom/patch_jobs.h"
#include "rom/platform/path_text.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

class PatchCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("patch", "Make a BPS or IPS patch from two images, or apply one to a copy "
                                                    "of an image.");
        sub->require_subcommand(1);
        m_create = sub->add_subcommand("create", "Write a patch that turns ORIGINAL into MODIFIED (both images of the "
                                                 "game without copier header).");
        m_create->add_option("ORIGINAL", m_original, "The untouched image")->required();
        m_create->add_option("MODIFIED", m_modified, "The edited image")->required();
        m_create->add_option("--output", m_output, "The patch to write (a new file)")->required();
        m_create->add_option("--format", m_format, "bps or ips (default: from the output's extension)")
            ->check(CLI::IsMember({"bps", "ips"}, CLI::ignore_case));
        m_create->add_flag("--force", m_force, "Replace the output if it exists");
        m_apply = sub->add_subcommand("apply", "Apply a BPS or IPS patch to IMAGE and write the result to a new file; "
                                               "the result must be an image of the game.");
        m_apply->add_option("IMAGE", m_image, "The image to patch (only read)")->required();
        m_apply->add_option("PATCH", m_patch, "The .bps or .ips patch")->required();
        m_apply->add_option("--output", m_output, "The patched image to write (a new file)")->required();
        m_apply->add_flag("--force", m_force, "Replace the output if it exists");
        return sub;
    }

    int run(CommandIo& io) override { return m_create->parsed() ? create(io) : apply(io); }

    std::string usage() const override
    {
        return "veldra-cli patch create ORIGINAL MODIFIED --output PATCH [--format bps|ips] [--force]\n"
               "       veldra-cli patch apply IMAGE PATCH --output OUT [--force]";
    }

private:
    int create(CommandIo& io)
    {
        const auto format = m_format.empty() ? patchFormatFromExtension(pathFromUtf8(m_output)) : patchFormatFromName(m_format);
        if (!format)
            failUsage("cannot tell the format from the name " + m_output + ": end it in .bps or .ips, or give --format");
        const Existing existing = m_force ? Existing::Replace : Existing::Refuse;
        const auto made = createPatchFile(pathFromUtf8(m_original), pathFromUtf8(m_modified), pathFromUtf8(m_output), *format, existing);
        if (!made)
            failWrite(made.error(), m_force);
        io.written = m_output + " was written";
        io.out << "wrote " << m_output << " (" << patchFormatName(*format) << "): " << made->size << " bytes, "
               << made->changedRuns << (made->changedRuns == 1 ? " changed run\n" : " changed runs\n");
        return kExitDone;
    }

    int apply(CommandIo& io)
    {
        const auto applied = applyPatchFile(pathFromUtf8(m_image), pathFromUtf8(m_patch), pathFromUtf8(m_output), m_force ? Existing::Replace : Existing::Refuse);
        if (!applied)
            failWrite(applied.error(), m_force);
        io.written = m_output + " was written";
        io.out << "wrote " << m_output << ": " << applied->size << " bytes\n";
        return kExitDone;
    }

    CLI::App* m_create = nullptr;
    CLI::App* m_apply = nullptr;
    std::string m_original;
    std::string m_modified;
    std::string m_image;
    std::string m_patch;
    std::string m_output;
    std::string m_format;
    bool m_force = false;
};

}  // namespace

std::unique_ptr<Command> makePatchCommand() { return std::make_unique<PatchCommand>(); }
