// The controls of the main window: title band, the four pages, the status bar, the actions
// with their keys and the pop-up menus, and the binding of every control to its handler.
#include "MAIN000.h"
#include "NavBar.h"
#include "StatusBar.h"
#include "TsData.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

const QColor kTitleColour(0x00, 0x40, 0x80);
const QColor kVersionColour(0x3A, 0x5E, 0xA4);
const QColor kHouseBlue(58, 94, 164);

// An event filter that hands the events to a function; true from the function eats the event.
class EventHook final : public QObject {
  public:
    using Hook = std::function<bool(QObject*, QEvent*)>;
    EventHook(QObject* parent, Hook hook) : QObject(parent), m_hook(std::move(hook)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return m_hook(watched, event) || QObject::eventFilter(watched, event);
    }

  private:
    Hook m_hook;
};

// Letters are upper-cased as they are typed, and in texts the program puts into the field, as
// an upper-case edit control does.
class UpperCaseValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar& c : input)
            c = c.toUpper();
        return Acceptable;
    }
};

// The title with raised lettering: a light copy up and to the left, a dark one down and to the
// right, and the title colour on top.
class EmbossedLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font());
        const QRect r = contentsRect();
        const int flags = static_cast<int>(alignment()) | Qt::TextSingleLine;
        p.setPen(QColor(255, 255, 255, 230));
        p.drawText(r.translated(-1, -1), flags, text());
        p.setPen(QColor(0, 24, 56, 150));
        p.drawText(r.translated(1, 1), flags, text());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, flags, text());
    }
};

// Tabs of a fixed height, whatever the style would make of them.
class FixedHeightTabBar final : public QTabBar {
  public:
    explicit FixedHeightTabBar(int height, QWidget* parent = nullptr)
        : QTabBar(parent), m_height(height) {}

  protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setHeight(m_height);
        return size;
    }
    QSize minimumTabSizeHint(int index) const override {
        QSize size = QTabBar::minimumTabSizeHint(index);
        size.setHeight(m_height);
        return size;
    }

  private:
    int m_height;
};

class PageControl final : public QTabWidget {
  public:
    explicit PageControl(int tabHeight, QWidget* parent = nullptr) : QTabWidget(parent) {
        setTabBar(new FixedHeightTabBar(tabHeight, this));
    }
};

// The glowing command button: rounded, a soft gradient that warms up under the mouse, the
// icon at the left and the caption wrapped onto a second line when it does not fit.
class GlowButton final : public QPushButton {
  public:
    GlowButton(const QString& text, QWidget* parent, int radius = 3)
        : QPushButton(text, parent), m_radius(radius) {
        setAttribute(Qt::WA_Hover);
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void enterEvent(QEnterEvent* event) override {
        QPushButton::enterEvent(event);
        update();
    }
    void leaveEvent(QEvent* event) override {
        QPushButton::leaveEvent(event);
        update();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

        QColor top(255, 255, 255), bottom(214, 226, 243), border(141, 166, 206);
        if (!isEnabled()) {
            top = QColor(245, 245, 245);
            bottom = QColor(225, 225, 225);
            border = QColor(180, 180, 180);
        } else if (isDown()) {
            top = QColor(255, 208, 106);
            bottom = QColor(247, 181, 49);
            border = QColor(194, 137, 30);
        } else if (underMouse()) {
            top = QColor(255, 249, 222);
            bottom = QColor(255, 218, 122);
            border = QColor(229, 177, 58);
        }
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, top);
        g.setColorAt(0.5, top.darker(103));
        g.setColorAt(0.51, bottom.lighter(104));
        g.setColorAt(1, bottom);
        p.setPen(QPen(hasFocus() ? kHouseBlue : border, hasFocus() ? 1.6 : 1.0));
        p.setBrush(g);
        p.drawRoundedRect(frame, m_radius, m_radius);

        QRect content = rect().adjusted(6, 3, -6, -3);
        if (!icon().isNull()) {
            const QSize size = iconSize();
            const QRect iconRect(content.left() + 2, rect().center().y() - size.height() / 2 + 1,
                                 size.width(), size.height());
            icon().paint(&p, iconRect, Qt::AlignCenter,
                         isEnabled() ? QIcon::Normal : QIcon::Disabled);
            content.setLeft(iconRect.right() + 6);
        }
        p.setFont(font());
        p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : QColor(140, 140, 140));
        p.drawText(content, Qt::AlignCenter | Qt::TextWordWrap, text());
    }

  private:
    int m_radius;
};

