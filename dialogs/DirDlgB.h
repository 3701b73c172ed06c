#pragma once
// The preferences dialog: the setup, acquisition and data output directories.
// Browse opens the directory selection on the field that last had the focus.

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

class TMDirectories : public QDialog {
    Q_OBJECT
public:
    explicit TMDirectories(QWidget* parent = nullptr);

    QGroupBox* GroupBox;
    QLineEdit* SetupDirEdit;
    QLineEdit* AcqDirEdit;
    QLineEdit* DOutDirEdit;
    QPushButton* OKBtn;
    QPushButton* BrowseBtn;
    QPushButton* CancelBtn;

    // Which field last received the focus: 1 setup, 2 acquisition, 3 data output, 0 none yet.
    int FocusedDirEdit = 0;

    void SetupDirEditEnter();
    void AcqDirEditEnter();
    void DOutDirEditEnter();
    void BrowseBtnClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FocusedEdit() const;
};
