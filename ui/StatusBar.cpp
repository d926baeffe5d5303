// The office-style status bar and the coloured status messages painted into its panels.
#include "StatusBar.h"

#include "AppError.h"
#include "DataSYS.h"
#include "TsData.h"

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kPanelGap = 2;

// Every message panel has a stand-in child that carries the text the panel shows, so screen
// readers and UI automation read what is painted. It paints nothing and takes no clicks.
QLabel* makeAccessibleStandIn(QWidget* bar, int index) {
    auto* standIn = new QLabel(bar);
    standIn->setObjectName(QStringLiteral("panel%1").arg(index));
    standIn->setAttribute(Qt::WA_TransparentForMouseEvents);
    standIn->setFocusPolicy(Qt::NoFocus);
    standIn->show();
    return standIn;
}

// Panel 1 as a button panel moves every slot one panel to the right.
int basePanel(const TStatusBar* bar) {
    return bar->PanelCount() > 1 && bar->PanelAt(1).button ? 2 : 1;
}

int panelOfSlot(const TStatusBar* bar, int slot) {
    return basePanel(bar) == 2 ? slot + 1 : slot;
}

// The slot painted in a panel, 0 when the panel shows none.
int slotOfPanel(const TStatusBar* bar, int panel) {
    const int slot = panel - basePanel(bar) + 1;
    return slot >= 1 && slot <= 3 ? slot : 0;
}

QString slotKind(int slot) {
    switch (slot) {
    case 1:
        return sStatusKind1;
    case 2:
        return sStatusKind2;
    case 3:
        return sStatusKind3;
    default:
        return {};
    }
}

QString slotText(int slot) {
    switch (slot) {
    case 1:
        return sStatusText1;
    case 2:
        return sStatusText2;
    case 3:
        return sStatusText3;
    default:
        return {};
    }
}

// What a panel shows, for assistive technology.
QString shownText(const TStatusBar* bar, int index) {
    const TStatusBar::Panel& panel = bar->PanelAt(index);
    switch (panel.style) {
    case TStatusBar::PanelStyle::Text:
        return panel.text;
    case TStatusBar::PanelStyle::Gauge:
        return QStringLiteral("Progress %1%").arg(panel.gaugeValue);
    case TStatusBar::PanelStyle::OwnerDraw:
        return slotText(slotOfPanel(bar, index));
    }
    return {};
}

} // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(21);
    setAccessibleName(QStringLiteral("Status bar"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(234, 240, 249));
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::AlternateBase, QColor(201, 216, 238));
    pal.setColor(QPalette::Mid, QColor(141, 166, 206));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
}

void TStatusBar::AddPanel(const Panel& panel) {
    m_panels.append(panel);
    const int index = PanelCount() - 1;
    QLabel* standIn = makeAccessibleStandIn(this, index);
    standIn->setGeometry(PanelRect(index));
    standIn->setAccessibleName(shownText(this, index));
    update();
}

TStatusBar::Panel& TStatusBar::PanelAt(int index) {
    if (index < 0 || index >= PanelCount())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_panels[index];
}

const TStatusBar::Panel& TStatusBar::PanelAt(int index) const {
    if (index < 0 || index >= PanelCount())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_panels[index];
}

void TStatusBar::SetPanelStyle(int index, PanelStyle style) {
    PanelAt(index).style = style;
    if (auto* standIn =
            findChild<QLabel*>(QStringLiteral("panel%1").arg(index), Qt::FindDirectChildrenOnly))
        standIn->setAccessibleName(shownText(this, index));
    update(PanelRect(index));
}

QRect TStatusBar::PanelRect(int index) const {
    int x = 0;
    for (int i = 0; i < index && i < PanelCount(); ++i)
        x += m_panels[i].width + kPanelGap;
    const int width = index >= 0 && index < PanelCount() ? m_panels[index].width : 0;
    return QRect(x, 1, width, height() - 2);
}

void TStatusBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());

    const QPalette& pal = palette();
    QLinearGradient back(0, 0, 0, height());
    back.setColorAt(0, pal.color(QPalette::Window).lighter(104));
    back.setColorAt(1, pal.color(QPalette::Window).darker(104));
    painter.fillRect(rect(), back);
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);

    for (int i = 0; i < PanelCount(); ++i) {
        const Panel& panel = m_panels[i];
        const QRect r = PanelRect(i);
        if (!event->region().intersects(r))
            continue;
        const QColor panelColour =
            panel.darker ? pal.color(QPalette::AlternateBase) : pal.color(QPalette::Base);

        painter.save();
        painter.setClipRect(r, Qt::IntersectClip);
        painter.fillRect(r, panelColour);
        switch (panel.style) {
        case PanelStyle::Text: {
            painter.setFont(font());
            painter.setPen(pal.color(QPalette::WindowText));
            const Qt::Alignment horizontal = panel.alignment & Qt::AlignHorizontal_Mask;
            painter.drawText(r.adjusted(4, 0, -4, 0),
                             (horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignVCenter |
                                 Qt::TextSingleLine,
                             panel.text);
            break;
        }
        case PanelStyle::Gauge: {
            const QRect frame = r.adjusted(3, 3, -4, -4);
            painter.setPen(pal.color(QPalette::Mid));
            painter.setBrush(Qt::white);
            painter.drawRect(frame);
            const int value = qBound(0, panel.gaugeValue, 100);
            const int fill = (frame.width() - 1) * value / 100;
            if (fill > 0) {
                QLinearGradient g(0, frame.top(), 0, frame.bottom());
                g.setColorAt(0, QColor(140, 200, 120));
                g.setColorAt(1, QColor(60, 150, 50));
                painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, fill, frame.height() - 1),
                                 g);
            }
            break;
        }
        case PanelStyle::OwnerDraw:
            // The handler starts from the panel's own colours: a message of an unknown kind
            // keeps them.
            painter.setFont(font());
            painter.setBrush(panelColour);
            painter.setPen(pal.color(QPalette::WindowText));
            if (onDrawPanel)
                onDrawPanel(painter, i, r);
            break;
        }
        painter.restore();

        // The panel's rule, drawn over whatever the panel painted.
        painter.setPen(pal.color(QPalette::Mid));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        if (panel.button) {
            painter.setPen(Qt::white);
            painter.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
        }
    }

    // Keep the stand-ins' names in step with what was painted, whoever changed the panels.
    for (int i = 0; i < PanelCount(); ++i) {
        auto* standIn =
            findChild<QLabel*>(QStringLiteral("panel%1").arg(i), Qt::FindDirectChildrenOnly);
        if (!standIn)
            continue;
        const QString text = shownText(this, i);
        if (standIn->accessibleName() != text)
            standIn->setAccessibleName(text);
        if (standIn->geometry() != PanelRect(i))
            standIn->setGeometry(PanelRect(i));
    }
}

void ShowStatusMessage(const QString& kind, const QString& text, TStatusBar* bar, int slot) {
    const int panel = panelOfSlot(bar, slot);
    // Going through the plain style first makes the bar repaint even when the panel already
    // shows a message.
    bar->SetPanelStyle(panel, TStatusBar::PanelStyle::Text);
    switch (slot) {
    case 1:
        sStatusKind1 = kind;
        sStatusText1 = text;
        break;
    case 2:
        sStatusKind2 = kind;
        sStatusText2 = text;
        break;
    case 3:
        sStatusKind3 = kind;
        sStatusText3 = text;
        break;
    default:
        break;
    }
    bar->SetPanelStyle(panel, TStatusBar::PanelStyle::OwnerDraw);
    // Paint now, even while the caller is still in its loop.
    QApplication::processEvents();
}

void ClearStatusPanel(TStatusBar* bar, int slot) {
    bar->SetPanelStyle(panelOfSlot(bar, slot), TStatusBar::PanelStyle::Text);
}

void DrawStatusPanel(TStatusBar* bar, QPainter& painter, int panel, const QRect& rect) {
    int icon = TsData::kMainUnknown;

    QFont f = painter.font();
    f.setPointSize(8);
    painter.setFont(f);

    const int slot = slotOfPanel(bar, panel);
    if (slot != 0) {
        const QString kind = slotKind(slot);
        if (kind == QLatin1String("Msg")) {
            painter.setBrush(QColor(0xD5, 0xFF, 0xD5));
            painter.setPen(Qt::black);
            icon = TsData::kMainMsg;
        } else if (kind == QLatin1String("Info")) {
            painter.setBrush(QColor(0xFF, 0xF3, 0x9F));
            painter.setPen(Qt::black);
            icon = TsData::kMainInfo;
        } else if (kind == QLatin1String("Error")) {
            painter.setBrush(QColor(0xFF, 0x00, 0x00));
            painter.setPen(Qt::white);
            icon = TsData::kMainError;
        } else if (kind == QLatin1String("Warn")) {
            painter.setBrush(QColor(0xFF, 0xFF, 0x00));
            painter.setPen(Qt::black);
            icon = TsData::kMainWarn;
        }
        painter.fillRect(rect, painter.brush());
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        painter.drawText(
            QRect(rect.left() + 30, rect.top() + 2, rect.width() - 30, rect.height() - 2),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, slotText(slot));
        painter.restore();
    }

    if (sData && icon < sData->MainImages.size())
        painter.drawPixmap(rect.left() + 6, rect.top() + 2, sData->MainImages.at(icon));
    // Pending events are not run from here: re-entering the event loop in the middle of a
    // paint would let a second paint of the same window start inside this one. The callers
    // that set a message run them right after.
}
