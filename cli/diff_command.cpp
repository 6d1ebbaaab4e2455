// veldra-cli diff IMAGE_A IMAGE_B [--json]
#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/value_text.h"
#include "rom/image_diff.h"
#include "rom/image_facts_text.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

std::string runText(const ByteRun& run)
{
    const std::uint64_t n = run.last - run.first + 1;
    return hexWord(run.first, 6) + "-" + hexWord(run.last, 6) + " (" + std::to_string(n) + (n == 1 ? " byte)" : " bytes)");
}

// "[4]", or "[4..255]" for several entries
std::string entries(const MissingEntries& m)
{
    return "[" + std::to_string(m.first) + (m.last > m.first ? ".." + std::to_string(m.last) : "") + "]";
}

class DiffCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("diff", "Compare two images: every field that differs, then the bytes that "
                                                   "differ outside all tables. Exit 0 when equal, 1 when different.");
        sub->add_option("IMAGE_A", m_a, "The first image")->required();
        sub->add_option("IMAGE_B", m_b, "The second image")->required();
        sub->add_flag("--json", m_json, "As a JSON object");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const Bytes a = loadImage(m_a);
        const Bytes b = loadImage(m_b);
        const ImageDiff diff = diffImages(a, b);
        if (m_json)
            io.out << json(diff, a.size(), b.size()).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
        else
            io.out << text(diff, a.size(), b.size());
        return diff.equal() ? kExitDone : kExitDifferent;
    }

    std::string usage() const override { return "veldra-cli diff IMAGE_A IMAGE_B [--json]"; }
    // an answer that could not be printed is neither "equal" nor "different"
    int outputFailureExit() const override { return kExitTrouble; }

private:
    static constexpr int kExitDifferent = 1;
    static constexpr int kExitTrouble = 2;  // as diff and cmp: neither "equal" nor "different"

    static Bytes loadImage(const std::string& path)
    {
        try {
            return loadImageArgument(path);
        } catch (CommandFailure& failure) {
            failure.exitCode = kExitTrouble;
            throw;
        }
    }

    static std::string text(const ImageDiff& diff, std::size_t sizeA, std::size_t sizeB)
    {
        std::string out;
        if (diff.sizesDiffer)
            out += "size: " + std::to_string(sizeA) + " -> " + std::to_string(sizeB) + " bytes\n";
        for (const FieldDifference& d : diff.fields)
            out += fieldPath(*d.table, d.index, *d.field) + ": " + shownText(*d.field, d.a, nullptr) + " -> "
                   + shownText(*d.field, d.b, nullptr) + "\n";
        for (const UnshownDifference& d : diff.unshown)
            out += std::string(d.table->key()) + "[" + std::to_string(d.index) + "]: bytes differ that no field shows, "
                   + runText(d.bytes) + "\n";
        for (const MissingEntries& m : diff.missing)
            out += std::string(m.table->key()) + entries(m) + ": only in " + (m.onlyInA ? "A" : "B") + ", past the end of "
                   + (m.onlyInA ? "B" : "A") + ", " + runText(m.bytes) + "\n";
        for (const ByteRun& run : diff.outside)
            out += "outside tables: " + runText(run) + "\n";
        return out;
    }

    static Json json(const ImageDiff& diff, std::size_t sizeA, std::size_t sizeB)
    {
        Json fields = Json::array();
        for (const FieldDifference& d : diff.fields) {
            Json field = {{"table", d.table->key()}, {"index", d.index}, {"key", d.field->key}, {"a", jsonValue(d.a)},
                          {"b", jsonValue(d.b)}};
            if (d.labelA)
                field["label_a"] = *d.labelA;
            if (d.labelB)
                field["label_b"] = *d.labelB;
            fields.push_back(std::move(field));
        }
        Json unshown = Json::array();
        for (const UnshownDifference& d : diff.unshown)
            unshown.push_back({{"table", d.table->key()}, {"index", d.index}, {"start", d.bytes.first},
                               {"end", d.bytes.last}});
        Json missing = Json::array();
        for (const MissingEntries& m : diff.missing)
            missing.push_back({{"table", m.table->key()}, {"first", m.first}, {"last", m.last}, {"start", m.bytes.first},
                               {"end", m.bytes.last}, {"only_in", m.onlyInA ? "a" : "b"}});
        Json outside = Json::array();
        for (const ByteRun& run : diff.outside)
            outside.push_back({{"start", run.first}, {"end", run.last}, {"bytes", run.last - run.first + 1}});
        return {{"equal", diff.equal()}, {"size", {{"a", sizeA}, {"b", sizeB}}}, {"fields", std::move(fields)},
                {"unshown", std::move(unshown)}, {"missing", std::move(missing)}, {"outside", std::move(outside)}};
    }

    std::string m_a;
    std::string m_b;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> makeDiffCommand() { return std::make_unique<DiffCommand>(); }
