#include "MessageBoxDialogs.h"

#include "MAIN000.h"

#include <QMessageBox>

// Every box shows its text as plain text: a database message or a path that holds something
// tag-like must not be read as markup.

namespace {

// Boxes sit over the main window while it exists; before that (or after it has gone) they are
// top-level windows of their own.
QWidget* owner() {
    return frmMAIN000;
}

} // namespace

void MessageBoxDialogs::error(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void MessageBoxDialogs::information(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

bool MessageBoxDialogs::question(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