QFont withFamilies(QFont font, const QStringList& families) {
    font.setFamilies(families);
    return font;
}

// Where Tahoma is missing, faces of about its width keep the captions inside their designed
// places.
const QStringList kSansFamilies = {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                                   QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed"),
                                   QStringLiteral("DejaVu Sans")};
const QStringList kSerifFamilies = {QStringLiteral("Times New Roman"),
                                    QStringLiteral("Liberation Serif"),
                                    QStringLiteral("DejaVu Serif")};

// The suite's logo: a blue disc with a white "C" ring around an orange spark.
QPixmap drawLogo() {
    QPixmap pm(63, 63);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(2.5, 2.5, 58, 58);
    QRadialGradient g(QPointF(22, 18), 48);
    g.setColorAt(0, QColor(120, 160, 225));
    g.setColorAt(0.6, kHouseBlue);
    g.setColorAt(1, kTitleColour);
    p.setPen(QPen(QColor(0, 40, 90), 1.5));
    p.setBrush(g);
    p.drawEllipse(disc);

    QPen ring(Qt::white, 8, Qt::SolidLine, Qt::RoundCap);
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(15, 15, 33, 33), 45 * 16, 270 * 16);

    QRadialGradient spark(QPointF(31.5, 31.5), 7);
    spark.setColorAt(0, QColor(255, 230, 150));
    spark.setColorAt(1, QColor(240, 140, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(spark);
    p.drawEllipse(QPointF(31.5, 31.5), 5.5, 5.5);

    // A gloss over the upper half.
    QLinearGradient gloss(0, 3, 0, 32);
    gloss.setColorAt(0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawEllipse(QRectF(10, 4, 43, 28));
    return pm;
}

// A label at the left of its field, 8 pixels from it, centred on the field's height.
QLabel* fieldLabel(QWidget* parent, QLineEdit* field, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    // A fallback face wider than Tahoma may not leave the caption room at the left of its
    // field: then a narrower cut of the face, or a smaller size, keeps it inside the frame.
    const int room = field->x() - 8 - 2;
    QFont f = label->font();
    if (QFontMetrics(f).horizontalAdvance(text) + 2 > room) {
        f.setStretch(QFont::Condensed);
        while (QFontMetrics(f).horizontalAdvance(text) + 2 > room && f.pointSizeF() > 6.0)
            f.setPointSizeF(f.pointSizeF() - 0.5);
        label->setFont(f);
    }
    const QFontMetrics fm(label->font());
    const int width = fm.horizontalAdvance(text) + 2;
    const int height = fm.height();
    label->setGeometry(field->x() - 8 - width, field->y() + (field->height() - height) / 2, width,
                       height);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(field);
    field->setAccessibleName(text);
    return label;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name, int left, int top, int width,
                    int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(left, top, width, 19);
    edit->setMaxLength(maxLength);
    return edit;
}

QWidget* whitePanel(QWidget* parent, const QString& name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    panel->setAutoFillBackground(true);
    return panel;
}

QFont buttonFont(const QFont& base) {
    QFont f = base;
    f.setPointSize(10);
    f.setBold(true);
    return f;
}

} // namespace

TfrmMAIN000::TfrmMAIN000(QWidget* parent) : QWidget(parent) {
    // The first window made is the main window of the process.
    if (!frmMAIN000)
        frmMAIN000 = this;
    buildLayout();
    bindHandlers();
}

TfrmMAIN000::~TfrmMAIN000() {
    if (frmMAIN000 == this)
        frmMAIN000 = nullptr;
}

void TfrmMAIN000::buildLayout() {
    setObjectName(QStringLiteral("frmMAIN000"));
    setWindowTitle(QStringLiteral("Corvane : Program Upload Utility"));
    QFont base = withFamilies(font(), kSansFamilies);
    base.setPointSize(8);
    setFont(base);
    resize(1170, 728);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    // --- title band ---
    pnlTitle = new QWidget(this);
    pnlTitle->setObjectName(QStringLiteral("pnlTitle"));
    pnlTitle->setFixedHeight(72);
    auto* band = new QHBoxLayout(pnlTitle);
    band->setContentsMargins(0, 0, 0, 0);
    band->setSpacing(0);

    Image1 = new QLabel(pnlTitle);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedWidth(63);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(drawLogo());
    Image1->setAccessibleName(QStringLiteral("Corvane logo"));
    band->addWidget(Image1);

    lblTitle = new EmbossedLabel(QStringLiteral("Program  Release  Utility"), pnlTitle);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = withFamilies(font(), kSerifFamilies);
    titleFont.setPixelSize(37);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, kTitleColour);
    lblTitle->setPalette(titlePalette);
    band->addWidget(lblTitle, 1);

    lblVersion = new QLabel(QStringLiteral("lblVersion"), pnlTitle);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont versionFont = font();
    versionFont.setBold(true);
    lblVersion->setFont(versionFont);
    QPalette versionPalette = lblVersion->palette();
    versionPalette.setColor(QPalette::WindowText, kVersionColour);
    lblVersion->setPalette(versionPalette);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    {
        // Room for the design text or a long version such as 99.99.9999, whichever is wider.
        const QFontMetrics fm(versionFont);
        const int width = qMax(fm.horizontalAdvance(QStringLiteral("lblVersion")),
                               fm.horizontalAdvance(QStringLiteral("99.99.9999"))) +
                          2;
        lblVersion->setGeometry(903, 49, width, fm.height());
    }
    lblVersion->raise();
    main->addWidget(pnlTitle);

    // --- pages ---
    pgMain = new PageControl(19, this);
    pgMain->setObjectName(QStringLiteral("pgMain"));
    pgMain->setTabPosition(QTabWidget::North);
    pgMain->setDocumentMode(false);
    main->addWidget(pgMain, 1);

    // Page 0: the program files, the archive fields and the packaging button.
    pgPage00 = new QWidget;
    pgPage00->setObjectName(QStringLiteral("pgPage00"));
    {
        auto* page = new QVBoxLayout(pgPage00);
        page->setContentsMargins(0, 0, 0, 0);
        page->setSpacing(0);

        pnlFiles = new QWidget(pgPage00);
        pnlFiles->setObjectName(QStringLiteral("pnlFiles"));
        auto* files = new QVBoxLayout(pnlFiles);
        files->setContentsMargins(0, 0, 0, 0);
        grdFiles = new QTableView(pnlFiles);
        grdFiles->setObjectName(QStringLiteral("grdFiles"));
        grdFiles->setAccessibleName(QStringLiteral("Program files"));
        files->addWidget(grdFiles);
        page->addWidget(pnlFiles, 1);

        pnlButtons = whitePanel(pgPage00, QStringLiteral("pnlButtons"));
        pnlButtons->setFixedHeight(70);
        page->addWidget(pnlButtons);

        grpZIPFields = new QGroupBox(pnlButtons);
        grpZIPFields->setObjectName(QStringLiteral("grpZIPFields"));
        grpZIPFields->setGeometry(7, 5, 763, 58);
        grpZIPFields->setAccessibleName(QStringLiteral("ZIP file name"));

        edZIPPrefix = lineEdit(grpZIPFields, QStringLiteral("edZIPPrefix"), 125, 8, 74, 15);
        edZIPSuffix = lineEdit(grpZIPFields, QStringLiteral("edZIPSuffix"), 125, 32, 393, 15);
        edZIPVersion = lineEdit(grpZIPFields, QStringLiteral("edZIPVersion"), 440, 8, 78, 15);
        edZIPPrefix->setText(QStringLiteral("CORVANE"));
        for (QLineEdit* edit : {edZIPPrefix, edZIPSuffix, edZIPVersion})
            edit->setValidator(new UpperCaseValidator(edit));
        fieldLabel(grpZIPFields, edZIPPrefix, QStringLiteral("lblZIPPrefix"),
                   QStringLiteral("ZIP File Name Prefix"));
        fieldLabel(grpZIPFields, edZIPSuffix, QStringLiteral("lblZIPSuffix"),
                   QStringLiteral("File Name"));
        fieldLabel(grpZIPFields, edZIPVersion, QStringLiteral("lblZIPVersion"),
                   QStringLiteral("File Version"));

        btnCreateZIPFile = new GlowButton(QStringLiteral("Create ZIP Files"), pnlButtons);
        btnCreateZIPFile->setObjectName(QStringLiteral("btnCreateZIPFile"));
        btnCreateZIPFile->setGeometry(855, 15, 146, 40);
        btnClose = new GlowButton(QStringLiteral("Close"), pnlButtons);
        btnClose->setObjectName(QStringLiteral("btnClose"));
        btnClose->setGeometry(1007, 15, 146, 40);
        for (QPushButton* button : {btnCreateZIPFile, btnClose})
            button->setFont(buttonFont(font()));

        QWidget::setTabOrder(edZIPPrefix, edZIPSuffix);
        QWidget::setTabOrder(edZIPSuffix, edZIPVersion);
        QWidget::setTabOrder(edZIPVersion, btnCreateZIPFile);
        QWidget::setTabOrder(btnCreateZIPFile, btnClose);
    }
    pgMain->addTab(pgPage00, QStringLiteral("Corvane EXE Files"));

    // Page 1: the archives, the test download and the upload.
    pgPage01 = new QWidget;
    pgPage01->setObjectName(QStringLiteral("pgPage01"));
    {
        auto* page = new QVBoxLayout(pgPage01);
        page->setContentsMargins(0, 0, 0, 0);
        page->setSpacing(0);

        grdZIPFiles = new QTableView(pgPage01);
        grdZIPFiles->setObjectName(QStringLiteral("grdZIPFiles"));
        grdZIPFiles->setAccessibleName(QStringLiteral("ZIP files"));
        page->addWidget(grdZIPFiles, 1);

        pnlZIPButtons = whitePanel(pgPage01, QStringLiteral("pnlZIPButtons"));
        pnlZIPButtons->setFixedHeight(59);
        page->addWidget(pnlZIPButtons);

        QFont bold = font();
        bold.setBold(true);
        lblUploadSelected = new QLabel(QStringLiteral("Selected Upload Files : 0"), pnlZIPButtons);
        lblUploadSelected->setObjectName(QStringLiteral("lblUploadSelected"));
        lblUploadFile = new QLabel(QStringLiteral("Upload File :"), pnlZIPButtons);
        lblUploadFile->setObjectName(QStringLiteral("lblUploadFile"));
        for (QLabel* label : {lblUploadSelected, lblUploadFile}) {
            label->setFont(bold);
            label->hide();
        }
        const int labelHeight = QFontMetrics(bold).height();
        lblUploadSelected->setGeometry(9, 8, 400, labelHeight);
        lblUploadFile->setGeometry(9, 30, 400, labelHeight);

        btnDownload = new GlowButton(QStringLiteral("Test Download ZIP File"), pnlZIPButtons, 8);
        btnDownload->setObjectName(QStringLiteral("btnDownload"));
        btnDownload->setGeometry(474, 8, 92, 36);
        btnUploadLIVE = new GlowButton(QStringLiteral("Upload to Cloud DB"), pnlZIPButtons);
        btnUploadLIVE->setObjectName(QStringLiteral("btnUploadLIVE"));
        btnUploadLIVE->setGeometry(785, 5, 179, 36);
        AdvGlowButton3 = new GlowButton(QStringLiteral("Close"), pnlZIPButtons);
        AdvGlowButton3->setObjectName(QStringLiteral("AdvGlowButton3"));
        AdvGlowButton3->setGeometry(970, 5, 179, 36);
        for (QPushButton* button : {btnUploadLIVE, AdvGlowButton3})
            button->setFont(buttonFont(font()));
    }
    pgMain->addTab(pgPage01, QStringLiteral("ZIP FIle List"));

    // Page 2: what the cloud holds, with its side bar.
    pgPage02 = new QWidget;
    pgPage02->setObjectName(QStringLiteral("pgPage02"));
    {
        auto* page = new QHBoxLayout(pgPage02);
        page->setContentsMargins(0, 0, 0, 0);
        page->setSpacing(0);

        cxGrid1 = new QTableView(pgPage02);
        cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
        cxGrid1->setAccessibleName(QStringLiteral("Cloud releases"));
        page->addWidget(cxGrid1, 1);

        dxNavBar1 = new TNavBar(pgPage02);
        dxNavBar1->setObjectName(QStringLiteral("dxNavBar1"));
        dxNavBar1->setFixedWidth(154);
        dxNavBar1->AddGroup(QStringLiteral("dxOptions"), QStringLiteral("Options"));
        dxNavBar1->AddItem(QStringLiteral("dxOptions"), QStringLiteral("dxDelete"),
                           QStringLiteral("Delete"));
        dxNavBar1->AddGroup(QStringLiteral("dxFunctions"), QStringLiteral("Functions"));
        dxNavBar1->AddItem(QStringLiteral("dxFunctions"), QStringLiteral("dxRefresh"),
                           QStringLiteral("Refresh"));
        dxNavBar1->SetActiveGroup(QStringLiteral("dxOptions"));
        page->addWidget(dxNavBar1);
    }
    pgMain->addTab(pgPage02, QStringLiteral("Cloud DB Files"));

    // Page 3: the cloud connection settings, for reading only.
    pgPage03 = new QWidget;
    pgPage03->setObjectName(QStringLiteral("pgPage03"));
    {
        auto* page = new QVBoxLayout(pgPage03);
        page->setContentsMargins(0, 0, 0, 0);
        pnlSettings = whitePanel(pgPage03, QStringLiteral("pnlSettings"));
        page->addWidget(pnlSettings);

        grpLiveSettings =
            new QGroupBox(QStringLiteral("[ LIVE Upload Folder Settings ["), pnlSettings);
        grpLiveSettings->setObjectName(QStringLiteral("grpLiveSettings"));
        grpLiveSettings->setGeometry(7, 7, 518, 136);

        edLiveConnector =
            lineEdit(grpLiveSettings, QStringLiteral("edLiveConnector"), 117, 24, 380, 200);
        edLiveHost = lineEdit(grpLiveSettings, QStringLiteral("edLiveHost"), 117, 49, 380, 200);
        edLiveUser = lineEdit(grpLiveSettings, QStringLiteral("edLiveUser"), 117, 74, 146, 200);
        edLivePswd = lineEdit(grpLiveSettings, QStringLiteral("edLivePswd"), 117, 99, 146, 200);
        for (QLineEdit* edit : {edLiveConnector, edLiveHost, edLiveUser, edLivePswd}) {
            edit->setReadOnly(true);
            // Out of the tab order, but a click still lets the user select and copy a value.
            edit->setFocusPolicy(Qt::ClickFocus);
            edit->setEchoMode(QLineEdit::Normal);
        }
        fieldLabel(grpLiveSettings, edLiveConnector, QStringLiteral("lblLiveConnector"),
                   QStringLiteral("Database Connector"));
        fieldLabel(grpLiveSettings, edLiveHost, QStringLiteral("lblLiveHost"),
                   QStringLiteral("Host Address"));
        fieldLabel(grpLiveSettings, edLiveUser, QStringLiteral("lblLiveUser"),
                   QStringLiteral("User Name"));
        fieldLabel(grpLiveSettings, edLivePswd, QStringLiteral("lblLivePswd"),
                   QStringLiteral("Password"));
    }
    pgMain->addTab(pgPage03, QStringLiteral("Cloud FTP Settings"));
    pgMain->setCurrentIndex(0);

    // --- status bar ---
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(21);
    {
        QFont barFont = withFamilies(font(), kSansFamilies);
        barFont.setPointSize(8);
        barFont.setBold(true);
        StatusBar1->setFont(barFont);
        TStatusBar::Panel name;
        name.width = 80;
        name.alignment = Qt::AlignHCenter;
        name.text = QStringLiteral("MAIN000");
        name.darker = true;
        StatusBar1->AddPanel(name);
        TStatusBar::Panel message;
        message.width = 600;
        message.alignment = Qt::AlignHCenter;
        message.text = QStringLiteral("CORVANE : Program Release Utility");
        StatusBar1->AddPanel(message);
        TStatusBar::Panel gauge;
        gauge.width = 50;
        gauge.alignment = Qt::AlignLeft;
        gauge.style = TStatusBar::PanelStyle::Gauge;
        gauge.gaugeValue = 0;
        StatusBar1->AddPanel(gauge);
    }
    main->addWidget(StatusBar1);

    // --- ActionList1: the keys work on every page, whichever control has the focus ---
    auto makeAction = [this](const QString& name, const QString& text, QKeySequence key) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        return action;
    };
    acClose = makeAction(QStringLiteral("acClose"), QStringLiteral("Close"),
                         QKeySequence(Qt::Key_Escape));
    acCreateCABFile = makeAction(QStringLiteral("acCreateCABFile"),
                                 QStringLiteral("Create ZIP Files"), QKeySequence(Qt::Key_F2));
    acRefresh_Cloud_Grid = makeAction(QStringLiteral("acRefresh_Cloud_Grid"),
                                      QStringLiteral("Refresh"), QKeySequence(Qt::Key_F5));

    // --- pop-up menus of the two file lists ---
    mnuEXEList = new QMenu(this);
    mnuEXEList->setObjectName(QStringLiteral("mnuEXEList"));
    mnuEXE_SelectALL1 = mnuEXEList->addAction(QStringLiteral("Select ALL"));
    mnuEXE_SelectALL1->setObjectName(QStringLiteral("mnuEXE_SelectALL1"));
    mnuEXEList->addSeparator();
    mnuEXE_DeSelectALL1 = mnuEXEList->addAction(QStringLiteral("De-Select ALL"));
    mnuEXE_DeSelectALL1->setObjectName(QStringLiteral("mnuEXE_DeSelectALL1"));

    mnuZIPFiles = new QMenu(this);
    mnuZIPFiles->setObjectName(QStringLiteral("mnuZIPFiles"));
    mnuZIP_SelectALL1 = mnuZIPFiles->addAction(QStringLiteral("Select ALL"));
    mnuZIP_SelectALL1->setObjectName(QStringLiteral("mnuZIP_SelectALL1"));
    mnuZIPFiles->addSeparator();
    mnuZIP_DeSelectALL1 = mnuZIPFiles->addAction(QStringLiteral("De-Select ALL"));
    mnuZIP_DeSelectALL1->setObjectName(QStringLiteral("mnuZIP_DeSelectALL1"));
    mnuZIPFiles->addSeparator();
    mnuZIP_DeleteZIPFile1 = mnuZIPFiles->addAction(QStringLiteral("Delete ZIP File"));
    mnuZIP_DeleteZIPFile1->setObjectName(QStringLiteral("mnuZIP_DeleteZIPFile1"));

    grdFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    grdZIPFiles->setContextMenuPolicy(Qt::CustomContextMenu);

    // The lists' models and columns belong to their own parts; the views exist now.
    setupFileGrids();
    setupCloudGrid();
}

