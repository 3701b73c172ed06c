#pragma once
// The text entry dialog. With Tag 1 it is the comment entry of the main
// window: it starts with the text of the main window's comment field and
// writes its text back there on OK.

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TMDialogBox : public QDialog {
    Q_OBJECT
public:
    explicit TMDialogBox(QWidget* parent = nullptr);

    int Tag = 0;                     // 1: comment entry
    QPointer<QLineEdit> CommentEdit;  // the main window's comment field, set by the main window

    QGroupBox* GroupBox;
    QLabel* DlgBoxLabel;
    QLineEdit* DlgBoxEdit;
    QPushButton* DlgBoxOK;
    QPushButton* DlgBoxCancel;

    static constexpr int CommentMaxLength = 250;

    void FormShow();
    void DlgBoxOKClick();
    void DlgBoxCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
};
