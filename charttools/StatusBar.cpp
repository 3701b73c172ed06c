#include "StatusBar.h"

#include "TableIndex.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {
constexpr int PanelFontPoints = 8;
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent), FLayout(new QHBoxLayout(this))
{
    QFont f = font();
    f.setPointSize(PanelFontPoints);
    setFont(f);
    FLayout->setContentsMargins(0, 1, 0, 1);
    FLayout->setSpacing(2);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TStatusBar::AddPanel(const QString& text, int width)
{
    // The last panel stretches over the rest of the row; the one that was
    // last until now keeps its own width.
    if (!FPanels.empty()) {
        const TPanel& previous = FPanels.back();
        previous.Label->setFixedWidth(previous.Width);
        FLayout->setStretchFactor(previous.Label, 0);
    }
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setMargin(1);
    label->setMinimumWidth(width);
    FLayout->addWidget(label, 1);
    FPanels.push_back({label, width});
    SetPanelText(PanelCount() - 1, text);
}

QLabel* TStatusBar::Panel(int i) const
{
    return FPanels[size_t(CheckedIndex(i, 0, PanelCount() - 1, "Status panel"))].Label;
}

QString TStatusBar::PanelText(int i) const
{
    return Panel(i)->text();
}

void TStatusBar::SetPanelText(int i, const QString& text)
{
    QLabel* label = Panel(i);
    label->setText(text);
    label->setAccessibleName(text);
    label->setToolTip(text);     // the whole text where the panel cuts it off
}