void TfrmMAIN000::bindHandlers() {
    // Every command goes through the guard.
    auto command = [this](void (TfrmMAIN000::*handler)()) {
        return [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); };
    };

    connect(acClose, &QAction::triggered, this, command(&TfrmMAIN000::acCloseExecute));
    connect(acCreateCABFile, &QAction::triggered, this,
            command(&TfrmMAIN000::btnCreateZIPFileClick));
    connect(acRefresh_Cloud_Grid, &QAction::triggered, this, command(&TfrmMAIN000::dxRefreshClick));

    connect(btnCreateZIPFile, &QPushButton::clicked, this,
            command(&TfrmMAIN000::btnCreateZIPFileClick));
    connect(btnClose, &QPushButton::clicked, this, command(&TfrmMAIN000::btnCloseClick));
    connect(AdvGlowButton3, &QPushButton::clicked, this, command(&TfrmMAIN000::btnCloseClick));
    connect(btnUploadLIVE, &QPushButton::clicked, this, command(&TfrmMAIN000::btnUploadLIVEClick));
    connect(btnDownload, &QPushButton::clicked, this, command(&TfrmMAIN000::btnDownloadClick));

    connect(mnuEXE_SelectALL1, &QAction::triggered, this,
            command(&TfrmMAIN000::mnuEXE_SelectALL1Click));
    connect(mnuEXE_DeSelectALL1, &QAction::triggered, this,
            command(&TfrmMAIN000::mnuEXE_DeSelectALL1Click));
    connect(mnuZIP_SelectALL1, &QAction::triggered, this,
            command(&TfrmMAIN000::mnuZIP_SelectALL1Click));
    connect(mnuZIP_DeSelectALL1, &QAction::triggered, this,
            command(&TfrmMAIN000::mnuZIP_DeSelectALL1Click));
    connect(mnuZIP_DeleteZIPFile1, &QAction::triggered, this,
            command(&TfrmMAIN000::mnuZIP_DeleteZIPFile1Click));

    // The position comes in the viewport's coordinates.
    connect(grdFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        mnuEXEList->popup(grdFiles->viewport()->mapToGlobal(pos));
    });
    connect(grdZIPFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        mnuZIPFiles->popup(grdZIPFiles->viewport()->mapToGlobal(pos));
    });

    if (QToolButton* item = dxNavBar1->Item(QStringLiteral("dxDelete")))
        connect(item, &QToolButton::clicked, this, command(&TfrmMAIN000::dxDeleteClick));
    if (QToolButton* item = dxNavBar1->Item(QStringLiteral("dxRefresh")))
        connect(item, &QToolButton::clicked, this, command(&TfrmMAIN000::dxRefreshClick));

    Image1->installEventFilter(new EventHook(Image1, [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        Image1DblClick();
        return true;
    }));

    // Enter in an archive field moves on as Tab does.
    auto* enterAsTab = new EventHook(this, [](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    });
    for (QLineEdit* edit : {edZIPPrefix, edZIPSuffix, edZIPVersion})
        edit->installEventFilter(enterAsTab);

    StatusBar1->onDrawPanel = [this](QPainter& painter, int panel, const QRect& rect) {
        StatusBar1DrawPanel(painter, panel, rect);
    };
}

