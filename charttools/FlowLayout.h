#pragma once
// A row of widgets that wraps onto further lines when the width runs out,
// so that nothing on a tool bar row is pushed out of sight on a narrow
// window. Items keep their preferred sizes; each line's items are centred
// vertically on the line.

#include <QLayout>
#include <QList>

class TFlowLayout : public QLayout {
public:
    explicit TFlowLayout(QWidget* parent = nullptr, int spacing = 0);
    ~TFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(FItems.size()); }
    QLayoutItem* itemAt(int index) const override { return FItems.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (only measures when `place` is false) and
    // returns the height used.
    int Arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> FItems;
    int FSpacing;
};
