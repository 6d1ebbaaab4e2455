#include "app/patch_actions.h"

#include "app/image_info_window.h"
#include "app/output_file.h"
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
const QString kBeingEdited = QStringLiteral("the image being edited");

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
    QString original = platform.chooseOpenFile(m_window, QStringLiteral("Choose the Original Image"), kImageFilter);
    if (original.isEmpty())
        return;
    // a patch is made between images without copier header: a headered
    // original is copied without it first, here
    if (const auto bytes = readWholeFile(local(original)); bytes && hasCopierHeader(*bytes)) {
        original = writeCopyWithoutHeader(original, QStringLiteral("make the patch from that copy?"));
        if (original.isEmpty())
            return;
    }
    OutputRequest request;
    request.caption = QStringLiteral("Save Patch");
    request.filters = kBpsFilter + QStringLiteral(";;") + kIpsFilter;
    request.selectedFilter = kBpsFilter;
    request.refusal = QStringLiteral("No patch was written");
    request.kept = {{modified, kBeingEdited}, {original, QStringLiteral("the original image")}};
    // a name without a patch extension is made a BPS patch
    request.complete = [](const QString& name) {
        return patchFormatFromExtension(local(name)) ? name : name + QStringLiteral(".bps");
    };
    const auto output = chooseOutputFile(platform, m_window, request);
    if (!output)
        return;
    const auto format = patchFormatFromExtension(local(output->path));
    const auto made = createPatchFile(local(original), local(modified), local(output->path),
                                      format.value_or(PatchFormat::Bps), output->existing);
    if (!made) {
        tell(fromCore(made.error()));
        return;
    }
    tell(QStringLiteral("Wrote %1: %2 bytes, %3 changed %4 (from %5 to %6).")
             .arg(fileName(output->path), count(made->size), count(made->changedRuns),
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
    OutputRequest request;
    request.caption = QStringLiteral("Save the Patched Image");
    request.filters = kImageFilter;
    request.refusal = QStringLiteral("No patched image was written");
    request.kept = {{m_host.romPath(), kBeingEdited},
                    {image, QStringLiteral("the image to patch")},
                    {patch, QStringLiteral("the patch")}};
    const auto output = chooseOutputFile(platform, m_window, request);
    if (!output)
        return;
    const auto applied = applyPatchFile(local(image), local(patch), local(output->path), output->existing);
    if (!applied) {
        tell(fromCore(applied.error()));
        return;
    }
    if (platform.ask(m_window, QStringLiteral("Wrote %1 (%2 bytes). Load the patched image now?")
                                   .arg(fileName(output->path), count(applied->size))))
        m_loadImage(output->path);
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

PatchActions::HeaderOffer PatchActions::offerCopyWithoutHeader(const QString& path)
{
    const auto bytes = readWholeFile(local(path));
    if (!bytes || !hasCopierHeader(*bytes))
        return {};
    return {true, writeCopyWithoutHeader(path, QStringLiteral("load that copy?"))};
}

QString PatchActions::writeCopyWithoutHeader(const QString& path, const QString& then)
{
    Platform& platform = m_host.platform();
    if (!platform.ask(m_window, QStringLiteral("%1 carries a 512-byte copier header in front of the image. "
                                               "Write a copy without it and %2 The file itself "
                                               "stays as it is.")
                                    .arg(fileName(path), then)))
        return {};
    OutputRequest request;
    request.caption = QStringLiteral("Save a Copy Without the Copier Header");
    request.filters = kImageFilter;
    request.refusal = QStringLiteral("No copy was written");
    request.kept = {{m_host.romPath(), kBeingEdited}, {path, QStringLiteral("the file with the copier header")}};
    const auto copy = chooseOutputFile(platform, m_window, request);
    if (!copy)
        return {};
    if (Status written = stripHeaderFile(local(path), local(copy->path), copy->existing); !written) {
        tell(QStringLiteral("No copy was written: ") + fromCore(written.error()));
        return {};
    }
    return copy->path;
}

void PatchActions::tell(const QString& text) { m_host.platform().showMessage(m_window, text); }
