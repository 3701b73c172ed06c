#pragma once
// The directory selection the program shows: Qt's own directory dialog, which
// also takes the name of a directory that does not exist yet and creates it
// after asking. (Qt's dialog alone refuses such a name, and a native one
// cannot be asked the question.)

#include <QFileDialog>

class TDirectoryDialog : public QFileDialog {
    Q_OBJECT
public:
    TDirectoryDialog(QWidget* parent, const QString& initial);

protected:
    void accept() override;
};
