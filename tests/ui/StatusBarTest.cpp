// Status messages as the user sees them: the painted panels of the main window's bar.
#include "StatusBar.h"
#include "AppError.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {

const QColor kRed(0xFF, 0x00, 0x00);

// The bar as it is painted now, one panel cut out.
QImage panelImage(TStatusBar& bar, int panel) {
    return bar.grab(bar.PanelRect(panel)).toImage().convertToFormat(QImage::Format_RGB32);
}

// The 16 x 16 icon spot of a panel image against the icon drawn over `background`.
bool iconShown(const QImage& panel, const QPixmap& icon, const QColor& background) {
    QImage expected(16, 16, QImage::Format_RGB32);
    expected.fill(background);
    {
        QPainter p(&expected);
        p.drawPixmap(0, 0, icon);
    }
    const QImage spot = panel.copy(6, 2, 16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor a = spot.pixel(x, y), b = expected.pixel(x, y);
            if (qAbs(a.red() - b.red()) > 2 || qAbs(a.green() - b.green()) > 2 ||
                qAbs(a.blue() - b.blue()) > 2)
                return false;
        }
    return true;
}

// How many pixels of the text area (right of the icon) have the colour, within a tolerance.
int pixelsLike(const QImage& panel, const QColor& colour, int tolerance = 40) {
    int n = 0;
    for (int y = 2; y < panel.height() - 2; ++y)
        for (int x = 30; x < panel.width() - 2; ++x) {
            const QColor c = panel.pixel(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance &&
                qAbs(c.green() - colour.green()) <= tolerance &&
                qAbs(c.blue() - colour.blue()) <= tolerance)
                ++n;
        }
    return n;
}

QString accessibleText(TStatusBar& bar, int panel) {
    auto* standIn = bar.findChild<QLabel*>(QStringLiteral("panel%1").arg(panel));
    return standIn ? standIn->accessibleName() : QStringLiteral("<none>");
}

} // namespace

class StatusMessages : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window->layout()->activate();
        bar = window->StatusBar1;
        plain = bar->palette().color(QPalette::Base);
    }
    TStatusBar* bar = nullptr;
    QColor plain;
};

TEST_F(StatusMessages, KindsPaintTheirColoursAndIcons) {
    struct Kind {
        const char* kind;
        QColor background;
        QColor text;
        int icon;
    };
    const Kind kinds[] = {
        {"Msg", QColor(0xD5, 0xFF, 0xD5), Qt::black, 29},
        {"Info", QColor(0xFF, 0xF3, 0x9F), Qt::black, 28},
        {"Error", kRed, Qt::white, 72},
        {"Warn", QColor(0xFF, 0xFF, 0x00), Qt::black, 50},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.kind);
        ShowStatusMessage(k.kind, "Loading the program files", bar, 1);
        EXPECT_EQ(sStatusKind1, k.kind);
        EXPECT_EQ(sStatusText1, "Loading the program files");
        EXPECT_EQ(bar->PanelAt(1).style, TStatusBar::PanelStyle::OwnerDraw);
        const QImage img = panelImage(*bar, 1);
        EXPECT_EQ(QColor(img.pixel(img.width() - 8, img.height() / 2)), k.background);
        EXPECT_GT(pixelsLike(img, k.text), 10);
        EXPECT_TRUE(iconShown(img, sData->MainImages[k.icon], k.background));
        EXPECT_EQ(accessibleText(*bar, 1), "Loading the program files");
    }
}

TEST_F(StatusMessages, ErrorThenClearShowsTheDesignTextAgain) {
    ShowStatusMessage("Error", "Disk full", bar, 1);
    QImage img = panelImage(*bar, 1);
    EXPECT_EQ(QColor(img.pixel(img.width() - 8, img.height() / 2)), kRed);
    EXPECT_GT(pixelsLike(img, Qt::white, 60), 10);

    ClearStatusPanel(bar, 1);
    EXPECT_EQ(bar->PanelAt(1).style, TStatusBar::PanelStyle::Text);
    img = panelImage(*bar, 1);
    EXPECT_EQ(pixelsLike(img, kRed, 60), 0);
    EXPECT_GT(pixelsLike(img, Qt::black, 80), 10);
    EXPECT_EQ(accessibleText(*bar, 1), "CORVANE : Program Release Utility");
    // Clearing leaves the slot as it was.
    EXPECT_EQ(sStatusKind1, "Error");
    EXPECT_EQ(sStatusText1, "Disk full");
}

