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

    struct HeaderOffer {
        bool headered = false;  // the file is the game's image behind a copier header
        QString copy;           // the copy written without it; empty when none was
    };
    // Asks whether to write a copy of a headered image without its header, to
    // be loaded in its place. The copy is empty when the file has no copier
    // header, the user declines or cancels, or the copy fails (the user was
    // told why).
    HeaderOffer offerCopyWithoutHeader(const QString& path);

private:
    // Asks whether to write a copy of the headered `path` without its header,
    // ending the question with `then`; the copy's path, or an empty string.
    QString writeCopyWithoutHeader(const QString& path, const QString& then);
    void tell(const QString& text);

    EditorHost& m_host;
    QWidget* m_window;
    LoadImage m_loadImage;
};
