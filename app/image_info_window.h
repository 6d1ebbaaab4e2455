#pragma once

#include <QWidget>

class EditorHost;
class QFormLayout;
class QLabel;
class QPushButton;

// The facts of one file: size, copier header, identity, internal header and
// checksum, with a button that writes the computed checksum when the stored
// one is stale. It shows the image being edited and follows it when another
// is loaded; before any image is loaded it shows a file the user chose, to
// read only. Read afresh whenever the window comes forward, since the
// editors' saves change the sum.
class ImageInfoWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImageInfoWindow(EditorHost& host);

    // Shows `path`: the image being edited, or while none is loaded any file
    // the user chose (shown, never written).
    void showFacts(const QString& path);
    QString path() const { return m_path; }

    void FixChecksum_Click();

protected:
    bool event(QEvent* event) override;

private:
    void refresh();

    EditorHost& m_host;
    QString m_path;
    QLabel* m_file;
    QFormLayout* m_facts;
    QPushButton* m_fix;
    QLabel* m_status;
};