TEST_F(StatusMessages, KindInAnotherCaseIsUnknown) {
    ShowStatusMessage("info", "lower case", bar, 1);
    const QImage img = panelImage(*bar, 1);
    // The panel keeps its own colours; the icon is the unknown one.
    EXPECT_EQ(QColor(img.pixel(img.width() - 8, img.height() / 2)), plain);
    EXPECT_GT(pixelsLike(img, Qt::black, 80), 10);
    EXPECT_TRUE(iconShown(img, sData->MainImages[49], plain));
    EXPECT_FALSE(iconShown(img, sData->MainImages[28], plain));
    EXPECT_EQ(accessibleText(*bar, 1), "lower case");
}

TEST_F(StatusMessages, ClearingSlotTwoTurnsTheGaugeIntoAnEmptyTextPanel) {
    const QImage gauge = panelImage(*bar, 2);
    const QColor rule = bar->palette().color(QPalette::Mid);
    auto inner = [&](const QImage& img) {
        int n = 0;
        for (int y = 2; y < img.height() - 2; ++y)
            for (int x = 2; x < img.width() - 2; ++x)
                n += QColor(img.pixel(x, y)) != plain;
        return n;
    };
    EXPECT_GT(inner(gauge), 0) << "the empty gauge draws its frame";
    EXPECT_EQ(QColor(gauge.pixel(3, gauge.height() / 2)), rule);

    ClearStatusPanel(bar, 2);
    EXPECT_EQ(bar->PanelAt(2).style, TStatusBar::PanelStyle::Text);
    EXPECT_EQ(inner(panelImage(*bar, 2)), 0);
    EXPECT_EQ(accessibleText(*bar, 2), "");
}

TEST_F(StatusMessages, SlotsOutsideTheBar) {
    // Slot 3 names panel 3, which this bar does not have: raised, nothing stored.
    try {
        ShowStatusMessage("Msg", "third", bar, 3);
        FAIL() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (3)");
    }
    EXPECT_EQ(sStatusText3, "");
    EXPECT_THROW(ClearStatusPanel(bar, 3), AppError);

    // Slot 0 is panel 0: it is redrawn as a message panel, but no slot is stored or painted.
    ShowStatusMessage("Error", "nowhere", bar, 0);
    EXPECT_EQ(sStatusText1, "");
    EXPECT_EQ(sStatusText2, "");
    EXPECT_EQ(sStatusText3, "");
    EXPECT_EQ(pixelsLike(panelImage(*bar, 0), kRed, 60), 0);
}

TEST_F(StatusMessages, ButtonPanelShiftsEverySlotOnePanelRight) {
    TStatusBar shifted;
    shifted.resize(600, 21);
    for (int i = 0; i < 4; ++i) {
        TStatusBar::Panel p;
        p.width = 120;
        p.text = QStringLiteral("design %1").arg(i);
        p.button = i == 1;
        shifted.AddPanel(p);
    }
    shifted.onDrawPanel = [&](QPainter& painter, int panel, const QRect& rect) {
        DrawStatusPanel(&shifted, painter, panel, rect);
    };
    ShowStatusMessage("Error", "shifted", &shifted, 1);
    EXPECT_EQ(shifted.PanelAt(1).style, TStatusBar::PanelStyle::Text);
    EXPECT_EQ(shifted.PanelAt(2).style, TStatusBar::PanelStyle::OwnerDraw);
    const QImage img = panelImage(shifted, 2);
    EXPECT_EQ(QColor(img.pixel(img.width() - 8, img.height() / 2)), kRed);
    EXPECT_EQ(accessibleText(shifted, 2), "shifted");
}

// On screen, not just when asked to paint: a second message into the same slot shows at once,
// and the panel keeps it when the window is resized.
TEST_F(StatusMessages, SecondMessageIsOnScreenAtOnce) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    QScreen* screen = w.screen();
    ASSERT_NE(screen, nullptr);
    auto onScreen = [&] {
        const QRect r = bar->PanelRect(1).translated(bar->mapTo(&w, QPoint(0, 0)));
        return screen->grabWindow(w.winId(), r.x(), r.y(), r.width(), r.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };

    ShowStatusMessage("Msg", "First message", bar, 1);
    const QImage first = onScreen();
    ShowStatusMessage("Msg", "Second message, longer", bar, 1);
    const QImage second = onScreen();
    EXPECT_NE(first, second);
    EXPECT_EQ(second, panelImage(*bar, 1));
    EXPECT_EQ(accessibleText(*bar, 1), "Second message, longer");

    w.resize(1300, 760);
    QTest::qWait(50);
    EXPECT_EQ(onScreen(), second);
}
