// veldra-cli restore IMAGE --list [--json]
// veldra-cli restore IMAGE POINT (--output FILE | --in-place)
#include "cli/command_support.h"
#include "cli/commands.h"
#include "rom/history/restore_points.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ostream>

namespace {

using Json = nlohmann::ordered_json;

Json pointsJson(const std::vector<RestorePoint>& points)
{
    Json list = Json::array();
    for (std::size_t i = 0; i < points.size(); ++i)
        list.push_back({{"number", i + 1},
                        {"name", points[i].name},
                        {"time", restorePointTimeText(points[i])},
                        {"writer", points[i].writer},
                        {"size", points[i].size},
                        {"checked", points[i].check.has_value()},
                        {"file", pathToUtf8(points[i].file)}});
    return list;
}

class RestoreCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand(
            "restore", "List the restore points of an image (whole copies kept before the first write of each run), "
                       "or write one back: to a new file (--output), or over the image itself (--in-place, which "
                       "first keeps a restore point of the image as it is, so that it can be restored in turn).");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_option("POINT", m_point, "The point: its name as listed, or its number in the list (1 = newest)");
        sub->add_flag("--list", m_list, "List the image's restore points, newest first");
        sub->add_flag("--json", m_json, "With --list: as a JSON array");
        sub->add_option("--output", m_output, "Write the point to this new file");
        sub->add_flag("--in-place", m_inPlace, "Write the point back over the image, whole");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const int ways = int(m_list) + int(!m_output.empty()) + int(m_inPlace);
        if (ways != 1)
            failUsage("give one of --list, --output FILE and --in-place");
        if (m_json && !m_list)
            failUsage("--json goes with --list");
        if (m_list != m_point.empty())
            failUsage(m_list ? "--list takes no POINT" : "name the POINT to restore (veldra-cli restore IMAGE --list shows them)");
        const auto image = pathFromUtf8(m_image);
        if (m_list)
            return list(io, image);
        const auto point = findRestorePoint(image, m_point);
        if (!point)
            failRefused(point.error());
        if (m_inPlace) {
            if (Status done = restoreInPlace(image, *point); !done)
                failRefused(done.error());
            io.written = m_image + " was restored to " + point->name;
            io.out << "restored " << m_image << " to the restore point " << point->name
                   << " (its state before is kept as the newest restore point)\n";
            return kExitDone;
        }
        if (Status done = restoreToNewFile(*point, pathFromUtf8(m_output)); !done)
            failRefused(done.error());
        io.written = m_output + " was written";
        io.out << "wrote the restore point " << point->name << " of " << m_image << " to " << m_output << "\n";
        return kExitDone;
    }

    std::string usage() const override
    {
        return "veldra-cli restore IMAGE --list [--json] | veldra-cli restore IMAGE POINT (--output FILE | --in-place)";
    }

private:
    int list(CommandIo& io, const std::filesystem::path& image)
    {
        const auto points = listRestorePoints(image);
        if (!points)
            failRefused(points.error());
        if (m_json) {
            io.out << pointsJson(*points).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
            return kExitDone;
        }
        if (points->empty())
            io.err << "veldra-cli: " << m_image << " has no restore points\n";
        for (std::size_t i = 0; i < points->size(); ++i) {
            const RestorePoint& p = (*points)[i];
            io.out << (i + 1) << "  " << p.name << "  " << restorePointTimeText(p) << "  " << p.writer << "  " << p.size
                   << " bytes\n";
        }
        return kExitDone;
    }

    std::string m_image;
    std::string m_point;
    std::string m_output;
    bool m_list = false;
    bool m_json = false;
    bool m_inPlace = false;
};

}  // namespace

std::unique_ptr<Command> makeRestoreCommand() { return std::make_unique<RestoreCommand>(); }
