#pragma once
// The resources module: the image lists and the shared looks that the window's controls use.
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

class QWidget;

class TsData final : public QObject {
    Q_OBJECT
public:
    explicit TsData(QObject* parent = nullptr);
    ~TsData() override;

    // 16 x 16 icons; status kinds 28, 29, 49, 50, 72; menu icons 81, 84.
    QList<QPixmap> MainImages;   // 104
    // 32 x 32 pictures; 0 and 1 are the side-bar groups.
    QList<QPixmap> Images24x24;  // 39
    // 16 x 16 icons; 7 "Delete", 55 "Refresh".
    QList<QPixmap> KeyBoardBlue; // 118

    // Where the pictures of each role sit in their list.
    static constexpr int kMainInfo = 28, kMainMsg = 29, kMainUnknown = 49, kMainWarn = 50,
                         kMainError = 72, kMainSelectAll = 81, kMainDeselectAll = 84;
    static constexpr int kPictureOptions = 0, kPictureFunctions = 1, kPictureCreateZip = 2,
                         kPictureClose = 3, kPictureUpload = 4, kPictureDownload = 5;
    static constexpr int kKeyDelete = 7, kKeyRefresh = 55;

    // Applies one of the shared looks by name: "pnlStylerPopUp", "PanelStylerWhite",
    // "PageStylerWhite", "StatusBarWhite", "MenuStylerBlue", "cxGridStyler".
    void ApplyLook(QWidget* widget, const QString& stylerName) const;
};

// The one resources module of the process.
extern TsData* sData;
