#pragma once

#include <QDialog>

// The about box: the program's date and what people contributed. Non-modal.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog();

    void OKButton_Click();
};
