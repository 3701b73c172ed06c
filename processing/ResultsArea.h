#pragma once
// The texts under the charts (the measurement checks and the fit) in a
// column that asks for their whole height at its present width and scrolls
// only when the window cannot give it that much: wrapped lines take more
// room on a narrow window, and the charts keep theirs.

#include <QScrollArea>

class QVBoxLayout;

class TResultsArea : public QScrollArea {
public:
    // At least `minimumHeight` pixels high, when the texts need that much.
    TResultsArea(QWidget* parent, int minimumHeight);

    QVBoxLayout* Column() const { return FColumn; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QVBoxLayout* FColumn;
    int FMinimumHeight;
};
