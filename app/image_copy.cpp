#include "app/image_copy.h"

#include "app/output_file.h"
#include "editors/common/platform.h"
#include "rom/files.h"
#include "rom/rom_image.h"

#include <QDir>
#include <QFileInfo>

void saveImageCopy(QWidget* parent, Platform& platform, const QString& romPath)
{
    if (romPath.isEmpty())
        return;
    OutputRequest request;
    request.caption = QStringLiteral("Save a Copy As");
    request.filters = QStringLiteral("ROM images (*.sfc *.smc);;All files (*)");
    request.refusal = QStringLiteral("No copy was written");
    request.kept = {{romPath, QStringLiteral("the image being edited")}};
    const auto chosen = chooseOutputFile(platform, parent, request);
    if (!chosen)
        return;
    // read as every editor reads: a file that is no longer the game is not copied
    const auto bytes = RomImage(romPath.toStdString()).readAll();
    if (!bytes) {
        platform.showMessage(parent, QStringLiteral("No copy was written: ") + QString::fromStdString(bytes.error()));
        return;
    }
    const Status written = writeNewFile(chosen->path.toStdString(), *bytes, chosen->existing);
    if (!written) {
        platform.showMessage(parent, QStringLiteral("No copy was written: ") + QString::fromStdString(written.error()));
        return;
    }
    platform.showMessage(parent, QStringLiteral("A copy of %1 was written to %2. You are still editing %1.")
                                     .arg(QFileInfo(romPath).fileName(), QDir::toNativeSeparators(chosen->path)));
}
