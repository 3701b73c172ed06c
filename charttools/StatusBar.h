#pragma once
// A status bar of labelled text panels in a row, as both windows show it.
// Every panel has a fixed width except the last, which takes the rest of the
// row; panels are sunken frames in an 8 pt font. A panel too narrow for its
// text shows it cut with "…"; its accessible name and tool tip are the whole text.

#include <QString>
#include <QWidget>
#include <vector>

class QHBoxLayout;
class TElidedLabel;

class TStatusBar : public QWidget {
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    void AddPanel(const QString& text, int width);
    int PanelCount() const { return int(FPanels.size()); }
    // An index outside 0..PanelCount()-1 throws EMerilError.
    QString PanelText(int i) const;
    void SetPanelText(int i, const QString& text);
    // The text as the panel draws it at its present width.
    QString ShownPanelText(int i) const;
    // Where panel i sits in this widget, for something shown over it.
    QRect PanelRect(int i) const;

private:
    struct TPanel {
        TElidedLabel* Label;   // owned by this widget
        int Width;
    };
    TElidedLabel* Panel(int i) const;
    QHBoxLayout* FLayout;
    std::vector<TPanel> FPanels;
};
