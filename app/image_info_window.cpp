#include "app/image_info_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/save_log.h"
#include "rom/image_facts_text.h"
#include "rom/image_jobs.h"
#include "rom/platform/path_text.h"

#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ImageInfoWindow::ImageInfoWindow(EditorHost& host) : m_host(host)
{
    setObjectName(QStringLiteral("ImageInfo"));
    setWindowTitle(QStringLiteral("Image Info"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("File"));
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_file);
    m_facts = new QFormLayout;
    layout->addLayout(m_facts);
    m_fix = new QPushButton(QStringLiteral("Fix Checksum"), this);
    m_fix->setObjectName(QStringLiteral("FixChecksum"));
    m_fix->setToolTip(QStringLiteral("Writes the computed checksum and its complement into the image (4 bytes)"));
    layout->addWidget(m_fix, 0, Qt::AlignRight);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("bar"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    connect(m_fix, &QPushButton::clicked, this, &ImageInfoWindow::FixChecksum_Click);
}

void ImageInfoWindow::showFacts(const QString& path)
{
    m_path = path;
    m_status->clear();
    refresh();
}

void ImageInfoWindow::FixChecksum_Click()
{
    // only the image being edited is written, and only when it is the one shown
    const QString loaded = m_host.romPath();
    if (loaded.isEmpty()) {
        m_status->setText(QStringLiteral("Nothing was written: Fix Checksum writes only the image being edited; "
                                         "load one first."));
        return;
    }
    if (loaded != m_path) {
        refresh();
        m_status->setText(QStringLiteral("Nothing was written: the window shows %1 now, the image being edited.")
                              .arg(loaded));
        return;
    }
    // a step of the image's history, as the tool's checksum --fix is
    const auto fixed = m_host.saveLog().fixChecksum(pathFromUtf8(loaded.toStdString()), "Image Info");
    refresh();
    if (!fixed) {
        m_status->setText(QString::fromStdString(fixed.error()));
        return;
    }
    m_status->setText(QStringLiteral("Wrote the checksum %1 (it was %2).")
                          .arg(QString::fromStdString(hexWord(fixed->after)), QString::fromStdString(hexWord(fixed->before))));
}

bool ImageInfoWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !(m_path.isEmpty() && m_host.romPath().isEmpty()))
        refresh();
    return QWidget::event(event);
}

void ImageInfoWindow::refresh()
{
    // the image being edited, whichever was shown before
    const QString loaded = m_host.romPath();
    if (!loaded.isEmpty() && loaded != m_path) {
        m_path = loaded;
        m_status->clear();
    }
    while (m_facts->rowCount() > 0)
        m_facts->removeRow(0);
    m_file->setText(m_path);
    const auto facts = readImageFacts(m_path.toStdString());
    if (!facts) {
        m_fix->setEnabled(false);
        m_status->setText(QString::fromStdString(facts.error()));
        return;
    }
    for (const FactLine& line : factLines(*facts)) {
        auto* value = new QLabel(QString::fromStdString(line.text), this);
        value->setObjectName(QString::fromStdString(line.label).remove(QLatin1Char(' ')));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_facts->addRow(QString::fromStdString(line.label) + QLatin1Char(':'), value);
    }
    // only an image of the game is fixed, and only the one being edited; the
    // sum of another file is no business of ours
    const bool stale = facts->identityOk && facts->header && !facts->checksumOk;
    const bool editing = !loaded.isEmpty();
    m_fix->setEnabled(stale && editing);
    if (stale && !editing)
        m_status->setText(QStringLiteral("Fix Checksum writes only the image being edited: load this file to fix it."));
}
