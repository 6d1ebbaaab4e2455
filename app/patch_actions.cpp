#include "app/patch_actions.h"

#include "app/image_info_window.h"
#include "editors/common/editor_host.h"
#include "editors/common/platform.h"
#include "rom/files.h"
#include "rom/image_facts.h"
#include "rom/image_jobs.h"
#include "rom/patch_jobs.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

namespace {

const QString kImageFilter = QStringLiteral("ROM images (*.sfc *.smc *.bin);;All files (*)");
const QString kBpsFilter = QStringLiteral("BPS patches (*.bps)");
const QString kIpsFilter = QStringLiteral("IPS patches (*.ips)");
const QString kPatchFilter = QStringLiteral("Patches (*.bps *.ips);;All files (*)");

std::string local(const QString& path) { return path.toStdString(); }
QString fromCore(const std::string& text) { return QString::fromStdString(text); }
QString fileName(const QString& path) { return QFileInfo(path).fileName(); }
QString count(std::uint64_t n)
{
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions({});
    return grouped.toString(qulonglong(n));
}

}  // namespace

PatchActions::PatchActions(EditorHost& host, QWidget* window, LoadImage loadImage)
    : QObject(window), m_host(host), m_window(window), m_loadImage(std::move(loadImage))
{
}

void PatchActions::addTo(QMenu* file, QAction* before)
{
    auto add = [&](const QString& name, const QString& text, void (PatchActions::*handler)()) {
        auto* action = new QAction(text, file);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        file->insertAction(before, action);
    };
    add(QStringLiteral("CreatePatch"), QStringLiteral("Create Patch..."), &PatchActions::CreatePatch_Click);
    add(QStringLiteral("ApplyPatch"), QStringLiteral("Apply Patch..."), &PatchActions::ApplyPatch_Click);
    add(QStringLiteral("ImageInfo"), QStringLiteral("Image Info..."), &PatchActions::ImageInfo_Click);
    file->insertSeparator(before);
}

void PatchActions::CreatePatch_Click()
{
    const QString modified = m_host.romPath();
    if (modified.isEmpty()) {
        tell(QStringLiteral("Load your modified image first: the patch carries what it changes from the original."));
        return;
    }
    Platform& platform = m_host.platform();
    const QString original = platform.chooseOpenFile(m_window, QStringLiteral("Choose the Original Image"), kImageFilter);
    if (original.isEmpty())
        return;
    QString output = platform.chooseSaveFile(m_window, QStringLiteral("Save Patch"), kBpsFilter + QStringLiteral(";;") + kIpsFilter,
                                             kBpsFilter);
    if (output.isEmpty())
        return;
    // the dialog asked before replacing the name it returned; a name we
    // complete ourselves is new or refused
    Existing existing = Existing::Replace;
    auto format = patchFormatFromExtension(local(output));
    if (!format) {
        output += QStringLiteral(".bps");
        format = PatchFormat::Bps;
        existing = Existing::Refuse;
    }
    const auto made = createPatchFile(local(original), local(modified), local(output), *format, existing);
    if (!made) {
        tell(fromCore(made.error()));
        return;
    }
    tell(QStringLiteral("Wrote %1: %2 bytes, %3 changed %4 (from %5 to %6).")
             .arg(fileName(output), count(made->size), count(made->changedRuns),
                  made->changedRuns == 1 ? QStringLiteral("run") : QStringLiteral("runs"), fileName(original),
                  fileName(modified)));
}

void PatchActions::ApplyPatch_Click()
{
    Platform& platform = m_host.platform();
    const QString patch = platform.chooseOpenFile(m_window, QStringLiteral("Choose a Patch"), kPatchFilter);
    if (patch.isEmpty())
        return;
    const QString image = platform.chooseOpenFile(m_window, QStringLiteral("Choose the Image to Patch"), kImageFilter);
    if (image.isEmpty())
        return;
    const QString output = platform.chooseSaveFile(m_window, QStringLiteral("Save the Patched Image"), kImageFilter);
    if (output.isEmpty())
        return;
    const auto applied = applyPatchFile(local(image), local(patch), local(output), Existing::Replace);
    if (!applied) {
        tell(fromCore(applied.error()));
        return;
    }
    if (platform.ask(m_window, QStringLiteral("Wrote %1 (%2 bytes). Load the patched image now?")
                                   .arg(fileName(output), count(applied->size))))
        m_loadImage(output);
}

void PatchActions::ImageInfo_Click()
{
    // the image being edited; before one is loaded, any file the user names
    QString path = m_host.romPath();
    if (path.isEmpty())
        path = m_host.platform().chooseOpenFile(m_window, QStringLiteral("Choose a File to Inspect"), kImageFilter);
    if (path.isEmpty())
        return;
    if (auto* window = qobject_cast<ImageInfoWindow*>(m_host.showWindow(QStringLiteral("ImageInfo"))))
        window->showFacts(path);
}

QString PatchActions::offerCopyWithoutHeader(const QString& path)
{
    const auto bytes = readWholeFile(local(path));
    if (!bytes || !hasCopierHeader(*bytes))
        return {};
    Platform& platform = m_host.platform();
    if (!platform.ask(m_window, QStringLiteral("%1 carries a 512-byte copier header in front of the image. "
                                               "Write a copy without it and load that copy? The file itself "
                                               "stays as it is.")
                                    .arg(fileName(path))))
        return {};
    const QString copy = platform.chooseSaveFile(m_window, QStringLiteral("Save a Copy Without the Copier Header"),
                                                 kImageFilter);
    if (copy.isEmpty())
        return {};
    if (Status written = stripHeaderFile(local(path), local(copy), Existing::Replace); !written) {
        tell(fromCore(written.error()));
        return {};
    }
    return copy;
}

void PatchActions::tell(const QString& text) { m_host.platform().showMessage(m_window, text); }
