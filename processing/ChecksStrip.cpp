#include "ChecksStrip.h"

#include <QLabel>
#include <QVBoxLayout>

TChecksStrip::TChecksStrip(QWidget* parent)
    : QFrame(parent), FLayout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("ChecksStrip"));
    setAccessibleName(QStringLiteral("Measurement checks"));
    setFrameShape(QFrame::StyledPanel);
    FLayout->setContentsMargins(4, 1, 4, 1);
    FLayout->setSpacing(0);
}

QStringList TChecksStrip::Lines() const
{
    QStringList lines;
    for (const QLabel* l : FLabels)
        lines << l->text();
    return lines;
}

void TChecksStrip::ShowWarnings(const std::vector<TMeasurementWarning>& warnings)
{
    if (FShown && warnings == FWarnings)
        return;
    FShown = true;
    FWarnings = warnings;
    for (QLabel* l : FLabels)
        delete l;
    FLabels.clear();
    const auto addLine = [this](const QString& text, const QString& name, const QString& colour) {
        auto* l = new QLabel(text, this);
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText);
        l->setStyleSheet(QStringLiteral("color: %1;").arg(colour));
        l->setAccessibleName(name);
        l->setAccessibleDescription(text);
        FLayout->addWidget(l);
        FLabels.push_back(l);
    };
    if (warnings.empty())
        addLine(QStringLiteral("Checks: no warnings."), QStringLiteral("No warnings"), QStringLiteral("#1b6e1b"));
    for (const TMeasurementWarning& w : warnings)
        addLine(QStringLiteral("\u26a0 %1: %2").arg(w.Code, w.Text), w.Code, QStringLiteral("#9a4a00"));
    QStringList codes;
    for (const TMeasurementWarning& w : warnings)
        codes << w.Code;
    setAccessibleDescription(codes.isEmpty() ? QStringLiteral("no warnings") : codes.join(QStringLiteral(", ")));
}
