// veldra-cli history IMAGE [--json]
// veldra-cli undo IMAGE
// veldra-cli redo IMAGE
#include "cli/commands.h"
#include "rom/history/checked_write.h"
#include "rom/history/field_changes.h"
#include "rom/history/image_history.h"
#include "rom/platform/path_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ctime>
#include <ostream>

namespace {

using Json = nlohmann::ordered_json;

std::string timeText(std::chrono::system_clock::time_point time, bool utc)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
#ifdef _WIN32
    utc ? gmtime_s(&parts, &t) : localtime_s(&parts, &t);
#else
    utc ? gmtime_r(&t, &parts) : localtime_r(&t, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, utc ? "%Y-%m-%dT%H:%M:%SZ" : "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string hexBytes(const Bytes& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

// "weapons[4] (Sword 4): Attack 98 -> 120; ..."
std::string stepText(const SaveEntry& save)
{
    std::string text;
    for (const SavedRecord& r : save.records) {
        if (!text.empty())
            text += "; ";
        text += std::string(r.table->key) + "[" + std::to_string(r.index) + "]";
        if (!save.entryLabel.empty())
            text += " (" + save.entryLabel + ")";
        text += ": " + describeChanges(*r.table, r.before, r.after);
    }
    return text;
}

// The image named on the command line, refused when it is no image of the game.
RomImage imageArgument(const std::string& path)
{
    RomImage image(pathFromUtf8(path));
    if (Status identified = image.check(); !identified)
        failRefused(identified.error());
    return image;
}

void tellNotes(CommandIo& io, const ImageHistory& history)
{
    for (const std::string& note : history.notes())
        io.err << "veldra-cli: " << note << "\n";
    if (!history.outsideNote().empty())
        io.err << "veldra-cli: " << history.outsideNote() << "\n";
}

class HistoryCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("history", "List the saves kept in the image's journal, newest first, "
                                                      "each marked in effect or undone; by windows and the tool alike.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_flag("--json", m_json, "As a JSON object");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const RomImage image = imageArgument(m_image);
        ImageHistory history;
        history.open(image.path());
        tellNotes(io, history);
        const auto journal = history.journalFile();
        if (!journal)
            io.err << "veldra-cli: the history of " << m_image << " is turned off (or has no data folder): nothing is kept for it\n";
        const auto entries = history.history().entries();
        const std::size_t applied = history.history().applied();
        if (m_json) {
            Json saves = Json::array();
            for (std::size_t i = entries.size(); i-- > 0;) {
                const SaveEntry& save = entries[i];
                Json records = Json::array();
                for (const SavedRecord& r : save.records)
                    records.push_back({{"table", std::string(r.table->key)},
                                       {"index", r.index},
                                       {"changes", describeChanges(*r.table, r.before, r.after)},
                                       {"before", hexBytes(r.before)},
                                       {"after", hexBytes(r.after)}});
                saves.push_back({{"number", i + 1},
                                 {"time", timeText(save.time, true)},
                                 {"source", save.source},
                                 {"label", save.entryLabel},
                                 {"in_effect", i < applied && history.held(i)},
                                 {"held", history.held(i)},
                                 {"records", std::move(records)}});
            }
            Json notes = Json::array();
            for (const std::string& note : history.notes())
                notes.push_back(note);
            if (!history.outsideNote().empty())
                notes.push_back(history.outsideNote());
            const Json all{{"image", m_image},
                           {"journal", journal ? Json(pathToUtf8(*journal)) : Json(nullptr)},
                           {"folded", history.folded()},
                           {"in_effect", applied},
                           {"saves", std::move(saves)},
                           {"notes", std::move(notes)}};
            io.out << all.dump(2) << "\n";
            return kExitDone;
        }
        for (std::size_t i = entries.size(); i-- > 0;) {
            const SaveEntry& save = entries[i];
            io.out << (i + 1) << "  " << timeText(save.time, false) << "  " << (i >= applied ? "undone   " : history.held(i) ? "in effect" : "not held ")
                   << "  " << save.source << "  " << stepText(save) << "\n";
        }
        if (entries.empty() && journal)
            io.err << "veldra-cli: no saves are kept for " << m_image << "\n";
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli history IMAGE [--json]"; }

private:
    std::string m_image;
    bool m_json = false;
};

class StepCommand : public Command {
public:
    explicit StepCommand(bool undo) : m_undo(undo) {}

    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = m_undo ? app.add_subcommand("undo", "Take back the latest save in effect (of a window or the "
                                                            "tool), refused when its records have changed since.")
                               : app.add_subcommand("redo", "Make again the latest save undone, refused when its "
                                                            "records have changed since it was undone.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        return sub;
    }

    int run(CommandIo& io) override
    {
        const RomImage image = imageArgument(m_image);
        ImageHistory history;
        history.open(image.path());
        if (!history.journalFile())
            failRefused("the history of " + m_image + " is turned off (or has no data folder): there is nothing to "
                        + std::string(m_undo ? "undo" : "redo") + "; nothing was written");
        const std::string source = m_undo ? "veldra-cli undo" : "veldra-cli redo";
        const auto moved = m_undo ? history.undo(image, source) : history.redo(image, source);
        tellNotes(io, history);
        if (!moved)
            failRefused(moved.error());
        const std::size_t number = m_undo ? history.history().applied() + 1 : history.history().applied();
        io.written = std::string(m_undo ? "save " : "save ") + std::to_string(number) + (m_undo ? " was undone in " : " was redone in ")
                     + m_image;
        io.out << (m_undo ? "undid " : "redid ") << number << ": " << (*moved)->source << "  " << stepText(**moved) << "\n";
        return kExitDone;
    }

    std::string usage() const override { return m_undo ? "veldra-cli undo IMAGE" : "veldra-cli redo IMAGE"; }

private:
    bool m_undo;
    std::string m_image;
};

}  // namespace

std::unique_ptr<Command> makeHistoryCommand() { return std::make_unique<HistoryCommand>(); }
std::unique_ptr<Command> makeUndoCommand() { return std::make_unique<StepCommand>(true); }
std::unique_ptr<Command> makeRedoCommand() { return std::make_unique<StepCommand>(false); }
