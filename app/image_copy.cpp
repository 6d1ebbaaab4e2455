#include "app/image_copy.h"

#include "editors/common/platform.h"
#include "rom/files.h"
#include "rom/rom_image.h"

#include <QDir>
#include <QFileInfo>

void saveImageCopy(QWidget* parent, Platform& platform, const QString& romPath)
{
    if (romPath.isEmpty())
        return;
    const QString chosen = platform.chooseSaveFile(parent, QStringLiteral("Save a Copy As"),
                                                   QStringLiteral("ROM images (*.sfc *.smc);;All files (*)"));
    if (chosen.isEmpty())
        return;  // Cancel writes nothing
    const std::filesystem::path target = chosen.toStdString();
    if (sameFile(target, romPath.toStdString())) {
        platform.showMessage(parent, QStringLiteral("No copy was written: %1 is the image being edited. "
                                                    "Choose another name for the copy.")
                                         .arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    // read as every editor reads: a file that is no longer the game is not copied
    const auto bytes = RomImage(romPath.toStdString()).readAll();
    if (!bytes) {
        platform.showMessage(parent, QStringLiteral("No copy was written: ") + QString::fromStdString(bytes.error()));
        return;
    }
    // the save dialog has asked before an existing file is replaced
    const Status written = writeNewFile(target, *bytes, Existing::Replace);
    if (!written) {
        platform.showMessage(parent, QStringLiteral("No copy was written: ") + QString::fromStdString(written.error()));
        return;
    }
    platform.showMessage(parent, QStringLiteral("A copy of %1 was written to %2. You are still editing %1.")
                                     .arg(QFileInfo(romPath).fileName(), QDir::toNativeSeparators(chosen)));
}
