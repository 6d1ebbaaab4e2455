// Everything the page asks of the core, in one place. The page holds no rule
// of its own: which tables and fields exist, what a record shows, whether
// typed text can be stored and what it stores, entry names, filters, patches
// and image facts all come from the same functions the windows and the tool
// call. Results go back to the page as JSON text, one call per user action.
//
// The image lives here as bytes (the browser has no files): reads, stores and
// facts work on the buffer directly. The jobs whose checks and messages are
// written for files (identity check on load, strip header, fix checksum,
// patch create and apply) run unchanged on emscripten's in-memory file system,
// under the file's own name, so that they refuse exactly what the tool
// refuses, in the same words.
#include "cli/value_text.h"
#include "rom/chest_contents.h"
#include "rom/edit_plan.h"
#include "rom/entry_filter.h"
#include "rom/entry_names.h"
#include "rom/field_keys.h"
#include "rom/field_lists.h"
#include "rom/field_values.h"
#include "rom/files.h"
#include "rom/formats/patch_format.h"
#include "rom/identity.h"
#include "rom/image_diff.h"
#include "rom/image_facts.h"
#include "rom/image_facts_text.h"
#include "rom/image_jobs.h"
#include "rom/patch_jobs.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using emscripten::val;

namespace {

// the folder of the in-memory file system where jobs find their files
const fs::path kWorkFolder = "/work";

// One step of the changes panel: record bytes put in place (a stored cell, a
// fixed checksum), or the whole image replaced (a patch applied).
struct Step {
    struct Part {
        std::size_t position;
        Bytes before;
        Bytes after;
    };
    std::vector<Part> parts;
    std::optional<Bytes> imageBefore;  // set for a whole-image step
    std::optional<Bytes> imageAfter;
    std::vector<std::string> lines;    // as the tool prints the change
};

struct Session {
    std::string name;  // the file's name as chosen
    Bytes image;       // the image being edited
    Bytes original;    // the image as opened: the source of a patch
    Bytes pending;     // a headered file waiting for the user's answer
    std::vector<Step> steps;
    std::size_t done = 0;  // steps[0, done) are in the image
};

Session session;

std::string text(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json refused(const std::string& reason) { return Json{{"ok", false}, {"reason", reason}}; }

Bytes bytesOf(const val& array)
{
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

val arrayOf(const Bytes& bytes)
{
    // a copy the page owns: the view into the module's memory would move as it grows
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<val>("slice");
}

// A file name as the in-memory file system takes it: the browser gives a bare
// name, but nothing may climb out of the work folder.
fs::path workPath(std::string name)
{
    for (char& c : name)
        if (c == '/' || c == '\\' || c == '\0')
            c = '_';
    if (name.empty() || name == "." || name == "..")
        name = "image";
    // relative names in the jobs' messages name the file alone
    static const bool ready = [] {
        std::error_code ignored;
        fs::create_directories(kWorkFolder, ignored);
        fs::current_path(kWorkFolder, ignored);
        return true;
    }();
    (void)ready;
    return kWorkFolder / name;
}

// A file put into the work folder for one job and taken away after it.
class WorkFile {
public:
    WorkFile(const std::string& name, std::span<const std::uint8_t> bytes) : m_path(workPath(name))
    {
        std::error_code ignored;
        fs::remove(m_path, ignored);
        m_written = writeNewFile(m_path, bytes, Existing::Replace).ok();
    }
    ~WorkFile()
    {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;

    const fs::path& path() const { return m_path; }
    bool written() const { return m_written; }

private:
    fs::path m_path;
    bool m_written = false;
};

// a name for an output that is neither input
std::string outputName(const std::string& base, const std::string& other)
{
    std::string name = base;
    while (name == other || workPath(name) == workPath(other))
        name = "_" + name;
    return name;
}

const KeyedTable* tableByKey(const std::string& key) { return findKeyedTable(key); }

// The text a cell shows: a bit as true/false, a list field by its entry's
// label where one shows it, a name as decoded, anything else as its number.
Json cellValue(const KeyedField& field, std::span<const std::uint8_t> record)
{
    const FieldValue value = readFieldValue(field, record);
    if (const auto* bit = std::get_if<bool>(&value))
        return *bit;
    if (const std::string* label = valueLabel(field, record))
        return *label;
    return plainText(value);
}

Json rowCells(const KeyedTable& table, std::span<const std::uint8_t> record)
{
    Json cells = Json::array();
    for (const KeyedField& field : table.fields)
        cells.push_back(cellValue(field, record));
    return cells;
}

std::vector<std::string> changeLines(const KeyedTable& table, int index, std::span<const std::uint8_t> before,
                                     std::span<const std::uint8_t> after)
{
    std::vector<std::string> lines;
    for (const FieldChange& change : fieldChanges(table, before, after))
        lines.push_back(fieldPath(table, index, *change.field) + ": " + shownText(*change.field, change.before, nullptr)
                        + " -> " + shownText(*change.field, change.after, nullptr));
    return lines;
}

// Puts a step's bytes in place, forwards or backwards. Each part is put back
// only where the image still holds what the step left (or, forwards, what it
// found): nothing else edits the image, so a mismatch is a fault of the page.
bool putStep(const Step& step, bool forwards)
{
    if (step.imageBefore) {
        const Bytes& expected = forwards ? *step.imageBefore : *step.imageAfter;
        if (session.image != expected)
            return false;
        session.image = forwards ? *step.imageAfter : *step.imageBefore;
        return true;
    }
    for (const Step::Part& part : step.parts) {
        const Bytes& expected = forwards ? part.before : part.after;
        if (part.position + expected.size() > session.image.size()
            || !std::equal(expected.begin(), expected.end(), session.image.begin() + long(part.position)))
            return false;
    }
    for (const Step::Part& part : step.parts) {
        const Bytes& bytes = forwards ? part.after : part.before;
        std::copy(bytes.begin(), bytes.end(), session.image.begin() + long(part.position));
    }
    return true;
}

void addStep(Step step)
{
    session.steps.resize(session.done);  // a new change forgets what was undone
    session.steps.push_back(std::move(step));
    session.done = session.steps.size();
}

void accept(const std::string& name, Bytes bytes)
{
    session.name = name;
    session.original = bytes;
    session.image = std::move(bytes);
    session.pending.clear();
    session.steps.clear();
    session.done = 0;
}

// ---- what the page calls ----

// The tables with their fields, in the tool's order and names.
std::string describeTables()
{
    Json out = Json::array();
    for (const KeyedTable& table : keyedTables()) {
        Json fields = Json::array();
        for (const KeyedField& field : table.fields) {
            Json values = nullptr;
            if (field.list != ValueListId::None) {
                values = Json::array();
                for (const ValueListEntry& entry : valueList(field.list))
                    values.push_back(Json{{"value", entry.value}, {"label", entry.label}});
            }
            const char* kind = field.kind == KeyKind::Name ? "name"
                               : field.width == "bit"       ? "bit"
                               : field.kind == KeyKind::ChestType ? "chest-type"
                                                                  : "number";
            fields.push_back(Json{{"key", field.key},
                                  {"label", field.label},
                                  {"kind", kind},
                                  {"width", field.width},
                                  {"min", field.min ? Json(*field.min) : Json(nullptr)},
                                  {"max", field.max ? Json(*field.max) : Json(nullptr)},
                                  {"list", field.list == ValueListId::None ? Json(nullptr) : Json(int(field.list))},
                                  {"values", values},
                                  {"settable", field.settable}});
        }
        Json types = Json::array();
        if (table.table == &tables::chests)
            for (const ChestTypeEntry& type : chestTypes())
                types.push_back(type.name);
        out.push_back(Json{{"key", table.key()},
                           {"caption", tableCaption(*table.table)},
                           {"count", table.table->count},
                           {"chestTypes", types},
                           {"fields", fields}});
    }
    return text(out);
}

// Opens a file as File > Load does: the identity check on the file itself; a
// file with a copier header is held until the user says whether to drop it.
std::string openImage(const std::string& name, const val& array)
{
    Bytes bytes = bytesOf(array);
    Result<std::int32_t> identity = Result<std::int32_t>::failure("");
    {
        // the check reads the 4 bytes at the identity position: the file up to
        // them answers it as the whole file would
        const std::size_t prefix = std::min<std::size_t>(bytes.size(), kIdentityPosition + 4);
        WorkFile file(name, std::span(bytes).first(prefix));
        if (!file.written())
            return text(Json{{"status", "refused"}, {"message", "This is not a Veldra Saga ROM. (it cannot be read)"}});
        identity = readIdentityValue(file.path().filename());  // relative: messages name the file alone
    }
    if (identity && *identity == kIdentityValue) {
        accept(name, std::move(bytes));
        return text(Json{{"status", "ok"}, {"name", name}});
    }
    if (identity && hasCopierHeader(bytes)) {
        session.pending = std::move(bytes);
        return text(Json{{"status", "header"},
                         {"message", name + " carries a 512-byte copier header in front of the image. Load it "
                                            "without the header? The file itself stays as it is."}});
    }
    std::string message = "This is not a Veldra Saga ROM.";
    if (!identity)
        message += " (" + identity.error() + ")";
    return text(Json{{"status", "refused"}, {"message", message}});
}

// The held headered file, without its header, through the tool's strip-header.
std::string dropHeader(const std::string& name)
{
    if (session.pending.empty())
        return text(refused("no file with a copier header is waiting"));
    const std::string outName = outputName("without-header-" + name, name);
    Result<Bytes> stripped = Result<Bytes>::failure("");
    {
        WorkFile in(name, session.pending);
        const fs::path out = workPath(outName);
        if (Status written = stripHeaderFile(in.path().filename(), out.filename(), Existing::Replace); !written)
            return text(refused(written.error()));
        stripped = readWholeFile(out);
        std::error_code ignored;
        fs::remove(out, ignored);
    }
    session.pending.clear();
    if (!stripped)
        return text(refused(stripped.error()));
    if (!isGameImage(*stripped))
        return text(refused("This is not a Veldra Saga ROM."));
    accept(name, std::move(stripped.value()));
    return text(Json{{"ok", true}, {"name", name}});
}

// Every entry of a table: its name as the window's list shows it, and every
// field's shown value. An entry past the end of a short image has no cells.
std::string tableRows(const std::string& key)
{
    const KeyedTable* table = tableByKey(key);
    if (!table)
        return text(refused("no table " + key));
    const RecordReader read = recordsOf(session.image);
    Json names = Json::array();
    Json rows = Json::array();
    for (int i = 0; i < table->table->count; ++i) {
        names.push_back(entryListText(*table->table, i));
        const Result<Bytes> record = read(*table->table, i);
        rows.push_back(record ? rowCells(*table, *record) : Json(nullptr));
    }
    return text(Json{{"ok", true}, {"names", names}, {"rows", rows}});
}

// The entries of a table that pass the filter, by index.
std::string filterRows(const std::string& key, const std::string& filter)
{
    const KeyedTable* table = tableByKey(key);
    if (!table)
        return text(refused("no table " + key));
    Json shown = Json::array();
    for (int i = 0; i < table->table->count; ++i)
        if (entryFilterMatches(filter, entryListText(*table->table, i), i))
            shown.push_back(i);
    return text(shown);
}

// Typed text for one field of one entry, checked and stored as `veldra-cli
// set` stores it. A refusal stores nothing and gives the tool's reason.
std::string storeValue(const std::string& key, int index, const std::string& fieldKey, const std::string& typed)
{
    const KeyedTable* table = tableByKey(key);
    if (!table)
        return text(refused("no table " + key));
    const KeyedField* field = table->find(fieldKey);
    if (!field)
        return text(refused("the " + key + " table has no field " + fieldKey));
    const FieldEdit edit{table, index, field, typed, {}};
    const EditPlan plan = planEdits(std::span<const std::uint8_t>(session.image), std::span(&edit, 1));
    if (!plan.refusals.empty())
        return text(refused(plan.refusals.front().reason));
    Json out{{"ok", true}, {"changed", false}};
    if (!plan.changes.empty()) {
        const RecordChange& change = plan.changes.front();
        const Result<std::uint32_t> position = recordPosition(*change.table->table, change.index);
        if (!position)
            return text(refused(position.error()));
        Step step;
        step.parts.push_back({*position, change.before, change.after});
        step.lines = changeLines(*change.table, change.index, change.before, change.after);
        if (!putStep(step, true))
            return text(refused("the image does not hold what was read; nothing was stored"));
        addStep(std::move(step));
        out["changed"] = true;
    }
    const Result<Bytes> record = recordsOf(session.image)(*table->table, index);
    out["cells"] = record ? rowCells(*table, *record) : Json(nullptr);
    return text(out);
}

// The changes panel: every step, the undone ones marked.
std::string changeList()
{
    Json steps = Json::array();
    for (std::size_t i = 0; i < session.steps.size(); ++i)
        steps.push_back(Json{{"lines", session.steps[i].lines}, {"undone", i >= session.done}});
    return text(Json{{"steps", steps}, {"canUndo", session.done > 0}, {"canRedo", session.done < session.steps.size()}});
}

std::string undoStep()
{
    if (session.done == 0)
        return text(refused("nothing to undo"));
    if (!putStep(session.steps[session.done - 1], false))
        return text(refused("the image no longer holds what this change left; nothing was undone"));
    --session.done;
    return text(Json{{"ok", true}});
}

std::string redoStep()
{
    if (session.done == session.steps.size())
        return text(refused("nothing to redo"));
    if (!putStep(session.steps[session.done], true))
        return text(refused("the image no longer holds what the undo left; nothing was redone"));
    ++session.done;
    return text(Json{{"ok", true}});
}

val imageBytes() { return arrayOf(session.image); }

// A patch from the image as opened to the image as edited, by the tool's
// patch create (both are checked to be images of the game).
val makePatch(const std::string& format, const std::string& patchName)
{
    const auto chosen = patchFormatFromName(format);
    if (!chosen)
        return val(text(refused("no patch format " + format + " (bps or ips)")));
    const std::string originalName = outputName("original-" + session.name, session.name);
    WorkFile original(originalName, session.original);
    WorkFile edited(session.name, session.image);
    const fs::path out = workPath(outputName(outputName(patchName, session.name), originalName));
    const auto made = createPatchFile(original.path().filename(), edited.path().filename(), out.filename(), *chosen,
                                      Existing::Replace);
    if (!made)
        return val(text(refused(made.error())));
    const auto bytes = readWholeFile(out);
    std::error_code ignored;
    fs::remove(out, ignored);
    if (!bytes)
        return val(text(refused(bytes.error())));
    return arrayOf(*bytes);
}

// Applies a BPS or IPS patch to the image being edited, by the tool's patch
// apply with all its checks; the result becomes the image being edited, as one
// step of the changes panel.
std::string applyPatchBytes(const std::string& patchName, const val& array)
{
    const Bytes patch = bytesOf(array);
    const std::string patchFile = outputName(patchName, session.name);
    WorkFile image(session.name, session.image);
    WorkFile patchIn(patchFile, patch);
    const fs::path out = workPath(outputName(outputName("patched-" + session.name, session.name), patchFile));
    const auto applied = applyPatchFile(image.path().filename(), patchIn.path().filename(), out.filename(),
                                        Existing::Replace);
    if (!applied)
        return text(refused(applied.error()));
    auto result = readWholeFile(out);
    std::error_code ignored;
    fs::remove(out, ignored);
    if (!result)
        return text(refused(result.error()));
    if (*result == session.image)
        return text(Json{{"ok", true}, {"changed", false}});
    Step step;
    step.lines.push_back("applied " + patchName);
    const ImageDiff diff = diffImages(session.image, *result);
    for (const FieldDifference& d : diff.fields)
        step.lines.push_back(fieldPath(*d.table, d.index, *d.field) + ": " + shownText(*d.field, d.a, nullptr) + " -> "
                             + shownText(*d.field, d.b, nullptr));
    for (const ByteRun& run : diff.outside)
        step.lines.push_back("bytes " + hexWord(run.first, 6) + ".." + hexWord(run.last, 6) + " outside the tables");
    if (diff.sizesDiffer)
        step.lines.push_back("size: " + std::to_string(session.image.size()) + " -> " + std::to_string(result->size()));
    step.imageBefore = session.image;
    step.imageAfter = std::move(result.value());
    putStep(step, true);
    addStep(std::move(step));
    return text(Json{{"ok", true}, {"changed", true}});
}

// The facts `veldra-cli info` prints, for the image being edited.
std::string imageInfo()
{
    const ImageFacts facts = describeImage(session.image);
    Json lines = Json::array();
    for (const FactLine& line : factLines(facts))
        lines.push_back(Json{{"label", line.label}, {"text", line.text}});
    return text(Json{{"name", session.name}, {"lines", lines}, {"checksumOk", facts.checksumOk}});
}

// Writes the computed checksum and its complement by the tool's checksum
// --fix, as one step of the changes panel.
std::string fixChecksum()
{
    WorkFile file(session.name, session.image);
    const auto fixed = fixChecksumFile(file.path().filename());
    if (!fixed)
        return text(refused(fixed.error()));
    if (!fixed->written)
        return text(Json{{"ok", true}, {"changed", false}, {"message", "matches: nothing written"}});
    const auto after = readWholeFile(file.path());
    if (!after || after->size() != session.image.size())
        return text(refused("the fixed image could not be read back"));
    Step step;
    // the fix writes 4 bytes: complement and checksum
    const std::size_t at = kComplementPosition;
    step.parts.push_back({at, Bytes(session.image.begin() + long(at), session.image.begin() + long(at) + 4),
                          Bytes(after->begin() + long(at), after->begin() + long(at) + 4)});
    Bytes expected = session.image;
    std::copy(step.parts.front().after.begin(), step.parts.front().after.end(), expected.begin() + long(at));
    if (expected != *after)
        return text(refused("the checksum fix changed more than its 4 bytes; nothing was stored"));
    const std::string message = "wrote checksum " + hexWord(fixed->after) + " and complement " + hexWord(fixed->after ^ 0xFFFFu);
    step.lines.push_back("checksum: " + hexWord(fixed->before) + " -> " + hexWord(fixed->after));
    putStep(step, true);
    addStep(std::move(step));
    return text(Json{{"ok", true}, {"changed", true}, {"message", message}});
}

// Files larger than the tool reads are refused before the page reads them.
double inputLimit() { return double(kMaxInputSize); }

std::string tooLarge(const std::string& name)
{
    return "cannot read " + name + ": it is larger than " + std::to_string(kMaxInputSize >> 20)
           + " MiB, far too large for an image or a patch";
}

}  // namespace

EMSCRIPTEN_BINDINGS(veldra_core)
{
    emscripten::function("describeTables", &describeTables);
    emscripten::function("openImage", &openImage);
    emscripten::function("dropHeader", &dropHeader);
    emscripten::function("tableRows", &tableRows);
    emscripten::function("filterRows", &filterRows);
    emscripten::function("storeValue", &storeValue);
    emscripten::function("changeList", &changeList);
    emscripten::function("undoStep", &undoStep);
    emscripten::function("redoStep", &redoStep);
    emscripten::function("imageBytes", &imageBytes);
    emscripten::function("makePatch", &makePatch);
    emscripten::function("applyPatchBytes", &applyPatchBytes);
    emscripten::function("imageInfo", &imageInfo);
    emscripten::function("fixChecksum", &fixChecksum);
    emscripten::function("inputLimit", &inputLimit);
    emscripten::function("tooLarge", &tooLarge);
}
