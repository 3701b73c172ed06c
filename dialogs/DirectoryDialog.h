#pragma once
// The directory selection the program shows: Qt's own directory dialog, which
// also takes the name of a directory that does not exist yet and creates it
// after asking. (Qt's dialog alone disables its Choose button for such a
// name, and a native one cannot be asked the question.)

#include <QFileDialog>

class QLineEdit;
class QPushButton;

class TDirectoryDialog : public QFileDialog {
    Q_OBJECT
public:
    TDirectoryDialog(QWidget* parent, const QString& initial);

    QLineEdit* NameEdit() const { return FNameEdit; }
    QPushButton* ChooseButton() const { return FChoose; }

protected:
    void accept() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FNameEdit = nullptr;
    QPushButton* FChoose = nullptr;
};
