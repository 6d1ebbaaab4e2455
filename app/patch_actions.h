#pragma once

#include <QObject>
#include <QString>

#include <functional>

class EditorHost;
class QAction;
class QMenu;
class QWidget;

// File > Create Patch..., Apply Patch... and Image Info..., and the offer to
// write a copy without copier header when a headered image is loaded. The
// main window hands over its File menu and its way of loading an image.
class PatchActions : public QObject {
    Q_OBJECT
public:
    using LoadImage = std::function<void(const QString& path)>;

    PatchActions(EditorHost& host, QWidget* window, LoadImage loadImage);

    // Adds the three actions to the menu, before `before` (or at its end).
    void addTo(QMenu* file, QAction* before = nullptr);

    void CreatePatch_Click();
    void ApplyPatch_Click();
    void ImageInfo_Click();

    // Asks whether to write a copy of a headered image without its header;
    // the copy's path, or an empty string when the file has no copier header,
    // the user declines or the copy fails (the user was told why).
    QString offerCopyWithoutHeader(const QString& path);

private:
    void tell(const QString& text);

    EditorHost& m_host;
    QWidget* m_window;
    LoadImage m_loadImage;
};
