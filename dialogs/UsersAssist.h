#pragma once
// The about box: the program's name and purpose, its version, and while an
// instrument is connected the version of the instrument's control program.

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

class TMUsersAssist : public QDialog {
    Q_OBJECT
public:
    // deviceConnected: the main window's flag, read each time the box is shown.
    explicit TMUsersAssist(const bool& deviceConnected, QWidget* parent = nullptr);

    QGroupBox* GroupBox;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* DevicePrgVerLab;  // the main window sets its text when the instrument identifies itself
    QLabel* Image1;
    QPushButton* OKBtn;

    static QString VersionLine();
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const bool& FDeviceConnected;
};
