#include "StatusBar.h"

#include "ElidedLabel.h"
#include "TableIndex.h"

#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

namespace {
constexpr int PanelFontPoints = 8;
// Panel widths are given for a font of this average character width; they
// grow with the font in use.
constexpr double DesignCharWidth = 5.0;
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
    // Room is shared in proportion to the widths, so that each panel has its
    // width (scaled to the font) once the bar is that wide in all; a narrower
    // bar (an 800 pixel screen) shrinks the panels down to 60 % of it.
    auto* label = new TElidedLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMargin(1);
    const double scale = std::max(1.0, fontMetrics().averageCharWidth() / DesignCharWidth);
    label->setMinimumWidth(int(width * scale * 0.6));
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    FLayout->addWidget(label, width);
    FPanels.push_back({label, width});
    SetPanelText(PanelCount() - 1, text);
}

TElidedLabel* TStatusBar::Panel(int i) const
{
    return FPanels[size_t(CheckedIndex(i, 0, PanelCount() - 1, "Status panel"))].Label;
}

QString TStatusBar::PanelText(int i) const
{
    return Panel(i)->text();
}

void TStatusBar::SetPanelText(int i, const QString& text)
{
    Panel(i)->SetText(text);
}

QString TStatusBar::ShownPanelText(int i) const
{
    return Panel(i)->ShownText();
}

QRect TStatusBar::PanelRect(int i) const
{
    return Panel(i)->geometry();
}
