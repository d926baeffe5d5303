// The real message boxes: caption, icon, buttons, and the text shown exactly as given.
#include "MessageBoxDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Seen {
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Reads the box that opens next and answers it with the button of the given text.
void answerNextBox(Seen& seen, const QString& answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        seen.icon = box->icon();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text().remove(QLatin1Char('&'));
            if (b->text().remove(QLatin1Char('&')) == answer)
                chosen = b;
        }
        ASSERT_NE(chosen, nullptr);
        chosen->click();
    });
}

} // namespace

TEST(MessageBoxes, ShowTheirTextAsPlainTextWithTheirIconAndButtons) {
    MessageBoxDialogs dialogs;
    // A database message that looks like markup stays as it is; the CR breaks the line.
    const QString text = QStringLiteral("SQL Error on Table: vcVersions :-\r<b>near</b> \"<\"");

    Seen error;
    answerNextBox(error, QStringLiteral("OK"));
    dialogs.error(QStringLiteral("CORVANE : Program Version Control"), text);
    EXPECT_EQ(error.caption, "CORVANE : Program Version Control");
    EXPECT_EQ(error.text, text);
    EXPECT_EQ(error.format, Qt::PlainText);
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.buttons, QStringList{"OK"});

    Seen info;
    answerNextBox(info, QStringLiteral("OK"));
    dialogs.information(QStringLiteral("Done"), QStringLiteral("<i>Complete</i>"));
    EXPECT_EQ(info.format, Qt::PlainText);
    EXPECT_EQ(info.icon, QMessageBox::Information);

    Seen yes, no;
    answerNextBox(yes, QStringLiteral("Yes"));
    EXPECT_TRUE(dialogs.question(QStringLiteral("Delete"), QStringLiteral("<u>CORPAY</u>?")));
    EXPECT_EQ(yes.format, Qt::PlainText);
    answerNextBox(no, QStringLiteral("No"));
    EXPECT_FALSE(dialogs.question(QStringLiteral("Delete"), QStringLiteral("CORPAY?")));
    EXPECT_EQ(no.buttons.size(), 2);
}
