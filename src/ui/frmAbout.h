#pragma once
// The About box: program name, version and makers.

#include <QDialog>

class QLabel;

namespace kolt::ui {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    QLabel* lblVersion() const { return m_lblVersion; }

private:
    QLabel* m_lblVersion;
};

} // namespace kolt::ui
