#include "app/output_file.h"

#include "editors/common/platform.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Why an output named `path` must not be written, or an empty string.
QString keptFileRefusal(const OutputRequest& request, const QString& path)
{
    for (const OutputRequest::Kept& kept : request.kept) {
        // sameFile compares device and inode: another spelling, a hard link
        // and a symlink all lead to the same file
        if (kept.path.isEmpty() || !sameFile(path.toStdString(), kept.path.toStdString()))
            continue;
        if (QFileInfo(path).absoluteFilePath() == QFileInfo(kept.path).absoluteFilePath())
            return QStringLiteral("%1 is %2.").arg(shown(path), kept.role);
        return QStringLiteral("%1 is %2, %3, under another name.").arg(shown(path), kept.role, shown(kept.path));
    }
    return {};
}

// An existing thing that is no regular file is never replaced: renaming over
// it would turn a pipe or a device into a plain file.
QString kindRefusal(const QString& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path.toStdString(), ec);
    if (!fs::exists(status) || fs::is_regular_file(status))
        return {};
    if (fs::is_directory(status))
        return QStringLiteral("%1 is a folder.").arg(shown(path));
    return QStringLiteral("%1 is not a regular file (a named pipe or a device) and is never replaced.").arg(shown(path));
}

bool exists(const QString& path)
{
    std::error_code ec;
    // a symlink counts, even one that leads nowhere: it is what would be replaced
    return fs::exists(fs::symlink_status(path.toStdString(), ec));
}

}  // namespace

std::optional<OutputChoice> chooseOutputFile(Platform& platform, QWidget* parent, const OutputRequest& request)
{
    for (;;) {
        const QString chosen = platform.chooseSaveFile(parent, request.caption, request.filters, request.selectedFilter);
        if (chosen.isEmpty())
            return std::nullopt;  // Cancel writes nothing and says nothing
        const QString path = request.complete ? request.complete(chosen) : chosen;
        // the name chosen counts too: a user who picks the image being edited
        // as a patch's name is told, not given "sample.sfc.bps"
        QString why = keptFileRefusal(request, chosen);
        if (why.isEmpty())
            why = keptFileRefusal(request, path);
        if (why.isEmpty())
            why = kindRefusal(path);
        if (!why.isEmpty()) {
            platform.showMessage(parent, request.refusal + QStringLiteral(": ") + why
                                             + QStringLiteral(" Choose another name."));
            return std::nullopt;
        }
        if (!exists(path))
            return OutputChoice{path, Existing::Refuse};
        // No goes back to the dialog, as a save dialog's own question does
        if (platform.ask(parent, QStringLiteral("%1 already exists. Replace it?").arg(shown(path))))
            return OutputChoice{path, Existing::Replace};
    }
}