void TfrmMAIN000::applyResources() {
    // The window is made before the resources module; without one it keeps its plain look.
    if (!sData)
        return;

    const auto picture = [](int index) {
        return index < sData->Images24x24.size() ? QIcon(sData->Images24x24.at(index)) : QIcon();
    };
    const auto mainIcon = [](int index) {
        return index < sData->MainImages.size() ? QIcon(sData->MainImages.at(index)) : QIcon();
    };

    btnCreateZIPFile->setIcon(picture(TsData::kPictureCreateZip));
    btnClose->setIcon(picture(TsData::kPictureClose));
    btnUploadLIVE->setIcon(picture(TsData::kPictureUpload));
    AdvGlowButton3->setIcon(picture(TsData::kPictureClose));
    for (QPushButton* button : {btnCreateZIPFile, btnClose, btnUploadLIVE, AdvGlowButton3})
        button->setIconSize(QSize(24, 24));

    mnuEXE_SelectALL1->setIcon(mainIcon(TsData::kMainSelectAll));
    mnuEXE_DeSelectALL1->setIcon(mainIcon(TsData::kMainDeselectAll));
    mnuZIP_SelectALL1->setIcon(mainIcon(TsData::kMainSelectAll));
    mnuZIP_DeSelectALL1->setIcon(mainIcon(TsData::kMainDeselectAll));

    if (TsData::kPictureFunctions < sData->Images24x24.size()) {
        dxNavBar1->SetGroupPicture(QStringLiteral("dxOptions"),
                                   sData->Images24x24.at(TsData::kPictureOptions));
        dxNavBar1->SetGroupPicture(QStringLiteral("dxFunctions"),
                                   sData->Images24x24.at(TsData::kPictureFunctions));
    }
    if (TsData::kKeyRefresh < sData->KeyBoardBlue.size()) {
        dxNavBar1->SetItemIcon(QStringLiteral("dxDelete"),
                               sData->KeyBoardBlue.at(TsData::kKeyDelete));
        dxNavBar1->SetItemIcon(QStringLiteral("dxRefresh"),
                               sData->KeyBoardBlue.at(TsData::kKeyRefresh));
    }

    sData->ApplyLook(pnlTitle, QStringLiteral("pnlStylerPopUp"));
    sData->ApplyLook(pnlButtons, QStringLiteral("PanelStylerWhite"));
    sData->ApplyLook(pnlZIPButtons, QStringLiteral("PanelStylerWhite"));
    sData->ApplyLook(pnlSettings, QStringLiteral("PanelStylerWhite"));
    sData->ApplyLook(pgMain, QStringLiteral("PageStylerWhite"));
    sData->ApplyLook(StatusBar1, QStringLiteral("StatusBarWhite"));
    sData->ApplyLook(mnuEXEList, QStringLiteral("MenuStylerBlue"));
    sData->ApplyLook(cxGrid1, QStringLiteral("cxGridStyler"));
}

void TfrmMAIN000::Image1DblClick() {
    pgMain->setTabVisible(pgMain->indexOf(pgPage01), true);
}

void TfrmMAIN000::StatusBar1DrawPanel(QPainter& painter, int panel, const QRect& rect) {
    DrawStatusPanel(StatusBar1, painter, panel, rect);
}

