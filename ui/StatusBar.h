#pragma once
// The office-style status bar: panels that are either plain (their design text, or a gauge)
// or owner-drawn message panels painted from the three status slots.
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class QPainter;

class TStatusBar final : public QWidget {
    Q_OBJECT
public:
    enum class PanelStyle { Text, Gauge, OwnerDraw };
    struct Panel {
        int width = 50;
        Qt::Alignment alignment = Qt::AlignLeft;
        QString text;             // design text, shown while the panel is plain text
        PanelStyle style = PanelStyle::Text;
        int gaugeValue = 0;       // 0..100 while the panel is a gauge
        bool button = false;      // a button panel shifts every slot one panel right
        bool darker = false;      // the styler's darker panel look
    };

    explicit TStatusBar(QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(m_panels.size()); }
    void AddPanel(const Panel& panel);
    // Throws AppError("List index out of bounds (n)") for a panel that does not exist.
    Panel& PanelAt(int index);
    const Panel& PanelAt(int index) const;
    // Changing the style repaints the panel, as the toolkit's bar does.
    void SetPanelStyle(int index, PanelStyle style);
    QRect PanelRect(int index) const;

    // Called for every owner-drawn panel the bar paints.
    std::function<void(QPainter&, int panel, const QRect&)> onDrawPanel;

protected:
    void paintEvent(class QPaintEvent* event) override;

private:
    QList<Panel> m_panels;
};

// Puts a message of a kind ("Msg", "Info", "Error", "Warn") into slot 1..3 and has its panel
// drawn as a message; pending events then run so it paints at once.
void ShowStatusMessage(const QString& kind, const QString& text, TStatusBar* bar, int slot);
// Returns the slot's panel to plain text (its design text).
void ClearStatusPanel(TStatusBar* bar, int slot);
// Paints one owner-drawn panel from its slot: background, text colour and icon of the kind.
void DrawStatusPanel(TStatusBar* bar, QPainter& painter, int panel, const QRect& rect);
